// What players and moderators do to their entries, once through the running server (the store's
// own tests hold the detailed rules): the daily game counted once a day, a player removing
// themselves, a moderator hiding a game or a name from the command line.
#include <gtest/gtest.h>

#include <algorithm>

#include "server/rig.h"

namespace {
std::vector<std::string> Sorted(std::vector<std::string> ids) { return std::sort(ids.begin(), ids.end()), ids; }
}  // namespace

TEST(ServerPlayers, DailyGameCountsOncePerPlayerAndDay) {
  tserver s;
  ASSERT_TRUE(s.Start()) << s.Log();
  const nlohmann::json daily = HttpGet(s.Url("/v1/daily")).Json();
  ASSERT_TRUE(daily.is_object() && daily["seed"].is_number() && daily["token"].is_string()) << daily.dump();
  const uint32_t seed = daily["seed"];
  const tplayedgame first = PlayScriptedGame(seed, 300, daily["help_base"]),
                    second = PlayScriptedGame(seed, 450, daily["help_base"]),
                    other = PlayScriptedGame(seed, 380, daily["help_base"]);
  // The second game of the same player is verified but not counted; another player's is.
  for (const auto &[game, name, counted] :
       {std::tuple{&first, "early bird", true}, std::tuple{&second, "early bird", false},
        std::tuple{&other, "owl", true}}) {
    tsubmission t = SubmissionOf(*game, name);
    t.extra.push_back("Daily-Token: " + daily["token"].get<std::string>());
    ASSERT_EQ(Submit(s.Url(), t).status, 202);
    const nlohmann::json g = WaitVerdict(s.Url(), game->id);
    ASSERT_EQ(g["status"], "verified") << g.dump();
    EXPECT_EQ(g["daily"], (nlohmann::json{{"date", daily["date"]}, {"counted", counted}})) << name;
    EXPECT_EQ(g["ranks"].contains("daily"), counted) << g.dump();
  }
  const nlohmann::json board = Board(s.Url(), "daily", "&date=" + daily["date"].get<std::string>());
  ASSERT_EQ(board["total"], 2) << board.dump();
  const bool firstLeads = first.scores.survive >= other.scores.survive;
  EXPECT_EQ(board["entries"][0]["game"], firstLeads ? first.id : other.id);
  EXPECT_EQ(board["entries"][1]["game"], firstLeads ? other.id : first.id);
  // A game of the day's seed sent without its token is no daily game; today's board is the default.
  const tplayedgame plain = PlayScriptedGame(seed, 250, daily["help_base"]);
  ASSERT_EQ(Submit(s.Url(), SubmissionOf(plain, "no token")).status, 202);
  EXPECT_FALSE(WaitVerdict(s.Url(), plain.id).contains("daily"));
  EXPECT_EQ(Board(s.Url(), "daily"), board);
}

TEST(ServerPlayers, PlayerRemovesThemselvesAndModeratorHides) {
  tserver s;
  ASSERT_TRUE(s.Start()) << s.Log();
  const tplayedgame a = PlayScriptedGame(131, 300), b = PlayScriptedGame(132, 330), c = PlayScriptedGame(133, 360),
                    d = PlayScriptedGame(134, 350);
  for (const auto &[g, name] :
       {std::pair{&a, "fair"}, std::pair{&b, "rude"}, std::pair{&c, "leaves"}, std::pair{&d, "leaves"}})
    ASSERT_EQ(Submit(s.Url(), SubmissionOf(*g, name)).status, 202);
  for (const tplayedgame *g : {&a, &b, &c, &d}) ASSERT_EQ(WaitVerdict(s.Url(), g->id)["status"], "verified");

  const thttpreply removed =
      HttpRequest("DELETE", s.Url("/v1/players/leaves"), {"Authorization: Bearer " + SubmissionOf(c, "leaves").key});
  ASSERT_EQ(removed.status, 200) << removed.body;
  EXPECT_EQ(removed.Json(), (nlohmann::json{{"removed", 2}}));
  for (const tplayedgame *g : {&c, &d}) {
    EXPECT_EQ(HttpGet(s.Url("/v1/games/" + g->id)).status, 404);
    EXPECT_EQ(HttpGet(s.Url("/v1/games/" + g->id + "/replay")).status, 404);
  }
  // The name is free again: anyone may take it.
  tsubmission again = SubmissionOf(c, "leaves");
  again.key = "somebody-else-entirely";
  EXPECT_EQ(Submit(s.Url(), again).status, 202);
  ASSERT_EQ(WaitVerdict(s.Url(), c.id)["status"], "verified");

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
    EXPECT_EQ(Sorted(BoardIds(s.Url(), "survivors")), Sorted(k.shown)) << k.command[0] << " " << k.command[1];
    // A hidden game is not to be found by its id either, nor its replay.
    if (k.command[0] == "hide-game" && k.exit == 0) {
      EXPECT_EQ(HttpGet(s.Url("/v1/games/" + a.id)).status, 404);
      EXPECT_EQ(HttpGet(s.Url("/v1/games/" + a.id + "/replay")).status, 404);
    }
  }
}
