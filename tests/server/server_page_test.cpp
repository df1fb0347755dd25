// The page in a real browser: headless Chromium reads the boards' rows back, a name holding HTML
// shows as text, and a phone-sized screenshot is kept for a person to look at.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <regex>

#include "server/rig.h"
#include "server/store.h"

namespace {

const char *const kChromium = "/usr/bin/chromium";

// Headless Chromium on a profile of its own (removed after), with `more` of its command line.
int Chromium(std::vector<std::string> argv, std::string &output) {
  ttempdir profile;
  for (const char *a : {"--headless", "--no-sandbox", "--disable-gpu", "--no-first-run", "--disable-sync",
                        "--disable-background-networking", "--disable-component-update"})
    argv.insert(argv.begin(), a);
  argv.insert(argv.begin(), {kChromium, "--user-data-dir=" + profile.path});
  return RunProgram(argv, output);
}

// The text of a name as the browser wrote it back (quotes are left bare in text).
std::string Unescape(std::string text) {
  for (const auto &[from, to] : {std::pair{"&lt;", "<"}, std::pair{"&gt;", ">"}, std::pair{"&amp;", "&"}})
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + 1))
      text.replace(at, std::strlen(from), to);
  return text;
}

// The rows of the section under the heading `title`, as the browser built them: "rank|name|score|link".
std::vector<std::string> Rows(const std::string &dom, const std::string &title) {
  const size_t from = dom.find("<h2>" + title);
  if (from == std::string::npos) return {};
  const size_t to = dom.find("<h2>", from + 4);
  const std::string section = dom.substr(from, to == std::string::npos ? std::string::npos : to - from);
  // A name that was not escaped breaks the row: its cell would hold markup.
  static const std::regex row(
      R"re(<tr>\s*<td[^>]*>(\d+)</td>\s*<td>([^<]*)</td>\s*<td[^>]*>(-?\d+)</td>\s*<td>[^<]*</td>\s*<td><a href="([^"]*)">)re");
  std::vector<std::string> rows;
  for (auto m = std::sregex_iterator(section.begin(), section.end(), row); m != std::sregex_iterator(); ++m)
    rows.push_back((*m)[1].str() + "|" + Unescape((*m)[2]) + "|" + (*m)[3].str() + "|" + (*m)[4].str());
  return rows;
}

}  // namespace

TEST(ServerPage, BrowserReadsTheBoardsRowsAndNamesStayText) {
  if (access(kChromium, X_OK) != 0)
    GTEST_SKIP() << kChromium << " is not installed: the page is not tested in a browser";
  tserver s;
  const std::string markup = "<b>me</b> & 'you'";
  const std::vector<tplayedgame> games = {PlayScriptedGame(81, 300), PlayScriptedGame(82, 420),
                                          PlayScriptedGame(83, 360)};
  {
    // The name check keeps markup out of names sent to the server; one written straight into the
    // store shows the page escapes whatever a name holds.
    std::string existing;
    ASSERT_EQ(OpenSqliteStore(s.dir.path)->InsertGame(NewGameOf(games[0], markup, time(nullptr)), existing), INSERTED);
  }
  ASSERT_TRUE(s.Start()) << s.Log();
  const std::string names[] = {markup, "bert", "carl"};
  for (size_t i = 1; i < games.size(); ++i) ASSERT_EQ(Submit(s.Url(), SubmissionOf(games[i], names[i])).status, 202);
  for (const tplayedgame &g : games) ASSERT_EQ(WaitVerdict(s.Url(), g.id)["status"], "verified");

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
  EXPECT_EQ(HttpGet(s.Url("/")).body.find("<script"), std::string::npos) << "the page needs no script";

  // Where the other tests' screenshots go (the test command names it), else the build's.
  const char *env = std::getenv("REDSIEGE_SCREENSHOTS");
  const std::string shots = env && *env ? env : std::string(REDSIEGE_BUILD_DIR) + "/screenshots";
  std::filesystem::create_directories(shots);
  const std::string shot = shots + "/server-page-phone.png";
  std::filesystem::remove(shot);
  std::string output;
  EXPECT_EQ(Chromium({"--screenshot=" + shot, "--window-size=412,915", s.Url("/")}, output), 0) << output;
  EXPECT_TRUE(std::filesystem::exists(shot)) << output;
}
