// The page a person reads: the boards' rows as the server writes them, in rank order with their
// replays' links, a name holding markup escaped, and no script. The page is kept beside the
// screenshots for a person to open.
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <regex>

#include "base/files.h"
#include "server/rig.h"
#include "server/store.h"

namespace {

// The rows of the section under the heading `title`: "rank|name|score|link".
std::vector<std::string> Rows(const std::string &page, const std::string &title) {
  const size_t from = page.find("<h2>" + title);
  if (from == std::string::npos) return {};
  const size_t to = page.find("<h2>", from + 4);
  const std::string section = page.substr(from, to == std::string::npos ? std::string::npos : to - from);
  // A name that was not escaped breaks the row: its cell would hold markup.
  static const std::regex row(
      R"re(<tr><td[^>]*>(\d+)</td><td>([^<]*)</td><td[^>]*>(-?\d+)</td><td>[^<]*</td><td><a href="([^"]*)">)re");
  std::vector<std::string> rows;
  for (auto m = std::sregex_iterator(section.begin(), section.end(), row); m != std::sregex_iterator(); ++m)
    rows.push_back((*m)[1].str() + "|" + (*m)[2].str() + "|" + (*m)[3].str() + "|" + (*m)[4].str());
  return rows;
}

}  // namespace

TEST(ServerPage, TheBoardsRowsInRankOrderAndNamesStayText) {
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
  // The first as the page writes it.
  const std::string names[] = {"&lt;b&gt;me&lt;/b&gt; &amp; &#39;you&#39;", "bert", "carl"};
  for (size_t i = 1; i < games.size(); ++i) ASSERT_EQ(Submit(s.Url(), SubmissionOf(games[i], names[i])).status, 202);
  for (const tplayedgame &g : games) ASSERT_EQ(WaitVerdict(s.Url(), g.id)["status"], "verified");

  const thttpreply page = HttpGet(s.Url("/"));
  ASSERT_EQ(page.status, 200);
  EXPECT_EQ(page.headers.at("content-type"), "text/html; charset=utf-8");
  std::vector<size_t> order = {0, 1, 2};
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return games[a].scores.survive > games[b].scores.survive; });
  std::vector<std::string> expected;
  for (size_t i : order)
    expected.push_back(std::to_string(expected.size() + 1) + "|" + names[i] + "|" +
                       std::to_string(games[i].scores.survive) + "|/v1/games/" + games[i].id + "/replay");
  EXPECT_EQ(Rows(page.body, "Survivors"), expected) << page.body;
  EXPECT_EQ(Rows(page.body, "Slayer").size(), 3u);
  EXPECT_EQ(page.body.find("<script"), std::string::npos) << "the page needs no script";

  // Where the other tests' screenshots go (the test command names it), else the build's.
  const char *env = std::getenv("REDSIEGE_SCREENSHOTS");
  const std::string shots = env && *env ? env : std::string(REDSIEGE_BUILD_DIR) + "/screenshots";
  std::filesystem::create_directories(shots);
  WriteFileAtomic(shots + "/server-page.html", std::vector<uint8_t>(page.body.begin(), page.body.end()), nullptr);
}
