#include "server/server_fixture.h"

#include "base/files.h"
#include "server/pg_cluster.h"

std::vector<std::string> RaisedRates() { return {"--submit-rate", "1000000", "--read-rate", "1000000"}; }

const char *BackendName(tbackend backend) { return backend == SQLITE ? "sqlite" : "postgresql"; }

tpgcluster *TestCluster(std::string &why) { return tpgcluster::Shared(why); }

namespace {
tserverconfig ConfigFor(tbackend backend, const std::string &dir, std::vector<std::string> extra, std::string &why) {
  tserverconfig config;
  config.extra = std::move(extra);
  if (backend == SQLITE) {
    config.state = dir;
  } else if (tpgcluster *cluster = tpgcluster::Shared(why)) {
    config.database = cluster->NewDatabase(why);
  }
  return config;
}
}  // namespace

ttestserver::ttestserver(tbackend backend, std::vector<std::string> extra, const std::string &base)
    : dir("redsiege-server-test", base),
      config(ConfigFor(backend, dir.path(), std::move(extra), why)),
      server(config) {}

tsubmission SubmissionOf(const tplayedgame &game, const std::string &name) {
  tsubmission s;
  s.replay = game.bytes;
  s.name = name;
  s.key = "key-";
  for (unsigned char c : name) s.key += "0123456789abcdef"[c >> 4], s.key += "0123456789abcdef"[c & 15];
  s.key += "-of-sixteen-chars";
  s.claimed = ClaimedScores(game.scores);
  return s;
}

nlohmann::json Board(const std::string &baseUrl, const std::string &board, const std::string &query) {
  return HttpGet(baseUrl + "/v1/boards/" + board + "?offset=0&limit=100" + query).Json();
}

std::vector<std::string> BoardIds(const std::string &baseUrl, const std::string &board, const std::string &query) {
  std::vector<std::string> ids;
  const nlohmann::json page = Board(baseUrl, board, query);
  if (page.is_object() && page["entries"].is_array())
    for (const nlohmann::json &e : page["entries"]) ids.push_back(e.value("game", ""));
  return ids;
}

tplayedgame WonGame() {
  tplayedgame game;
  std::vector<uint8_t> bytes;
  if (ReadFileBytes(std::string(REDSIEGE_SOURCE_DIR) + "/tests/data/golden/rescue.rsr", bytes))
    PlayReplayBytes(bytes, game);
  return game;
}
