// A moderator hiding a game or a name from the command line on the running server's store, and
// showing it again. (The daily game and a player leaving are the online client's tests against the
// same server; the store's own tests hold the detailed rules.)
#include <gtest/gtest.h>

#include <set>

#include "server/rig.h"

TEST(ServerPlayers, ModeratorHidesAndShowsGamesAndNames) {
  tserver s;
  ASSERT_TRUE(s.Start()) << s.Log();
  const tplayedgame a = PlayScriptedGame(131, 300), b = PlayScriptedGame(132, 330), c = PlayScriptedGame(133, 360);
  for (const auto &[g, name] : {std::pair{&a, "fair"}, std::pair{&b, "rude"}, std::pair{&c, "other"}}) {
    ASSERT_EQ(Submit(s.Url(), SubmissionOf(*g, name)).status, 202);
    ASSERT_EQ(WaitVerdict(s.Url(), g->id)["status"], "verified");
  }
  const struct {
    std::vector<std::string> command;
    int exit;
    std::vector<std::string> shown;
  } moderator[] = {
      {{"hide-game", a.id}, 0, {b.id, c.id}},         {{"hide-name", "rude"}, 0, {c.id}},
      {{"hide-game", "0123456789abcdef"}, 1, {c.id}}, {{"hide-name", "nobody"}, 1, {c.id}},
      {{"show-game", a.id}, 0, {a.id, c.id}},         {{"show-name", "rude"}, 0, {a.id, b.id, c.id}},
  };
  for (const auto &k : moderator) {
    std::vector<std::string> argv = {REDSIEGE_SERVER};
    argv.insert(argv.end(), s.store.begin(), s.store.end());
    argv.insert(argv.end(), k.command.begin(), k.command.end());
    std::string output;
    EXPECT_EQ(RunProgram(argv, output), k.exit) << k.command[0] << ": " << output;
    const nlohmann::json board = Board(s.Url(), "survivors");
    std::set<std::string> shown;
    for (const nlohmann::json &e : board["entries"]) shown.insert(e.value("game", ""));
    EXPECT_EQ(shown, std::set<std::string>(k.shown.begin(), k.shown.end())) << k.command[0] << " " << k.command[1];
    // A hidden game is not to be found by its id either, nor its replay.
    if (k.command[0] == "hide-game" && k.exit == 0) {
      EXPECT_EQ(HttpGet(s.Url("/v1/games/" + a.id)).status, 404);
      EXPECT_EQ(HttpGet(s.Url("/v1/games/" + a.id + "/replay")).status, 404);
    }
  }
}
