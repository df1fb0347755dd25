// Games played by the headless runner, submitted to the real server, played again by it and
// ranked by what they scored, a forged one refused; the page a person reads, in headless Chromium,
// with the boards' rows (a phone-sized screenshot kept for a person to look at); and a moderator
// hiding a game or a name from the command line on the running server's store, and showing it
// again. (The daily game and a player leaving are the online client's tests against the same
// server; the store's own tests hold the detailed rules.)
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <regex>
#include <set>

#include "game/rules_version.h"
#include "server/rig.h"
#include "server/store.h"

namespace {

nlohmann::json Scores(const tgamescores &s) {
  return {{"survive", s.survive}, {"rescue", s.rescue}, {"horde", s.horde}, {"slayer", s.slayer}};
}

const char *const kChromium = "/usr/bin/chromium";

// Headless Chromium on a profile of its own (removed after), with `argv` of its command line.
int Chromium(std::vector<std::string> argv, std::string &output) {
  ttempdir profile;
  for (const char *a : {"--headless", "--no-sandbox", "--disable-gpu", "--no-first-run", "--disable-sync",
                        "--disable-background-networking", "--disable-component-update"})
    argv.insert(argv.begin(), a);
  argv.insert(argv.begin(), {kChromium, "--user-data-dir=" + profile.path});
  return RunProgram(argv, output);
}

// The rows of the section under the heading `title`, as the browser built them: "rank|name|score|link".
std::vector<std::string> Rows(const std::string &page, const std::string &title) {
  const size_t from = page.find("<h2>" + title);
  if (from == std::string::npos) return {};
  const size_t to = page.find("<h2>", from + 4);
  const std::string section = page.substr(from, to == std::string::npos ? std::string::npos : to - from);
  // A name that was not escaped breaks the row: its cell would hold markup.
  static const std::regex row(
      R"re(<tr>\s*<td[^>]*>(\d+)</td>\s*<td>([^<]*)</td>\s*<td[^>]*>(-?\d+)</td>\s*<td>[^<]*</td>\s*<td><a href="([^"]*)">)re");
  std::vector<std::string> rows;
  for (auto m = std::sregex_iterator(section.begin(), section.end(), row); m != std::sregex_iterator(); ++m)
    rows.push_back((*m)[1].str() + "|" + (*m)[2].str() + "|" + (*m)[3].str() + "|" + (*m)[4].str());
  return rows;
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

// Three games, one under a name holding markup: the page's rows, then a moderator's commands.
TEST(ServerPage, TheBoardsRowsAndNamesAsTextAndAModeratorHidesAndShows) {
  tserver s;
  const std::vector<tplayedgame> games = {PlayScriptedGame(81, 300), PlayScriptedGame(82, 420),
                                          PlayScriptedGame(83, 360)};
  {
    // The name check keeps markup out of names sent to the server; one written straight into the
    // store shows the page escapes whatever a name holds.
    std::string existing;
    ASSERT_EQ(
        OpenSqliteStore(s.dir.path)->InsertGame(NewGameOf(games[0], "<b>me</b> & 'you'", time(nullptr)), existing),
        INSERTED);
  }
  ASSERT_TRUE(s.Start()) << s.Log();
  // The first as the browser writes it back into the document: the text, escaped once.
  const std::string names[] = {"&lt;b&gt;me&lt;/b&gt; &amp; 'you'", "rude", "carl"};
  for (size_t i = 1; i < games.size(); ++i) ASSERT_EQ(Submit(s.Url(), SubmissionOf(games[i], names[i])).status, 202);
  for (const tplayedgame &g : games) ASSERT_EQ(WaitVerdict(s.Url(), g.id)["status"], "verified");

  const thttpreply page = HttpGet(s.Url("/"));
  ASSERT_EQ(page.status, 200);
  EXPECT_EQ(page.headers.at("content-type"), "text/html; charset=utf-8");
  EXPECT_EQ(page.body.find("<script"), std::string::npos) << "the page needs no script";
  if (access(kChromium, X_OK) == 0) {
    std::string dom;
    ASSERT_EQ(Chromium({"--dump-dom", s.Url("/")}, dom), 0) << dom;
    std::vector<size_t> order = {0, 1, 2};
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return games[a].scores.survive > games[b].scores.survive; });
    std::vector<std::string> expected;
    for (size_t i : order)
      expected.push_back(std::to_string(expected.size() + 1) + "|" + names[i] + "|" +
                         std::to_string(games[i].scores.survive) + "|/v1/games/" + games[i].id + "/replay");
    EXPECT_EQ(Rows(dom, "Survivors"), expected) << dom;
    EXPECT_EQ(Rows(dom, "Slayer").size(), 3u);
    EXPECT_EQ(dom.find("<b>me</b>"), std::string::npos) << "a name became markup";
    // Where the other tests' screenshots go (the test command names it), else the build's.
    const char *env = std::getenv("REDSIEGE_SCREENSHOTS");
    const std::string shots = env && *env ? env : std::string(REDSIEGE_BUILD_DIR) + "/screenshots";
    std::filesystem::create_directories(shots);
    const std::string shot = shots + "/server-page-phone.png";
    std::filesystem::remove(shot);
    std::string output;
    EXPECT_EQ(Chromium({"--screenshot=" + shot, "--window-size=412,915", s.Url("/")}, output), 0) << output;
    EXPECT_TRUE(std::filesystem::exists(shot)) << output;
  } else {
    ADD_FAILURE() << kChromium << " is not installed: the page is not read in a browser";
  }

  const std::string &a = games[0].id, &b = games[1].id, &c = games[2].id;
  const struct {
    std::vector<std::string> command;
    int exit;
    std::vector<std::string> shown;
  } moderator[] = {
      {{"hide-game", a}, 0, {b, c}},     {{"hide-name", "rude"}, 0, {c}}, {{"hide-game", "0123456789abcdef"}, 1, {c}},
      {{"hide-name", "nobody"}, 1, {c}}, {{"show-game", a}, 0, {a, c}},   {{"show-name", "rude"}, 0, {a, b, c}},
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
      EXPECT_EQ(HttpGet(s.Url("/v1/games/" + a)).status, 404);
      EXPECT_EQ(HttpGet(s.Url("/v1/games/" + a + "/replay")).status, 404);
    }
  }
}
