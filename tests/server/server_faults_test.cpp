// The server under faults, on loopback and bounded (short games, fixed counts, deadlines): many
// clients at once with the server killed outright mid-load, or PostgreSQL restarted under it (every
// request answered, nothing acknowledged lost, nothing twice); the state folder on a small tmpfs
// that fills up (503s that leave nothing half-written, games taken again once space is freed); and
// hostile clients on raw sockets (slow headers, a body sent slowly, a client gone quiet, a body
// announced huge), each cut off in bounded time while everyone else is served.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/mount.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <future>
#include <set>

#include "server/pg_cluster.h"
#include "server/rig.h"

namespace {
using std::chrono::milliseconds;

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

std::string IntegrityCheck(const std::string &db) {
  sqlite3 *handle = nullptr;
  sqlite3_stmt *query = nullptr;
  std::string answer = "cannot open";
  if (sqlite3_open_v2(db.c_str(), &handle, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
      sqlite3_prepare_v2(handle, "PRAGMA integrity_check", -1, &query, nullptr) == SQLITE_OK &&
      sqlite3_step(query) == SQLITE_ROW)
    answer = reinterpret_cast<const char *>(sqlite3_column_text(query, 0));
  sqlite3_finalize(query);
  sqlite3_close(handle);
  return answer;
}

const std::string kHead =
    "POST /v1/games HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: application/x-redsiege-replay\r\n";

std::vector<std::string> Trickle(const std::string &first, const std::string &byte, int count) {
  std::vector<std::string> parts = {first};
  parts.insert(parts.end(), count, byte);
  return parts;
}

}  // namespace

// Fifty clients send a thousand games and read ten thousand pages; half the games in, the server
// is killed outright. Started again, each client sends again what had no answer (a game that did
// arrive is the same game again) under the same load: every request answered, each game taken
// once. The games the killed server's two verifiers had in hand wait for their leases.
TEST(ServerLoad, FiftyClientsAndAKillMidLoadLoseNothingAcknowledged) {
  tserver s(SQLITE, kLoad, "/dev/shm");  // the server's work, not this machine's disk
  ASSERT_TRUE(s.Start()) << s.Log();
  const std::vector<tplayedgame> games = Games(1000, 1000);
  std::once_flag killed;
  const tloadresult first = RunLoad(s.Url(), games, 50, 10000, [&](size_t acknowledged) {
    if (acknowledged == 500) std::call_once(killed, [&] { s.Kill(); });
  });
  ASSERT_FALSE(s.Running());
  ASSERT_GE(first.acknowledged.size(), 500u);
  // Those after the kill had no answer; none was answered with anything but 202.
  EXPECT_EQ(first.refused + first.unavailable, 0u) << first.firstProblem;
  EXPECT_GT(first.unanswered, 0u);
  ASSERT_TRUE(s.Start()) << s.Log();
  for (const std::string &id : first.acknowledged)
    EXPECT_EQ(HttpGet(s.Url("/v1/games/" + id)).status, 200) << id << " was acknowledged and is lost";
  ExpectEachTakenOnce(s, games, 50, 10000, 2);
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

TEST(ServerFaults, FullDiskAnswers503AndRecovers) {
  ttempdir disk;
  if (mount("redsiege-test", disk.path.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=4m,mode=0700") != 0)
    GTEST_SKIP() << "mount refused: " << std::strerror(errno);
  const std::shared_ptr<void> unmount(nullptr, [&](void *) { umount2(disk.path.c_str(), MNT_DETACH); });
  tserver s(SQLITE, {}, disk.path);
  ASSERT_TRUE(s.Start()) << s.Log();
  const tplayedgame before = PlayScriptedGame(90, 250);
  ASSERT_EQ(Submit(s.Url(), SubmissionOf(before, "early")).status, 202);
  ASSERT_EQ(WaitVerdict(s.Url(), before.id)["status"], "verified");

  // The disk filled to its last byte (a page at a time, then a byte at a time).
  const std::string filler = disk.path + "/filler";
  const int fd = open(filler.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
  static const char block[4096] = {};
  for (ssize_t size : {4096, 1})
    while (write(fd, block, static_cast<size_t>(size)) == size) {
    }
  close(fd);
  // Pages already written may take a game or two; past them, every answer is 503.
  std::vector<tplayedgame> refused;
  std::set<std::string> taken = {before.id};
  for (uint32_t seed = 91; seed < 111 && refused.size() < 3; ++seed) {
    const tplayedgame g = PlayScriptedGame(seed, 250);
    const thttpreply r = Submit(s.Url(), SubmissionOf(g, "late"));
    ASSERT_TRUE(r.status == 202 || r.status == 503) << r.status << ": " << r.body;
    if (r.status == 503) {
      EXPECT_TRUE(r.Json().is_object() && r.Json()["error"].is_string()) << r.body;
      refused.push_back(g);
    } else {
      taken.insert(g.id);
    }
  }
  ASSERT_EQ(refused.size(), 3u) << "the full disk never refused a game";
  EXPECT_EQ(HttpGet(s.Url("/v1/boards/survivors")).status, 200);  // reading needs no space
  for (const tplayedgame &g : refused) EXPECT_EQ(HttpGet(s.Url("/v1/games/" + g.id)).status, 404) << "half-written";

  // Space again: the refused games are taken, and everything taken is verified.
  std::filesystem::remove(filler);
  for (const tplayedgame &g : refused) {
    EXPECT_EQ(Submit(s.Url(), SubmissionOf(g, "late")).status, 202);
    taken.insert(g.id);
  }
  for (const std::string &id : taken) EXPECT_EQ(WaitVerdict(s.Url(), id)["status"], "verified") << id;
  EXPECT_EQ(Board(s.Url(), "survivors")["total"], taken.size());
  EXPECT_EQ(s.Stop(), 0) << s.Log();
  EXPECT_EQ(IntegrityCheck(s.dir.path + "/scores.db"), "ok");
}

TEST(ServerSlowClients, CutInBoundedTimeWhileOthersAreServed) {
  tserver s(SQLITE, {"--request-timeout", "2", "--idle-timeout", "1"});
  ASSERT_TRUE(s.Start()) << s.Log();
  const int port = s.port();
  struct tcase {
    const char *what;
    std::vector<std::string> parts;
    milliseconds pause;
    int status;  // the answer expected; 0: the connection closed, with a 408 or none
  };
  // 120 parts 100 ms apart: twelve seconds, six times the time a request has.
  const tcase cases[] = {
      {"headers sent a byte at a time", Trickle("GET /v1/daily HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Slow: ", "a", 120),
       milliseconds(100), 0},
      {"a body sent a byte at a time", Trickle(kHead + "Content-Length: 100000\r\n\r\n", "x", 120), milliseconds(100),
       0},
      {"a client gone quiet mid-headers", {"GET /v1/daily HTTP/1.1\r\nHost: 1"}, milliseconds(0), 0},
      {"a body announced at a terabyte", {kHead + "Content-Length: 1000000000000\r\n\r\n"}, milliseconds(0), 413},
  };
  std::vector<std::future<trawreply>> hostile;
  for (const tcase &c : cases)
    hostile.push_back(std::async(std::launch::async,
                                 [&c, port] { return RawExchange(port, c.parts, c.pause, milliseconds(15000)); }));
  // Everyone else is answered meanwhile.
  int answered = 0;
  for (int i = 0; i < 40; ++i) answered += HttpGet(s.Url("/v1/boards/survivors")).status == 200;
  EXPECT_EQ(answered, 40);
  for (size_t i = 0; i < hostile.size(); ++i) {
    const trawreply r = hostile[i].get();
    const tcase &c = cases[i];
    EXPECT_TRUE(r.closed) << c.what << ": still open";
    EXPECT_TRUE(r.cut || c.parts.size() == 1) << c.what << ": sent to its end without being cut";
    EXPECT_EQ(r.Status(), c.status == 0 && r.Status() == 408 ? 408 : c.status) << c.what << ": " << r.text;
  }
  EXPECT_EQ(s.Stop(), 0) << s.Log();
}
