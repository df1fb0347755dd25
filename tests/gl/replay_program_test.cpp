// Replays played by the whole program: a replay file with --replay, to the very state its game
// ended in, and damaged ones refused; --replay with an address on the installed program, a verified
// game's replay fetched from a real score server into the player's cache folder and played, what
// cannot be played said in one line before any window, nothing left in the cache; and what the
// desktop does with the installed files, the file type it gives a replay and the entry it then
// launches on the file, run as the desktop runs it. (A game played in the window, kept and played
// again headless is the played game's test.)
#include <SDL.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "base/files.h"
#include "game/rules_version.h"
#include "game/state.h"
#include "online/fake_server.h"
#include "persist/replay.h"
#include "rig/golden.h"
#include "rig/installed.h"
#include "rig/play.h"
#include "rig/rig.h"
#include "rig/screen_points.h"
#include "server/rig.h"

namespace {
const std::string kReplayType = "application/x-redsiege-replay";

// The [Desktop Entry] group's keys.
std::map<std::string, std::string> EntryKeys(const std::string &text) {
  std::map<std::string, std::string> keys;
  std::istringstream lines(text);
  bool inEntry = false;
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line[0] == '[') inEntry = line == "[Desktop Entry]";
    const size_t eq = line.find('=');
    if (inEntry && !line.empty() && line[0] != '#' && eq != std::string::npos)
      keys[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return keys;
}

// An Exec value split into arguments with the file put in, as a launcher does: spaces part
// arguments, a lone %f %F %u or %U is the file. Quotes, escapes and other field codes, which a
// launcher reads by rules of their own, fail the test.
std::vector<std::string> ExecWords(const std::string &exec, const std::string &file) {
  std::vector<std::string> words;
  std::istringstream parts(exec);
  for (std::string word; parts >> word;) {
    if (word == "%f" || word == "%F" || word == "%u" || word == "%U")
      word = file;
    else if (word.find_first_of("%\\\"'`$") != std::string::npos)
      ADD_FAILURE() << "a launch rule not followed here: " << exec;
    words.push_back(word);
  }
  return words;
}

// The installed entries that open files of `type`, by file name.
std::map<std::string, std::map<std::string, std::string>> EntriesOpening(const std::string &folder,
                                                                         const std::string &type) {
  std::map<std::string, std::map<std::string, std::string>> entries;
  for (const auto &e : std::filesystem::directory_iterator(folder)) {
    const auto keys = EntryKeys(FileText(e.path().string()));
    const auto types = keys.find("MimeType");
    if (types != keys.end() && (";" + types->second).find(";" + type + ";") != std::string::npos)
      entries[e.path().filename().string()] = keys;
  }
  return entries;
}

// The first frames of the golden game lost at night: a replay that plays for a moment and ends.
std::vector<uint8_t> ShortReplay() {
  const std::vector<uint8_t> golden = FileBytes(GoldenDir() + "/lost.rsr");
  treplay replay;
  EXPECT_EQ(DecodeReplay(golden.data(), golden.size(), replay), REPLAY_OK);
  replay.frames.resize(std::min<size_t>(replay.frames.size(), 90));
  return EncodeReplay(replay);
}

std::vector<std::string> CacheFiles(const PlayerHome &player) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto &e : std::filesystem::directory_iterator(player.cache(), ec)) names.push_back(e.path().filename());
  return names;
}
}  // namespace

TEST(ReplayProgram, AReplayPlaysInTheWindowToTheSameEndScreenAndDamagedOnesAreRefused) {
  // The golden game lost at night, and the state it ends in when played headless.
  const std::vector<uint8_t> good = FileBytes(GoldenDir() + "/lost.rsr");
  treplay replay;
  ASSERT_EQ(DecodeReplay(good.data(), good.size(), replay), REPLAY_OK);
  ASSERT_NE(PlayGolden("lost", replay).end.ending, "none");
  const std::vector<double> recorded = GameState();
  MessageRecorder recorder;
  ScriptedRun run;  // on a copy of the built data, which the golden was recorded on
  run.dir().write("game.rsr", good);
  run.commandLine = {"--data", run.dir().path(), "--user", run.dir().path(), "--replay", run.dir().file("game.rsr")};
  int endAt = -1;
  std::vector<double> shown;
  run.at(Shown("replay") + 300, [&] { run.shoot("replay_playing"); });
  run.key(Shown("replay") + 301, SDL_SCANCODE_F);  // on at double speed
  run.at(Shown("end screen") + 1, [&] { endAt = run.passes, shown = GameState(), run.shoot("replay_end"); });
  ClickAt(run, Shown("end screen") + 2, 0, -0.7);  // "done"
  EXPECT_EQ(run.run(static_cast<int>(replay.frames.size()) + 600), 0);
  ASSERT_GE(endAt, 0) << "the replay never reached its end screen";
  EXPECT_LT(run.passes, endAt + 10) << "\"done\" leaves the program that was started to watch";
  EXPECT_EQ(shown, recorded);
  EXPECT_FALSE(FileExists(run.dir().file("survivescores.zsc"))) << "a replay enters no score";
  EXPECT_EQ(ReplayFilesIn(run.dir().path()).size(), 0u) << "watching is not a game of its own";

  // Refused with one line before any window opens: the program's own checks (what the file
  // reader refuses is the reader's test).
  run.clearActions();
  treplay otherData = replay, otherRules = replay;
  otherData.dataChecksum ^= 1;
  otherRules.rulesVersion = RULES_VERSION + 1;
  for (const auto &bytes : {EncodeReplay(otherData), EncodeReplay(otherRules)}) {
    run.dir().write("game.rsr", bytes);
    EXPECT_EQ(run.run(50), 1);
    EXPECT_EQ(run.passes, 0);
  }
  for (auto &m : recorder.messages) ADD_FAILURE() << m.caption << ": " << m.text;
}

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

// The installed type, put into a database of its own as Debian's trigger does: *.rsr files and
// anything starting as a replay does are replays.
TEST(DesktopFiles, AReplayIsKnownByItsNameAndByItsFirstBytes) {
  const InstalledBuild &install = InstallThisBuild();
  ASSERT_FALSE(install.root.empty()) << install.log;
  TempDir mime;
  std::filesystem::copy(install.prefix() + "/share/mime", mime.file("mime"), std::filesystem::copy_options::recursive);
  const Ran update = RunCommand("update-mime-database " + ShellWords({mime.file("mime")}));
  ASSERT_EQ(update.status, 0) << update.err;
  EXPECT_NE(FileText(mime.file("mime/globs2")).find(":" + kReplayType + ":*.rsr\n"), std::string::npos)
      << FileText(mime.file("mime/globs2"));
  // The magic rule: [priority:type], then ">0=", the length in two bytes and the bytes a replay
  // file starts with.
  const std::vector<uint8_t> replay = ShortReplay();
  const std::string head(replay.begin(), replay.begin() + 8);
  const std::string rule = ":" + kReplayType + "]\n>0=" + std::string("\0\x08", 2) + head + "\n";
  EXPECT_NE(FileText(mime.file("mime/magic")).find(rule), std::string::npos) << FileText(mime.file("mime/magic"));
}

// The entry that opens replays, launched on one in a folder whose name has a space and a quote:
// the replay plays to its last frame and the program ends by itself (a bare game would wait at
// the main menu until killed).
TEST(DesktopFiles, TheEntryOpeningReplaysPlaysTheFileItIsGiven) {
  const InstalledBuild &install = InstallThisBuild();
  ASSERT_FALSE(install.root.empty()) << install.log;
  const auto entries = EntriesOpening(install.prefix() + "/share/applications", kReplayType);
  ASSERT_EQ(entries.size(), 1u) << "one entry opens replays";
  const auto &entry = entries.begin()->second;
  EXPECT_EQ(entry.at("NoDisplay"), "true") << "the menu shows the game's own entry only";
  PlayerHome player;
  player.home.write("Downloads/night's end/lost game.rsr", ShortReplay());
  const std::vector<std::string> words =
      ExecWords(entry.at("Exec"), player.home.file("Downloads/night's end/lost game.rsr"));
  ASSERT_FALSE(words.empty());
  const Ran o = RunLaunched(install, words);
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_TRUE(ReplayFilesIn(player.records()).empty()) << "watching is not a game of its own";
}
