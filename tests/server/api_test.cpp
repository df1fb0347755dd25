// The API's handler without the network, on a SQLite store in a temporary folder: what each bad
// request gets (and that it stores nothing), a game's way from submission to the boards, paging,
// removal, limits and the metrics.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "base/files.h"
#include "game/load.h"
#include "persist/replay.h"
#include "server/api.h"
#include "server/daily.h"

namespace {
const char *const kKey = "abcdefghijklmnop", *const kOtherKey = "qrstuvwxyz012345";
const int64_t kNow = 1796774400;  // 2026-12-09T00:00:00Z

std::vector<uint8_t> ReadGolden(const char *name) {
  std::ifstream in(std::string(REDSIEGE_SOURCE_DIR) + "/tests/data/golden/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The replay with a header field rewritten and the header's CRC made good again.
std::vector<uint8_t> WithU32(std::vector<uint8_t> bytes, size_t at, uint32_t value) {
  PutU32(bytes.data() + at, value);
  PutU32(bytes.data() + 43, Crc32(bytes.data(), 43));
  return bytes;
}

std::string IdOf(const std::vector<uint8_t> &bytes) { return Sha256Hex(bytes.data(), bytes.size()).substr(0, 16); }

class Api : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/redsiege-api-XXXXXX";
    ASSERT_TRUE(mkdtemp(pattern));
    dir = pattern;
    store = OpenSqliteStore(dir);
    baseDirectory = REDSIEGE_DATA_DIR;
    service.store = store.get();
    service.metrics = &metrics;
    service.secret = store->Secret();
    service.dataChecksum = GameDataChecksum();
    service.submitsPerMinute = service.readsPerMinute = 1e6;
    service.wake = [this] { ++wakes; };
    replay = ReadGolden("rescue.rsr");
    ASSERT_GT(replay.size(), REPLAY_HEADER_SIZE);
  }
  void TearDown() override {
    store.reset();
    std::filesystem::remove_all(dir);
  }

  trequest Post(const std::vector<uint8_t> &body, const std::string &name = "bob", const std::string &key = kKey) {
    trequest r;
    r.method = "POST";
    r.path = "/v1/games";
    r.headers = {{"content-type", "application/x-redsiege-replay"},
                 {"authorization", std::string("Bearer ") + key},
                 {"player-name", name},
                 {"claimed-scores", "36000,5,1200,40"}};
    r.body = body;
    r.peer = "192.0.2.1";
    r.now = kNow;
    return r;
  }
  tresponse Send(const std::string &method, const std::string &path, const std::string &query = "",
                 const std::string &key = "") {
    trequest r;
    r.method = method;
    r.path = path;
    r.query = query;
    if (!key.empty()) r.headers["authorization"] = "Bearer " + key;
    r.peer = "192.0.2.2";
    r.now = kNow;
    return HandleRequest(r, service);
  }
  // Plays the verifier's part: claims the pending game and records it verified.
  void Verify(const tgamescores &scores, bool won) {
    tclaim claim;
    ASSERT_TRUE(store->ClaimPending(kNow, 60, claim));
    tgameverdict v;
    v.status = GAME_VERIFIED;
    v.scores = scores;
    v.won = won;
    v.day = scores.survive / 1000;
    v.ended = won ? "rescued" : "died";
    v.gameSeconds = 300;
    store->FinishGame(claim.id, v, true);
  }

  std::string dir;
  std::unique_ptr<tstore> store;
  tmetrics metrics;
  tservice service;
  int wakes = 0;
  std::vector<uint8_t> replay;
};

TEST_F(Api, BadSubmissionsAreRefusedAndStoreNothing) {
  std::vector<uint8_t> damaged = replay;
  damaged[20] ^= 1;
  std::vector<uint8_t> padded = replay;
  padded.resize(ReplayMostBytes(GetU32(replay.data() + 39)) + 1);
  const std::string forged = DailyToken("another secret", UtcDate(kNow), kNow);
  const std::string genuine = DailyToken(service.secret, UtcDate(kNow), kNow);
  struct tcase {
    const char *what;
    int status;
    std::function<void(trequest &)> change;
  } cases[] = {
      {"html in the name", 400, [](trequest &r) { r.headers["player-name"] = "%3Cb%3Ex%3C%2Fb%3E"; }},
      {"sql in the name", 400, [](trequest &r) { r.headers["player-name"] = "x%27%3B%20drop%20table%20games%3B--"; }},
      {"a name of 21", 400, [](trequest &r) { r.headers["player-name"] = std::string(21, 'a'); }},
      {"a name of spaces", 400, [](trequest &r) { r.headers["player-name"] = "%20%20"; }},
      {"capitals", 400, [](trequest &r) { r.headers["player-name"] = "Bob"; }},
      {"a broken escape", 400, [](trequest &r) { r.headers["player-name"] = "bo%2"; }},
      {"a nul", 400, [](trequest &r) { r.headers["player-name"] = "bo%00b"; }},
      {"no name", 400, [](trequest &r) { r.headers.erase("player-name"); }},
      {"no key", 401, [](trequest &r) { r.headers.erase("authorization"); }},
      {"a short key", 401, [](trequest &r) { r.headers["authorization"] = "Bearer short"; }},
      {"a key with a slash", 401, [](trequest &r) { r.headers["authorization"] = "Bearer abcdefgh/ijklmnop"; }},
      {"basic auth", 401, [](trequest &r) { r.headers["authorization"] = "Basic abcdefghijklmnop"; }},
      {"wrong content type", 415, [](trequest &r) { r.headers["content-type"] = "application/octet-stream"; }},
      {"no content type", 415, [](trequest &r) { r.headers.erase("content-type"); }},
      {"gzip", 415, [](trequest &r) { r.headers["content-encoding"] = "gzip"; }},
      {"three scores", 400, [](trequest &r) { r.headers["claimed-scores"] = "1,2,3"; }},
      {"a word for a score", 400, [](trequest &r) { r.headers["claimed-scores"] = "1,2,3,x"; }},
      {"a score past int32", 400, [](trequest &r) { r.headers["claimed-scores"] = "2147483648,0,0,0"; }},
      {"no scores", 400, [](trequest &r) { r.headers.erase("claimed-scores"); }},
      {"a forged daily token", 400, [&](trequest &r) { r.headers["daily-token"] = forged; }},
      {"a token of another seed", 400, [&](trequest &r) { r.headers["daily-token"] = genuine; }},
      {"a damaged header", 400, [&](trequest &r) { r.body = damaged; }},
      {"no body", 400, [](trequest &r) { r.body.clear(); }},
      {"other rules", 422, [&](trequest &r) { r.body = WithU32(replay, 10, 1); }},
      {"other data", 422, [&](trequest &r) { r.body = WithU32(replay, 31, GetU32(replay.data() + 31) ^ 1); }},
      {"no frames", 400, [&](trequest &r) { r.body = WithU32(replay, 39, 0); }},
      {"larger than its frames", 413, [&](trequest &r) { r.body = padded; }},
      {"put", 405, [](trequest &r) { r.method = "PUT"; }},
      {"a path under games", 404, [](trequest &r) { r.path = "/v1/games/../../etc/passwd"; }},
  };
  for (const tcase &c : cases) {
    trequest r = Post(replay);
    c.change(r);
    const tresponse answer = HandleRequest(r, service);
    EXPECT_EQ(answer.status, c.status) << c.what << ": " << answer.body;
    EXPECT_FALSE(nlohmann::json::parse(answer.body).value("error", "").empty()) << c.what;
    EXPECT_EQ(store->PendingCount(), 0) << c.what;
  }
  tgamerow row;
  EXPECT_FALSE(store->GetGame(IdOf(replay), row));
  EXPECT_EQ(metrics.submissions, 0);
  EXPECT_EQ(wakes, 0);
  EXPECT_EQ(metrics.Refusals()["bad name"], 8);
}

TEST_F(Api, BadReadsGetTheirStatus) {
  const struct {
    const char *method, *path, *query;
    int status;
  } cases[] = {
      {"GET", "/v1/games/..%2F..%2Fetc%2Fpasswd", "", 400},
      {"GET", "/v1/games/0123456789ABCDEF", "", 400},
      {"GET", "/v1/games/0123456789abcdef", "", 404},
      {"GET", "/v1/games/0123456789abcdef/replay", "", 404},
      {"GET", "/v1/games/", "", 404},
      {"GET", "/v1/boards/cheaters", "", 404},
      {"GET", "/v1/boards/horde", "limit=0", 400},
      {"GET", "/v1/boards/horde", "limit=101", 400},
      {"GET", "/v1/boards/horde", "offset=-1", 400},
      {"GET", "/v1/boards/horde", "limit=1e3", 400},
      {"GET", "/v1/boards/horde", "date=2026-12-09", 400},
      {"GET", "/v1/boards/daily", "date=2026-02-30", 400},
      {"GET", "/v1/boards/daily", "date=2026-12-09", 200},
      {"GET", "/v1/boards/slayer", "offset=5&limit=100", 200},
      {"GET", "/nothing", "", 404},
      {"POST", "/v1/daily", "", 405},
      {"DELETE", "/v1/games/0123456789abcdef", "", 405},
      {"GET", "/v1/players/bob", "", 405},
      {"DELETE", "/v1/players/bob", "", 401},
  };
  for (const auto &c : cases) {
    const tresponse answer = Send(c.method, c.path, c.query);
    EXPECT_EQ(answer.status, c.status) << c.method << " " << c.path << "?" << c.query << ": " << answer.body;
    EXPECT_TRUE(nlohmann::json::accept(answer.body)) << c.path;
    if (c.status == 405) {
      EXPECT_FALSE(answer.headers.at("Allow").empty()) << c.path;
    }
  }
}

TEST_F(Api, AGameGoesFromSubmissionToTheBoards) {
  const std::string id = IdOf(replay);
  tresponse answer = HandleRequest(Post(replay, "b%2Bo%20b"), service);
  ASSERT_EQ(answer.status, 202) << answer.body;
  EXPECT_EQ(nlohmann::json::parse(answer.body), nlohmann::json({{"id", id}, {"status", "pending"}}));
  EXPECT_EQ(wakes, 1);
  // Again from the same player: the same game; from another: refused; another game under the name: refused.
  EXPECT_EQ(HandleRequest(Post(replay, "b%2Bo%20b"), service).status, 202);
  EXPECT_EQ(HandleRequest(Post(replay, "alice", kOtherKey), service).status, 409);
  EXPECT_EQ(HandleRequest(Post(ReadGolden("lost.rsr"), "b+o b", kOtherKey), service).status, 403);
  EXPECT_EQ(store->PendingCount(), 1);
  EXPECT_EQ(metrics.submissions, 1);

  nlohmann::json game = nlohmann::json::parse(Send("GET", "/v1/games/" + id).body);
  EXPECT_EQ(game["status"], "pending");
  EXPECT_EQ(game["name"], "b+o b");
  EXPECT_EQ(game["submitted"], "2026-12-09T00:00:00Z");
  EXPECT_FALSE(game.contains("scores"));
  EXPECT_EQ(Send("GET", "/v1/games/" + id + "/replay").status, 404);  // not verified yet

  Verify({36000, 5, 1200, 40}, true);
  game = nlohmann::json::parse(Send("GET", "/v1/games/" + id).body);
  EXPECT_EQ(game["status"], "verified");
  EXPECT_EQ(game["scores"]["rescue"], 5);
  EXPECT_EQ(game["ranks"]["rescue"], nlohmann::json({{"rank", 1}, {"of", 1}}));
  EXPECT_FALSE(game["ranks"].contains("daily"));
  EXPECT_EQ(game["won"], true);

  const nlohmann::json board = nlohmann::json::parse(Send("GET", "/v1/boards/slayer", "limit=5").body);
  EXPECT_EQ(board["total"], 1);
  EXPECT_EQ(board["limit"], 5);
  EXPECT_EQ(board["entries"][0],
            nlohmann::json(
                {{"rank", 1}, {"name", "b+o b"}, {"score", 40}, {"date", "2026-12-09"}, {"rules", 2}, {"game", id}}));

  const tresponse file = Send("GET", "/v1/games/" + id + "/replay");
  EXPECT_EQ(file.status, 200);
  EXPECT_EQ(file.contentType, "application/x-redsiege-replay");
  EXPECT_EQ(std::vector<uint8_t>(file.body.begin(), file.body.end()), replay);
  EXPECT_EQ(file.headers.at("Content-Disposition"), "attachment; filename=\"redsiege-" + id + ".rsr\"");

  const tresponse page = Send("GET", "/");
  EXPECT_EQ(page.status, 200);
  EXPECT_NE(page.body.find("<td>b+o b</td>"), std::string::npos);
  EXPECT_NE(page.body.find("href=\"/v1/games/" + id + "/replay\""), std::string::npos);
  EXPECT_EQ(page.body.find("<script"), std::string::npos);

  const std::string metricsText = Send("GET", "/metrics").body;
  EXPECT_NE(metricsText.find("\nredsiege_submissions_total 1\n"), std::string::npos) << metricsText;
  EXPECT_NE(metricsText.find("redsiege_refusals_total{reason=\"replay taken\"} 1\n"), std::string::npos);
  EXPECT_NE(metricsText.find("\nredsiege_queue_depth 0\n"), std::string::npos);

  // Removal: only with the name's key, then the game is gone everywhere.
  EXPECT_EQ(Send("DELETE", "/v1/players/b%2Bo%20b", "", kOtherKey).status, 403);
  answer = Send("DELETE", "/v1/players/b%2Bo%20b", "", kKey);
  EXPECT_EQ(answer.status, 200);
  EXPECT_EQ(nlohmann::json::parse(answer.body)["removed"], 1);
  EXPECT_EQ(Send("GET", "/v1/games/" + id).status, 404);
  EXPECT_EQ(nlohmann::json::parse(Send("GET", "/v1/boards/slayer").body)["total"], 0);
}

TEST_F(Api, TheDailyGameTakesItsTokenAndSeed) {
  const nlohmann::json daily = nlohmann::json::parse(Send("GET", "/v1/daily").body);
  EXPECT_EQ(daily["date"], "2026-12-09");
  EXPECT_EQ(daily["help_base"], 2);
  const std::vector<uint8_t> game = WithU32(replay, 14, daily["seed"].get<uint32_t>());
  trequest r = Post(game);
  r.headers["daily-token"] = daily["token"];
  ASSERT_EQ(HandleRequest(r, service).status, 202);
  tgamerow row;
  ASSERT_TRUE(store->GetGame(IdOf(game), row));
  EXPECT_EQ(row.dailyDate, "2026-12-09");
  // Another help day than the daily game's is not the daily game.
  r = Post(WithU32(WithU32(replay, 18, 0), 14, daily["seed"].get<uint32_t>()), "carol", kOtherKey);
  r.headers["daily-token"] = daily["token"];
  EXPECT_EQ(HandleRequest(r, service).status, 400);
}

TEST_F(Api, RatesAreLimitedPerAddress) {
  service.submitsPerMinute = 2;
  service.readsPerMinute = 3;
  trequest r = Post({});  // refused for its body, but counted first
  EXPECT_EQ(HandleRequest(r, service).status, 400);
  EXPECT_EQ(HandleRequest(r, service).status, 400);
  const tresponse limited = HandleRequest(r, service);
  EXPECT_EQ(limited.status, 429);
  EXPECT_EQ(limited.headers.at("Retry-After"), "30");
  r.peer = "192.0.2.9";
  EXPECT_EQ(HandleRequest(r, service).status, 400);  // another address has its own
  r.peer = "192.0.2.1";
  r.now += 30;
  EXPECT_EQ(HandleRequest(r, service).status, 400);  // a token came back
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Send("GET", "/v1/daily").status, 200);
  EXPECT_EQ(Send("GET", "/v1/daily").status, 429);

  tratelimiter small(2);
  int64_t retry = 0;
  small.Take("a", 0, 1, retry);
  small.Take("b", 0, 1, retry);
  small.Take("c", 0, 1, retry);
  EXPECT_EQ(small.Size(), 2u);
  EXPECT_TRUE(small.Take("a", 0, 1, retry));  // forgotten, so full again
}
}  // namespace
