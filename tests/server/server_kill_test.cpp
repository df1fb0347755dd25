// The server killed outright in the middle of a load, then started again on the same state:
// nothing it acknowledged is lost and nothing is there twice.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>

#include "server/load.h"
#include "server/server_fixture.h"

TEST(ServerFaults, KilledMidLoadLosesNothingAcknowledged) {
  ttestserver s(SQLITE, LoadServerOptions(), RamFolder());
  ASSERT_TRUE(s.server.Start()) << s.server.Log();
  const std::vector<tplayedgame> games = LoadGames(300, 5000);
  std::once_flag killed;
  const tloadresult first = RunLoad(s.Url(), games, 20, 600, [&](size_t acknowledged) {
    if (acknowledged == 120) std::call_once(killed, [&] { s.server.Kill(); });
  });
  ASSERT_FALSE(s.server.Running());
  ASSERT_GE(first.acknowledged.size(), 120u);
  // Those after the kill had no answer; none was answered with anything but 202.
  EXPECT_EQ(first.refused + first.unavailable, 0u) << first.firstProblem;
  EXPECT_GT(first.unanswered, 0u);

  ASSERT_TRUE(s.server.Start()) << s.server.Log();
  // Every acknowledged game is there under its player.
  for (const std::string &id : first.acknowledged) {
    const thttpreply r = HttpGet(s.Url("/v1/games/" + id));
    EXPECT_EQ(r.status, 200) << id << " was acknowledged and is lost";
  }
  // Each client sends again what had no answer; a game that did arrive is the same game again.
  const tloadresult second = RunLoad(s.Url(), games, 20, 0);
  EXPECT_EQ(second.unanswered + second.refused + second.unavailable, 0u) << second.firstProblem;
  EXPECT_EQ(second.acknowledged.size(), games.size());
  // The games the killed server's two verifiers had in hand wait for their leases; the rest are
  // played and ranked once each.
  ASSERT_TRUE(WaitQueueAtMost(s.Url(), 2)) << s.server.Log();
  ExpectNoneLostNoneTwice(s.Url(), second.acknowledged, 2);
  EXPECT_EQ(s.server.Stop(), 0) << s.server.Log();
}
