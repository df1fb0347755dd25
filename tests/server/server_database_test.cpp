// The server on PostgreSQL: restarted under a running server, the database is away for a moment
// (submissions answered 503) and then back (the server reconnects and goes on, nothing
// acknowledged lost or doubled); two servers on one database share its board and its work.
#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>

#include "server/load.h"
#include "server/pg_cluster.h"
#include "server/server_fixture.h"

TEST(ServerFaults, PostgresRestartedMidLoad) {
  ttestserver s(POSTGRESQL, LoadServerOptions());
  if (!s.why.empty()) GTEST_SKIP() << s.why;
  std::string why;
  tpgcluster *cluster = TestCluster(why);
  ASSERT_TRUE(cluster) << why;
  ASSERT_TRUE(s.server.Start()) << s.server.Log();
  const std::vector<tplayedgame> games = LoadGames(200, 7000);
  std::atomic<size_t> acknowledged{0};
  std::atomic<bool> done{false};
  tloadresult first;
  std::thread load([&] {
    first = RunLoad(s.Url(), games, 10, 400, [&](size_t n) { acknowledged = n; });
    done = true;
  });
  // A quarter of the games in, the database goes away.
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (acknowledged < 50 && !done && std::chrono::steady_clock::now() < limit)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  // A fast shutdown cuts every session, as a real restart does.
  cluster->Stop();
  const thttpreply away = Submit(s.Url(), SubmissionOf(PlayScriptedGame(6999, 150), "while away"));
  EXPECT_EQ(away.status, 503) << away.body;
  EXPECT_EQ(HttpGet(s.Url("/healthz")).status, 503);
  ASSERT_TRUE(cluster->Start(why)) << why;
  load.join();
  // Everything was answered: taken, or 503 while the database was away.
  EXPECT_EQ(first.unanswered + first.refused, 0u) << first.firstProblem;
  // Back: the server reconnects; each client sends again what was not taken.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (HttpGet(s.Url("/healthz")).status != 200 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  const tloadresult second = RunLoad(s.Url(), games, 10, 0);
  EXPECT_EQ(second.unanswered + second.refused + second.unavailable, 0u) << second.firstProblem;
  EXPECT_EQ(second.acknowledged.size(), games.size());
  ASSERT_TRUE(WaitQueueAtMost(s.Url())) << s.server.Log();
  ExpectEachOnceOnBoard(s.Url(), second.acknowledged, games.size());
  EXPECT_EQ(s.server.Stop(), 0) << s.server.Log();
}

// Two servers on one PostgreSQL database, as on two hosts: one board, and each game played by
// exactly one of them.
TEST(ServerDatabases, TwoServersShareOneBoard) {
  ttestserver s(POSTGRESQL, LoadServerOptions());
  if (!s.why.empty()) GTEST_SKIP() << s.why;
  tserverprocess other(s.config);
  ASSERT_TRUE(s.server.Start()) << s.server.Log();
  ASSERT_TRUE(other.Start()) << other.Log();
  const std::vector<tplayedgame> games = LoadGames(100, 8000);
  // Alternate games go to each server.
  std::vector<tplayedgame> halves[2];
  for (size_t i = 0; i < games.size(); ++i) halves[i % 2].push_back(games[i]);
  tloadresult results[2];
  std::thread second([&] { results[1] = RunLoad(other.Url(""), halves[1], 5, 100); });
  results[0] = RunLoad(s.Url(), halves[0], 5, 100);
  second.join();
  std::set<std::string> all;
  for (const tloadresult &r : results) {
    EXPECT_EQ(r.unanswered + r.refused + r.unavailable + r.readsFailed, 0u) << r.firstProblem;
    all.insert(r.acknowledged.begin(), r.acknowledged.end());
  }
  ASSERT_EQ(all.size(), games.size());
  ASSERT_TRUE(WaitQueueAtMost(s.Url())) << s.server.Log();
  ExpectEachOnceOnBoard(s.Url(), all, games.size());
  EXPECT_EQ(Board(s.Url(), "survivors"), Board(other.Url(""), "survivors"));
  // Played once each between them.
  EXPECT_EQ(Metric(s.Url(), "redsiege_verifications_total") + Metric(other.Url(""), "redsiege_verifications_total"),
            static_cast<double>(games.size()));
  EXPECT_EQ(other.Stop(), 0) << other.Log();
  EXPECT_EQ(s.server.Stop(), 0) << s.server.Log();
}
