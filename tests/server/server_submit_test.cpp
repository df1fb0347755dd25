// Games played by the headless runner, submitted to the real server, played again by it and
// ranked by what they scored; a forged one refused.
#include <gtest/gtest.h>

#include <algorithm>

#include "game/rules_version.h"
#include "server/rig.h"

namespace {

nlohmann::json Scores(const tgamescores &s) {
  return {{"survive", s.survive}, {"rescue", s.rescue}, {"horde", s.horde}, {"slayer", s.slayer}};
}

}  // namespace

class ServerOnEachDatabase : public ::testing::TestWithParam<tbackend> {};

TEST_P(ServerOnEachDatabase, PlayedGamesComeOutVerifiedAndRanked) {
  tserver s(GetParam());
  if (!s.why.empty()) GTEST_SKIP() << s.why;
  ASSERT_TRUE(s.Start()) << s.Log();
  // Three short games of their own seeds and lengths, and the golden one that ends in the rescue.
  std::vector<tplayedgame> games = {PlayScriptedGame(11, 300), PlayScriptedGame(12, 420), PlayScriptedGame(13, 360),
                                    GoldenGame("rescue")};
  ASSERT_FALSE(games.back().bytes.empty()) << "the golden rescue replay cannot be read";
  ASSERT_TRUE(games.back().won);
  const std::string names[] = {"anna", "bert 2", "carl!", "dora+"};
  for (size_t i = 0; i < games.size(); ++i) {
    const thttpreply r = Submit(s.Url(), SubmissionOf(games[i], names[i]));
    ASSERT_EQ(r.status, 202) << r.body;
    EXPECT_EQ(r.Json()["id"], games[i].id);
    EXPECT_EQ(r.Json()["status"], "pending");
  }
  // A forger edits a game's frames (the clock hurried on each: a longer day in the same frames) and
  // makes its CRCs right: the server plays the edited frames, so a claim of the original's scores
  // is refused, counted, and ranked nowhere.
  tplayedgame forged;
  ASSERT_TRUE(PlayReplayBytes(Rewritten(games[0].bytes,
                                        [](treplay &r) {
                                          for (tframeinput &f : r.frames) f.held |= ACTION_RUSH;
                                        }),
                              forged));
  ASSERT_NE(forged.scores.survive, games[0].scores.survive);
  tsubmission lie = SubmissionOf(forged, "forger");
  lie.claimed = ClaimedScores(games[0].scores);
  ASSERT_EQ(Submit(s.Url(), lie).status, 202);
  // Sent again by its player, the same game.
  const thttpreply again = Submit(s.Url(), SubmissionOf(games[0], names[0]));
  EXPECT_EQ(again.status, 202);
  EXPECT_EQ(again.Json()["id"], games[0].id);
  for (size_t i = 0; i < games.size(); ++i) {
    const nlohmann::json g = WaitVerdict(s.Url(), games[i].id);
    ASSERT_EQ(g.value("status", ""), "verified") << g.dump();
    EXPECT_EQ(g["name"], names[i]);
    EXPECT_EQ(g["submitted"].get<std::string>().size(), 20u) << g.dump();  // 2026-12-08T23:50:00Z
    EXPECT_EQ(g["scores"], Scores(games[i].scores));
    EXPECT_EQ(g["rules"], RULES_VERSION);
    EXPECT_EQ(g["seed"], games[i].seed);
    EXPECT_EQ(g["won"], games[i].won);
    EXPECT_EQ(g["ended"], games[i].won ? "rescued" : "unfinished");
    // Only a won game is on the rescue board.
    EXPECT_EQ(g["ranks"].contains("rescue"), games[i].won) << g.dump();
    for (const char *b : {"survivors", "horde", "slayer"}) EXPECT_TRUE(g["ranks"].contains(b)) << b;
  }
  const nlohmann::json refused = WaitVerdict(s.Url(), forged.id);
  EXPECT_EQ(refused["status"], "refused") << refused.dump();
  EXPECT_EQ(refused["refusal"], "claimed scores differ");
  EXPECT_FALSE(refused.contains("ranks"));
  // The survivors board in order of the survive scores the games played, each game told its rank.
  std::vector<size_t> order = {0, 1, 2, 3};
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return games[a].scores.survive > games[b].scores.survive; });
  const nlohmann::json board = Board(s.Url(), "survivors");
  ASSERT_EQ(board["total"], 4);
  for (size_t i = 0; i < order.size(); ++i) {
    const nlohmann::json &e = board["entries"][i];
    EXPECT_EQ(e["rank"], i + 1);
    EXPECT_EQ(e["game"], games[order[i]].id);
    EXPECT_EQ(e["name"], names[order[i]]);
    EXPECT_EQ(e["score"], games[order[i]].scores.survive);
    EXPECT_EQ(e["rules"], RULES_VERSION);
    EXPECT_EQ(HttpGet(s.Url("/v1/games/" + games[order[i]].id)).Json()["ranks"]["survivors"],
              (nlohmann::json{{"rank", i + 1}, {"of", 4}}));
  }
  const nlohmann::json rescue = Board(s.Url(), "rescue");
  ASSERT_EQ(rescue["total"], 1);
  EXPECT_EQ(rescue["entries"][0]["score"], games[3].scores.rescue);
  // Each replay comes back as it was sent.
  for (const tplayedgame &g : games) {
    const thttpreply r = HttpGet(s.Url("/v1/games/" + g.id + "/replay"));
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(r.body, std::string(g.bytes.begin(), g.bytes.end()));
    EXPECT_EQ(r.headers.at("content-type"), "application/x-redsiege-replay");
    EXPECT_EQ(r.headers.at("content-disposition"), "attachment; filename=\"redsiege-" + g.id + ".rsr\"");
  }
  EXPECT_EQ(Metric(s.Url(), "redsiege_submissions_total"), 5);
  EXPECT_EQ(Metric(s.Url(), "redsiege_verifications_total"), 5);
  EXPECT_EQ(Metric(s.Url(), "redsiege_refusals_total{reason=\"claimed scores differ\"}"), 1);
  EXPECT_EQ(Metric(s.Url(), "redsiege_queue_depth"), 0);
  EXPECT_EQ(HttpGet(s.Url("/healthz")).Json(),
            (nlohmann::json{{"status", "ok"}, {"database", GetParam() == SQLITE ? "sqlite" : "postgresql"}}));
  EXPECT_EQ(s.Stop(), 0) << s.Log();
  // Started again on the same store, it serves the same boards.
  ASSERT_TRUE(s.Start()) << s.Log();
  EXPECT_EQ(Board(s.Url(), "survivors"), board);
}

INSTANTIATE_TEST_SUITE_P(Databases, ServerOnEachDatabase, ::testing::Values(SQLITE, POSTGRESQL),
                         [](const ::testing::TestParamInfo<tbackend> &p) { return p.param ? "postgresql" : "sqlite"; });
