// What players and moderators do to their entries: the daily game counted once a day, a player
// removing themselves, a moderator hiding a game or a name from the command line.
#include <gtest/gtest.h>

#include "server/server_fixture.h"

TEST(ServerPlayers, DailyGameCountsOncePerPlayerAndDay) {
  ttestserver s;
  ASSERT_TRUE(s.server.Start()) << s.server.Log();
  const nlohmann::json daily = HttpGet(s.Url("/v1/daily")).Json();
  ASSERT_TRUE(daily.is_object() && daily["seed"].is_number() && daily["token"].is_string()) << daily.dump();
  const uint32_t seed = daily["seed"];
  const std::string token = "Daily-Token: " + daily["token"].get<std::string>();
  const tplayedgame first = PlayScriptedGame(seed, 300, daily["help_base"]);
  // The second game's id sorts before the first's, so only the order they came in tells them apart.
  tplayedgame second;
  for (int frames = 450; second.id.empty() || second.id > first.id; ++frames) {
    ASSERT_LT(frames, 1000);
    second = PlayScriptedGame(seed, frames, daily["help_base"]);
  }
  const tplayedgame other = PlayScriptedGame(seed, 380, daily["help_base"]);
  struct tcase {
    const tplayedgame &game;
    const char *name;
    bool counted;
  };
  // The second game of the same player is verified but not counted; another player's is.
  for (const tcase &c :
       {tcase{first, "early bird", true}, tcase{second, "early bird", false}, tcase{other, "night owl", true}}) {
    tsubmission t = SubmissionOf(c.game, c.name);
    t.extra.push_back(token);
    ASSERT_EQ(Submit(s.Url(), t).status, 202);
    const nlohmann::json g = WaitVerdict(s.Url(), c.game.id);
    ASSERT_EQ(g["status"], "verified") << g.dump();
    EXPECT_EQ(g["daily"], (nlohmann::json{{"date", daily["date"]}, {"counted", c.counted}})) << c.name;
    EXPECT_EQ(g["ranks"].contains("daily"), c.counted) << g.dump();
  }
  const nlohmann::json board = Board(s.Url(), "daily", "&date=" + daily["date"].get<std::string>());
  ASSERT_EQ(board["total"], 2) << board.dump();
  const bool firstLeads = first.scores.survive >= other.scores.survive;
  EXPECT_EQ(board["entries"][0]["game"], firstLeads ? first.id : other.id);
  EXPECT_EQ(board["entries"][1]["game"], firstLeads ? other.id : first.id);
  EXPECT_EQ(Board(s.Url(), "daily")["total"], 2) << "today's board is the default";
  // A game of the day's seed sent without its token is no daily game.
  const tplayedgame plain = PlayScriptedGame(seed, 250, daily["help_base"]);
  ASSERT_EQ(Submit(s.Url(), SubmissionOf(plain, "no token")).status, 202);
  const nlohmann::json g = WaitVerdict(s.Url(), plain.id);
  EXPECT_FALSE(g.contains("daily")) << g.dump();
  EXPECT_EQ(Board(s.Url(), "daily")["total"], 2);
}

TEST(ServerPlayers, PlayerRemovesThemselves) {
  ttestserver s;
  ASSERT_TRUE(s.server.Start()) << s.server.Log();
  const tplayedgame kept = PlayScriptedGame(121, 300);
  const std::vector<tplayedgame> mine = {PlayScriptedGame(122, 300), PlayScriptedGame(123, 350)};
  ASSERT_EQ(Submit(s.Url(), SubmissionOf(kept, "stays")).status, 202);
  for (const tplayedgame &g : mine) ASSERT_EQ(Submit(s.Url(), SubmissionOf(g, "leaves now")).status, 202);
  for (const tplayedgame &g : mine) ASSERT_EQ(WaitVerdict(s.Url(), g.id)["status"], "verified");
  const std::string key = SubmissionOf(mine[0], "leaves now").key;
  const thttpreply r =
      HttpRequest("DELETE", s.Url("/v1/players/" + PercentEncode("leaves now")), {"Authorization: Bearer " + key});
  ASSERT_EQ(r.status, 200) << r.body;
  EXPECT_EQ(r.Json(), (nlohmann::json{{"removed", 2}}));
  for (const tplayedgame &g : mine) {
    EXPECT_EQ(HttpGet(s.Url("/v1/games/" + g.id)).status, 404);
    EXPECT_EQ(HttpGet(s.Url("/v1/games/" + g.id + "/replay")).status, 404);
  }
  EXPECT_EQ(WaitVerdict(s.Url(), kept.id)["status"], "verified");
  EXPECT_EQ(BoardIds(s.Url(), "survivors"), std::vector<std::string>{kept.id});
  // The name is free again: anyone may take it.
  const tplayedgame again = PlayScriptedGame(124, 300);
  tsubmission t = SubmissionOf(again, "leaves now");
  t.key = "somebody-else-entirely";
  EXPECT_EQ(Submit(s.Url(), t).status, 202);
}

TEST(ServerPlayers, ModeratorHidesGamesAndNames) {
  ttestserver s;
  ASSERT_TRUE(s.server.Start()) << s.server.Log();
  const tplayedgame a = PlayScriptedGame(131, 300), b = PlayScriptedGame(132, 330), c = PlayScriptedGame(133, 360);
  for (const auto &[g, name] : {std::pair{&a, "fair"}, std::pair{&b, "fair"}, std::pair{&c, "rude"}})
    ASSERT_EQ(Submit(s.Url(), SubmissionOf(*g, name)).status, 202);
  for (const tplayedgame *g : {&a, &b, &c}) ASSERT_EQ(WaitVerdict(s.Url(), g->id)["status"], "verified");
  const auto visible = [&] {
    std::vector<std::string> ids = BoardIds(s.Url(), "survivors");
    std::sort(ids.begin(), ids.end());
    return ids;
  };
  const auto sorted = [](std::vector<std::string> ids) { return std::sort(ids.begin(), ids.end()), ids; };
  struct tcase {
    std::vector<std::string> command;
    int exit;
    std::vector<std::string> shown;
  };
  const tcase cases[] = {
      {{"hide-game", a.id}, 0, sorted({b.id, c.id})},
      {{"hide-name", "rude"}, 0, sorted({b.id})},
      {{"show-game", a.id}, 0, sorted({a.id, b.id})},
      {{"show-name", "rude"}, 0, sorted({a.id, b.id, c.id})},
      {{"hide-game", "0123456789abcdef"}, 1, sorted({a.id, b.id, c.id})},
      {{"hide-name", "nobody"}, 1, sorted({a.id, b.id, c.id})},
  };
  for (const tcase &k : cases) {
    std::string output;
    EXPECT_EQ(RunModerator(s.config, k.command, output), k.exit) << k.command[0] << ": " << output;
    EXPECT_EQ(visible(), k.shown) << k.command[0] << " " << k.command[1];
  }
  // A hidden game is not to be found by its id either, nor its replay.
  std::string output;
  ASSERT_EQ(RunModerator(s.config, {"hide-game", c.id}, output), 0) << output;
  EXPECT_EQ(HttpGet(s.Url("/v1/games/" + c.id)).status, 404);
  EXPECT_EQ(HttpGet(s.Url("/v1/games/" + c.id + "/replay")).status, 404);
}
