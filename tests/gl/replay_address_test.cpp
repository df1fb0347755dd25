// --replay with an address, on the installed program: a verified game's replay fetched from a real
// score server into the player's cache folder and played; what cannot be played is said in one
// line before any window, and nothing is left in the cache.
#include <algorithm>
#include <filesystem>

#include "online/fake_server.h"
#include "rig/installed.h"
#include "rig/rig.h"
#include "server/rig.h"

namespace {
std::vector<std::string> CacheFiles(const PlayerHome &player) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto &e : std::filesystem::directory_iterator(player.cache(), ec)) names.push_back(e.path().filename());
  return names;
}
}  // namespace

TEST(ReplayAddress, AServersReplayIsDownloadedIntoTheCacheAndPlayed) {
  const InstalledBuild &install = InstallThisBuild();
  ASSERT_FALSE(install.root.empty()) << install.log;
  PlayerHome player;
  tserver server;
  ASSERT_TRUE(server.Start()) << server.Log();
  const tplayedgame game = PlayScriptedGame(11, 150);
  ASSERT_EQ(Submit(server.Url(), SubmissionOf(game, "ann")).status, 202);
  ASSERT_EQ(WaitVerdict(server.Url(), game.id).value("status", ""), "verified");

  const std::string frames = std::to_string(game.frames);
  const Ran o =
      RunLaunched(install, {"redsiege", "--verbose", "--replay", server.Url("/v1/games/" + game.id + "/replay")});
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_NE(o.err.find("the replay played " + frames + " of " + frames + " frames\n"), std::string::npos) << o.err;
  EXPECT_EQ(FileBytes(player.cache() + "/redsiege-" + game.id + ".rsr"), game.bytes);
  EXPECT_TRUE(ReplayFilesIn(player.records()).empty()) << "watching is not a game of its own";

  // {what, where, the line on stderr}
  tfakeserver page("HTTP/1.1 200 OK\r\nContent-Length: 20\r\nConnection: close\r\n\r\n<html>a page</html>\n");
  const std::tuple<const char *, std::string, std::string> refused[] = {
      {"a game the server lacks", server.Url("/v1/games/0123456789abcdef/replay"),
       "could not download \"" + server.Url("/v1/games/0123456789abcdef/replay") +
           "\": there is no such verified game\n"},
      {"a page that is not a replay", page.Url() + "/v1/games/0123456789abcdef/replay",
       "the replay downloaded from \"" + page.Url() +
           "/v1/games/0123456789abcdef/replay\" cannot be played: it is not a replay of this game\n"},
  };
  for (const auto &[what, url, line] : refused) {
    std::filesystem::remove_all(player.cache());
    const Ran r = RunLaunched(install, {"redsiege", "--replay", url});
    EXPECT_EQ(r.status, 1) << what << "\n" << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << what << "\n" << r.err;
    EXPECT_NE(r.err.find(line), std::string::npos) << what << "\n" << r.err;
    EXPECT_TRUE(CacheFiles(player).empty()) << what;
  }
}
