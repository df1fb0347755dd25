#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <tuple>

#include "app/command_line.h"
#include "base/files.h"
#include "online/settings.h"
#include "persist/folders.h"
#include "persist/options.h"
#include "persist/scores.h"
#include "rig/rig.h"
#include "rig/scripted_run.h"

namespace {
struct Start : TempBase {
  TempDir player;
  toptions oldOptions = Options;
  std::string oldSettings = settingsDirectory, oldRecords = recordsDirectory, oldCache = cacheDirectory;
  ScoreTable oldTables[SCORE_CATEGORIES];
  Start() {
    std::copy(scoreTables, scoreTables + SCORE_CATEGORIES, oldTables);
    dir.write("options.zop", Shipped());
  }
  ~Start() {
    Options = oldOptions;
    settingsDirectory = oldSettings, recordsDirectory = oldRecords, cacheDirectory = oldCache;
    settingsFolderReported = recordsFolderReported = false;
    std::copy(oldTables, oldTables + SCORE_CATEGORIES, scoreTables);
  }
  static std::vector<uint8_t> Shipped() {
    toptions o = {};
    o.screenWidth = 800, o.screenHeight = 600, o.colourDepth = 32, o.keyLeft = 'A', o.keyRight = 'D', o.keyJump = 'W';
    return EncodeOptions(o);
  }
  tplayerfolders folders() const { return {player.file("config"), player.file("share"), player.file("cache")}; }
  bool setUp(const std::vector<std::string> &old = {}) const { return SetUpPlayerFolders(folders(), old); }
};

ScoreTable OneScore(int32_t score) {
  ScoreTable t = {};
  t.entries[0] = {3, "old", {}, score};
  return t;
}
std::vector<uint8_t> OneScoreFile(int32_t score) { return EncodeScoreTable(OneScore(score)); }

// The program's command line read with these arguments after its name.
tcommandaction Parse(std::vector<std::string> words, tcommandline &line) {
  words.insert(words.begin(), "/usr/bin/redsiege");
  std::vector<char *> argv;
  for (std::string &w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  return ParseCommandLine(static_cast<int>(words.size()), argv.data(), line);
}
}  // namespace

TEST(CommandLine, OptionsAndExitStatuses) {
  // {arguments, action, data, user, full screen, verbose, complaint in the one line on stderr}
  const std::tuple<std::vector<std::string>, tcommandaction, std::string, std::string, int, bool, std::string> cases[] =
      {{{}, COMMAND_RUN, "", "", -1, false, ""},
       {{"--data", "/d", "--user=/u", "--windowed", "-v"}, COMMAND_RUN, "/d", "/u", 0, true, ""},
       {{"-d", "/d", "--windowed", "--fullscreen"}, COMMAND_RUN, "/d", "", 1, false, ""},  // the last holds
       {{"--help"}, COMMAND_DONE, "", "", -1, false, ""},
       {{"-V"}, COMMAND_DONE, "", "", -1, false, ""},
       {{"--bogus"}, COMMAND_WRONG, "", "", -1, false, "unknown option '--bogus'"},
       {{"--data"}, COMMAND_WRONG, "", "", -1, false, "'--data' needs a value"},
       {{"--user="}, COMMAND_WRONG, "", "", -1, false, "'--user' needs a folder"},
       {{"play"}, COMMAND_WRONG, "", "", -1, false, "unexpected argument 'play'"}};
  for (const auto &[args, action, data, user, fullScreen, verbose, complaint] : cases) {
    SCOPED_TRACE(args.empty() ? "(none)" : args[0]);
    tcommandline line;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_EQ(Parse(args, line), action);
    const std::string out = testing::internal::GetCapturedStdout(), err = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(action != COMMAND_RUN || (line.dataDir == data && line.userDir == user &&
                                          line.fullScreen == fullScreen && line.verbose == verbose));
    EXPECT_EQ(err.empty(), complaint.empty()) << err;
    if (complaint.empty()) continue;
    EXPECT_EQ(err.find("redsiege: "), 0u) << err;
    EXPECT_NE(err.find(complaint), std::string::npos) << err;
    EXPECT_NE(err.find("usage: redsiege [--data DIR]"), std::string::npos) << err;
    EXPECT_TRUE(err.find('\n') == err.size() - 1 && out.empty()) << err;
  }
}

TEST(CommandLine, ServerTakesPartForOneRun) {
  // {arguments, action, the address this run takes part at ("" for the saved settings)}
  const std::tuple<std::vector<std::string>, tcommandaction, std::string> cases[] = {
      {{}, COMMAND_RUN, ""},
      {{"--server", "http://127.0.0.1:8080/"}, COMMAND_RUN, "http://127.0.0.1:8080"},
      {{"-s", "https://scores.example.org"}, COMMAND_RUN, "https://scores.example.org"},
      {{"--server=ftp://scores.example.org"}, COMMAND_WRONG, ""},
      {{"--server", "http://"}, COMMAND_WRONG, ""},
      {{"--server"}, COMMAND_WRONG, ""}};
  const tonlinesettings saved = {false, "https://saved.example.org", true, "ace"};
  for (const auto &[args, action, address] : cases) {
    SCOPED_TRACE(args.empty() ? "(none)" : args.back());
    tcommandline line;
    testing::internal::CaptureStderr();
    EXPECT_EQ(Parse(args, line), action);
    const std::string err = testing::internal::GetCapturedStderr();
    if (action != COMMAND_RUN) {
      EXPECT_NE(err.find("'--server' needs"), std::string::npos) << err;
      continue;
    }
    const tonlinesettings run = SettingsForRun(saved, line.server);
    EXPECT_EQ(run.takePart, !address.empty());
    EXPECT_EQ(run.server, address.empty() ? saved.server : address);
  }
}

TEST(DataFolder, SearchOrderAndWhatIsMissing) {
  TempDir root;
  const std::string bin = root.file("prefix/bin"), build = root.file("prefix/bin/data"),
                    installed = root.file("prefix/share/redsiege"), given = root.file("given");
  std::filesystem::create_directories(bin);
  auto figure = [&](const std::string &folder) {
    root.write(folder.substr(root.path().size() + 1) + "/guys/standard.guy", "");
  };
  std::string problem;
  EXPECT_EQ(FindDataFolder("", bin, problem), "");
  EXPECT_EQ(problem,
            "no data folder: looked in \"" + build + "\" and \"" + installed + "\" (--data DIR names another)");
  figure(installed);
  EXPECT_EQ(FindDataFolder("", bin, problem), installed);
  figure(build);  // a build's data beside the program comes first
  EXPECT_EQ(FindDataFolder("", bin, problem), build);
  EXPECT_EQ(FindDataFolder(given, bin, problem), "");
  EXPECT_EQ(problem, "no data folder: looked in \"" + given + "\"");
  std::filesystem::create_directories(given);
  EXPECT_EQ(FindDataFolder(given, bin, problem), "");
  EXPECT_EQ(problem, "the data folder \"" + given + "\" has no figure (guys/standard.guy)");
  figure(given);
  EXPECT_EQ(FindDataFolder(given, bin, problem), given);
}

TEST(PlayerFolders, DesktopRulesOrOneFolderGiven) {
  // {XDG_CONFIG_HOME, XDG_DATA_HOME, XDG_CACHE_HOME, HOME, folder given, settings, records, cache}
  const std::array<const char *, 8> cases[] = {
      {"/c", "/d", "/k", "/h", nullptr, "/c/redsiege", "/d/redsiege", "/k/redsiege"},
      {nullptr, nullptr, nullptr, "/h", nullptr, "/h/.config/redsiege", "/h/.local/share/redsiege",
       "/h/.cache/redsiege"},
      {"relative", "", "k", "/h", nullptr, "/h/.config/redsiege", "/h/.local/share/redsiege",
       "/h/.cache/redsiege"},  // ignored
      {"/c", "/d", "/k", "/h", "/u", "/u", "/u", "/u/cache"}};
  for (const auto &[config, data, cache, home, user, settings, records, cached] : cases) {
    ScopedEnv c("XDG_CONFIG_HOME", config), d("XDG_DATA_HOME", data), k("XDG_CACHE_HOME", cache), h("HOME", home);
    const tplayerfolders f = PlayerFolders(user ? user : "");
    EXPECT_EQ(f.settings + " " + f.records + " " + f.cache, std::string(settings) + " " + records + " " + cached);
  }
}

TEST(PlayerFolders, FirstStartCopiesTheShippedOptionsAndLaterStartsKeepThePlayers) {
  Start start;
  const std::string mine = start.player.file("config/options.zop");
  ASSERT_TRUE(start.setUp());
  EXPECT_EQ(FileBytes(mine), Start::Shipped());
  EXPECT_EQ(CacheFolder(), start.player.file("cache"));
  EXPECT_FALSE(FolderExists(CacheFolder())) << "the cache is made by whoever first writes there";
  LoadOptions();
  Options.keyJump = ' ';
  ASSERT_TRUE(SaveOptions());
  EXPECT_EQ(FileBytes(start.dir.file("options.zop")), Start::Shipped()) << "the data stays as shipped";
  ASSERT_TRUE(start.setUp());
  Options = {};
  LoadOptions();
  EXPECT_EQ(Options.keyJump, ' ');
}

TEST(PlayerFolders, OldScoresAreCarriedOverOnceAndNeverOverThePlayers) {
  Start start;
  TempDir old, older;
  old.write("survivescores.zsc", OneScoreFile(500));
  old.write("slayerscores.zsc", std::vector<uint8_t>(10, 9));  // damaged: carried as it is
  older.write("rescuescores.zsc", OneScoreFile(7));
  ASSERT_TRUE(start.setUp({"", old.path(), older.path()}));
  EXPECT_EQ(FileBytes(start.player.file("share/survivescores.zsc")), OneScoreFile(500));
  EXPECT_EQ(FileBytes(start.player.file("share/slayerscores.zsc")), std::vector<uint8_t>(10, 9));
  EXPECT_FALSE(FileExists(start.player.file("share/rescuescores.zsc"))) << "only the first old folder with scores";

  scoreTables[SCORE_SURVIVE] = OneScore(900);
  ASSERT_TRUE(SaveScores());
  old.write("survivescores.zsc", OneScoreFile(600));
  ASSERT_TRUE(start.setUp({old.path()}));
  LoadScores();
  EXPECT_EQ(scoreTables[SCORE_SURVIVE].entries[0].score, 900);
  EXPECT_EQ(FileBytes(old.file("survivescores.zsc")), OneScoreFile(600)) << "the old copy is left alone";
}

TEST(PlayerFolders, AnUnusableFolderIsSaidOnceAndTheGameGoesOn) {
  Start start;
  start.player.write("config", std::string("a file where the folder should be"));
  MessageRecorder recorder;
  EXPECT_FALSE(start.setUp());
  ASSERT_EQ(recorder.messages.size(), 1u);
  const std::string &text = recorder.messages[0].text;
  EXPECT_NE(text.find(start.player.file("config")), std::string::npos) << text;
  EXPECT_EQ(text.find('\n'), std::string::npos) << "one line where no box can be shown";

  Options = {};
  LoadOptions();
  EXPECT_EQ(Options.keyJump, 'W');
  EXPECT_FALSE(SaveOptions());
  scoreTables[SCORE_HORDE] = OneScore(42);
  EXPECT_TRUE(SaveScores());
  EXPECT_EQ(FileBytes(start.player.file("share/hordescores.zsc")), OneScoreFile(42));
  EXPECT_EQ(recorder.messages.size(), 1u);
  EXPECT_FALSE(FileExists(start.dir.file("hordescores.zsc"))) << "nothing falls back into the data folder";
}

// A data folder lacking a file a game needs is refused at start-up, before any window, in one
// message naming the first such file; the built folder itself starts (every other run shows it).
TEST(DataFolder, AFolderLackingAFileAGameNeedsIsRefusedBeforeTheWindow) {
  const struct {
    std::vector<std::string> gone;  // taken from the folder; an empty weapons.wep stays when "" is first
    std::string named;
  } cases[] = {
      {{"textures/fonttrans.tga"}, "textures/fonttrans.tga"},
      {{"sounds/heli.wav"}, "sounds/heli.wav"},
      {{"animations/jumpb2.ani"}, "animations/jumpb2.ani"},
      {{"weapons.wep"}, "weapons.wep"},
      {{"", "weapons.wep"}, "weapon in weapons.wep"},
      {{"textures/shotgun.tga"}, "textures/shotgun.tga"},  // named by the weapon table
      {{"sounds/sniper reload.wav"}, "sounds/sniper reload.wav"},
      {{"zombie levels/end_tower.zcg", "zombie levels/end_wall.zcg"},
       "left end or right end piece in \"zombie levels\""},
  };
  for (const auto &c : cases) {
    MessageRecorder recorder;
    ScriptedRun run;
    for (const std::string &file : c.gone)
      if (!file.empty()) std::filesystem::remove(run.dir().file(file));
    if (c.gone[0].empty()) run.dir().write(c.gone[1], std::string());
    EXPECT_EQ(run.run(), 1) << c.named;
    EXPECT_EQ(run.passes, 0) << c.named << ": a window opened";
    ASSERT_EQ(recorder.messages.size(), 1u) << c.named;
    EXPECT_EQ(recorder.messages[0].text, "the data folder \"" + run.dir().path() + "\" has no " + c.named + ".");
  }
}
