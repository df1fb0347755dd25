// Many clients at once on loopback: every request answered, every game taken in on its board once.
// Bounded: short games, a fixed count, and a deadline on the verifiers' catching up.
#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>

#include "server/load.h"
#include "server/server_fixture.h"

TEST(ServerLoad, FiftyClientsSubmitAndRead) {
  ttestserver s(SQLITE, LoadServerOptions(), RamFolder());
  ASSERT_TRUE(s.server.Start()) << s.server.Log();
  const std::vector<tplayedgame> games = LoadGames(1000);
  tloadresult result = RunLoad(s.Url(), games, 50, 10000);
  EXPECT_EQ(result.unanswered, 0) << result.firstProblem;
  EXPECT_EQ(result.readsFailed, 0) << result.firstProblem;
  EXPECT_EQ(result.acknowledged.size(), games.size()) << result.firstProblem;
  ASSERT_TRUE(WaitQueueAtMost(s.Url())) << s.server.Log();
  ExpectEachOnceOnBoard(s.Url(), result.acknowledged, result.acknowledged.size());
  EXPECT_EQ(s.server.Stop(), 0) << s.server.Log();
}
