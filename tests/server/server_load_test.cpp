// Many clients at once on loopback, bounded (short games, fixed counts, deadlines): every request
// answered and every game taken in on its board once; and the same while the server is killed
// outright, or while PostgreSQL is restarted under it: nothing acknowledged lost, nothing twice.
#include <gtest/gtest.h>

#include <atomic>
#include <set>

#include "server/pg_cluster.h"
#include "server/rig.h"

namespace {

// Connections from one address enough for every client, two verifiers.
const std::vector<std::string> kLoad = {"--per-ip-connections", "200", "--workers", "2"};

std::vector<tplayedgame> Games(size_t count, uint32_t firstSeed) {
  std::vector<tplayedgame> games;
  for (size_t i = 0; i < count; ++i)
    games.push_back(PlayScriptedGame(firstSeed + static_cast<uint32_t>(i), 100 + static_cast<int>(i % 97)));
  return games;
}

struct tloadresult {
  std::set<std::string> acknowledged;                   // ids answered 202
  size_t unanswered = 0, unavailable = 0, refused = 0;  // no answer, 503, anything else
  size_t readsFailed = 0;                               // pages not answered 200
  std::string firstProblem;
  size_t Failed() const { return unanswered + unavailable + refused + readsFailed; }
};

// `clients` threads share the games (client c sends games c, c + clients, ...) under a name each,
// each sending a game and reading a page in turn, `pages` pages between them: boards at several
// offsets and lengths, a game of its own, the daily seed. `acknowledged` is called with the count
// so far after each 202.
tloadresult RunLoad(const std::string &url, const std::vector<tplayedgame> &games, int clients, int pages,
                    const std::function<void(size_t)> &acknowledged = nullptr) {
  tloadresult result;
  std::mutex lock;
  const auto note = [&](size_t &count, const std::string &what) {
    ++count;
    if (result.firstProblem.empty()) result.firstProblem = what;
  };
  std::vector<std::thread> threads;
  for (int c = 0; c < clients; ++c) {
    threads.emplace_back([&, c] {
      const size_t reads = pages / clients + (c < pages % clients ? 1 : 0);
      std::string lastId = games[c % games.size()].id;
      for (size_t r = 0, g = c; r < reads || g < games.size(); ++r, g += clients) {
        if (g < games.size()) {
          const thttpreply reply = Submit(url, SubmissionOf(games[g], "client " + std::to_string(c)));
          std::lock_guard<std::mutex> hold(lock);
          if (reply.status == 202 && reply.Json().value("id", "") == games[g].id) {
            result.acknowledged.insert(lastId = games[g].id);
            if (acknowledged) acknowledged(result.acknowledged.size());
          } else {
            note(reply.status == 503 ? result.unavailable
                 : reply.status == 0 ? result.unanswered
                                     : result.refused,
                 "a submission answered " + std::to_string(reply.status) + " " + reply.error + ": " + reply.body);
          }
        }
        if (r >= reads) continue;
        static const char *const boards[] = {"survivors", "rescue", "horde", "slayer", "daily"};
        const std::string page = r % 4 == 0   ? "/v1/games/" + lastId
                                 : r % 4 == 1 ? std::string("/v1/daily")
                                              : std::string("/v1/boards/") + boards[(r / 4) % 5] +
                                                    "?offset=" + std::to_string((c * 7 + r) % 200) +
                                                    "&limit=" + std::to_string(1 + r % 100);
        const thttpreply reply = HttpGet(url + page);
        std::lock_guard<std::mutex> hold(lock);
        if (reply.status != 200 || !reply.Json().is_object())
          note(result.readsFailed, "a page answered " + std::to_string(reply.status) + " " + reply.error);
      }
    });
  }
  for (std::thread &t : threads) t.join();
  return result;
}

// Waits (two minutes at most) until at most `most` games are pending.
bool WaitQueueAtMost(const std::string &url, double most) {
  for (const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(120);
       std::chrono::steady_clock::now() < end; std::this_thread::sleep_for(std::chrono::milliseconds(100))) {
    const double depth = Metric(url, "redsiege_queue_depth");
    if (depth >= 0 && depth <= most) return true;
  }
  return false;
}

// Every id stored (none lost), and on the survivors board exactly once, but for at most
// `pendingAtMost` still pending (those a killed server's verifiers had claimed wait for their
// lease); nothing else on the board.
void ExpectEachOnceOnBoard(const std::string &url, const std::set<std::string> &ids, size_t pendingAtMost) {
  // The states first, then the board: a game verified in between is both, never neither.
  std::set<std::string> pending;
  size_t lost = 0;
  for (const std::string &id : ids) {
    const thttpreply r = HttpGet(url + "/v1/games/" + id);
    lost += r.status != 200;
    if (r.Json().is_object() && r.Json()["status"] == "pending") pending.insert(id);
  }
  EXPECT_EQ(lost, 0u) << "acknowledged games lost";
  EXPECT_LE(pending.size(), pendingAtMost);
  std::multiset<std::string> seen;
  nlohmann::json page;
  do {
    page = Board(url, "survivors", seen.size());
    ASSERT_TRUE(page.is_object() && page["entries"].is_array()) << page.dump();
    for (const nlohmann::json &e : page["entries"]) seen.insert(e["game"].get<std::string>());
  } while (page["entries"].size() == 100);
  size_t missing = 0, twice = 0, strangers = 0;
  for (const std::string &id : ids) missing += seen.count(id) == 0 && pending.count(id) == 0;
  for (const std::string &id : seen) twice += seen.count(id) > 1, strangers += ids.count(id) == 0;
  EXPECT_EQ(missing, 0u) << "verified games not on the board";
  EXPECT_EQ(twice, 0u) << "games on the board more than once";
  EXPECT_EQ(strangers, 0u) << "games on the board nobody sent";
  EXPECT_EQ(page["total"], seen.size());
}

// Every game sent (again) by `clients` reading `pages` between them: every request answered, each
// game taken once, then verified and on the board once but for `pendingAtMost`; a clean stop.
void ExpectEachTakenOnce(tserver &s, const std::vector<tplayedgame> &games, int clients, int pages,
                         size_t pendingAtMost = 0) {
  const tloadresult result = RunLoad(s.Url(), games, clients, pages);
  EXPECT_EQ(result.Failed(), 0u) << result.firstProblem;
  EXPECT_EQ(result.acknowledged.size(), games.size());
  ASSERT_TRUE(WaitQueueAtMost(s.Url(), static_cast<double>(pendingAtMost))) << s.Log();
  ExpectEachOnceOnBoard(s.Url(), result.acknowledged, pendingAtMost);
  EXPECT_EQ(s.Stop(), 0) << s.Log();
}

}  // namespace

TEST(ServerLoad, FiftyClientsSubmitAndRead) {
  tserver s(SQLITE, kLoad, "/dev/shm");  // the server's work, not this machine's disk
  ASSERT_TRUE(s.Start()) << s.Log();
  ExpectEachTakenOnce(s, Games(1000, 1000), 50, 10000);
}

TEST(ServerFaults, KilledMidLoadLosesNothingAcknowledged) {
  tserver s(SQLITE, kLoad, "/dev/shm");
  ASSERT_TRUE(s.Start()) << s.Log();
  const std::vector<tplayedgame> games = Games(300, 5000);
  std::once_flag killed;
  const tloadresult first = RunLoad(s.Url(), games, 20, 600, [&](size_t acknowledged) {
    if (acknowledged == 120) std::call_once(killed, [&] { s.Kill(); });
  });
  ASSERT_FALSE(s.Running());
  ASSERT_GE(first.acknowledged.size(), 120u);
  // Those after the kill had no answer; none was answered with anything but 202.
  EXPECT_EQ(first.refused + first.unavailable, 0u) << first.firstProblem;
  EXPECT_GT(first.unanswered, 0u);
  ASSERT_TRUE(s.Start()) << s.Log();
  for (const std::string &id : first.acknowledged)
    EXPECT_EQ(HttpGet(s.Url("/v1/games/" + id)).status, 200) << id << " was acknowledged and is lost";
  // Each client sends again what had no answer; a game that did arrive is the same game again. The
  // games the killed server's two verifiers had in hand wait for their leases.
  ExpectEachTakenOnce(s, games, 20, 0, 2);
}

TEST(ServerFaults, PostgresRestartedMidLoad) {
  tserver s(POSTGRESQL, kLoad);
  if (!s.why.empty()) GTEST_SKIP() << s.why;
  std::string why;
  tpgcluster *cluster = tpgcluster::Shared(why);
  ASSERT_TRUE(s.Start()) << s.Log();
  const std::vector<tplayedgame> games = Games(200, 7000);
  std::atomic<size_t> acknowledged{0};
  std::atomic<bool> done{false};
  tloadresult first;
  std::thread load([&] {
    first = RunLoad(s.Url(), games, 10, 400, [&](size_t n) { acknowledged = n; });
    done = true;
  });
  // A quarter of the games in, the database goes away.
  while (acknowledged < 50 && !done) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  cluster->Stop();
  const thttpreply away = Submit(s.Url(), SubmissionOf(PlayScriptedGame(6999, 150), "while away"));
  EXPECT_EQ(away.status, 503) << away.body;
  EXPECT_EQ(HttpGet(s.Url("/healthz")).status, 503);
  ASSERT_TRUE(cluster->Start(why)) << why;
  load.join();
  // Everything was answered: taken, or 503 while the database was away.
  EXPECT_EQ(first.unanswered + first.refused, 0u) << first.firstProblem;
  // Back: the server reconnects; each client sends again what was not taken.
  for (int i = 0; i < 300 && HttpGet(s.Url("/healthz")).status != 200; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  ExpectEachTakenOnce(s, games, 10, 0);
}
