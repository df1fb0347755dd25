#include "app/lifecycle.h"

#include <GL/gl.h>
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "actors/models.h"
#include "app/command_line.h"
#include "app/game.h"
#include "app/replay.h"
#include "app/screenloop.h"
#include "app/screens.h"
#include "app/world_scores.h"
#include "audio/openal.h"
#include "audio/sound.h"
#include "base/files.h"
#include "game/camera.h"
#include "game/sounds.h"
#include "online/download.h"
#include "persist/folders.h"
#include "persist/options.h"
#include "persist/replay_files.h"
#include "persist/scores.h"
#include "platform/message.h"
#include "platform/pad.h"
#include "platform/window.h"
#include "render/text.h"
#include "view/load.h"

static int32_t mainMenuDone = 0;

// The rules' sounds through the bank: a fixed sound or the weapon table's buffer, the two shot
// slots taken in turn.
static void PlayRulesSound(const tgamesound &s) {
  const uint32_t buffer =
      s.source == GAMESOUND_FIXED ? FixedSound(s.index) : WeaponSound(s.source == GAMESOUND_FIRE ? 0 : 1, s.index);
  PlaySoundAt(s.slot == SLOT_NEXT_SHOT ? slotCounter : s.slot, buffer, s.pos, s.volume, s.loop, s.keepPlaying);
}

static void PitchSounds(double timeScale) { soundTimeScale = timeScale; }

static void MainMenuInit() { CameraPos = {0, 0}; }

// The screen drew its own frames over this one, perhaps in another window: the rest of this frame
// is not shown, and the next pass draws the menu whole.
static void OpenScreen(void (*screen)()) {
  screen();
  frameDrawn = 0;
}

static bool MainMenuFrame() {
  if (MenuPictureUnchanged(reinterpret_cast<const void *>(MainMenuFrame))) return true;
  MenuFramePrelude();
  Panel({-3, 2}, {3, 3});
  glScaled(4, 4, 1);
  DrawText("red siege", {0, 0.625}, true);
  glScaled(0.25, 0.25, 1);
  Panel({2, -1.1}, {-2, 1.4});
  if (Button("Begin", {0, 1.0}, CursorPos, 2.0)) OpenScreen(GameTypeMenu);
  if (Button("Instructions", {0, 0.5}, CursorPos, 2.0)) OpenScreen(InstructionsScreen);
  if (Button("Options", {0, 0.2}, CursorPos, 2.0)) OpenScreen(OptionsScreen);
  if (Button("High Scores", {0, -0.1}, CursorPos, 2.0)) OpenScreen(HighScoreScreen);
  if (Button("Credits", {0, -0.4}, CursorPos, 2.0)) OpenScreen(CreditsScreen);
  if (Button("quit", {0, -0.7}, CursorPos, 2.0)) quitRequested = 1;
  DrawCursor(CursorPos);
  return true;
}

void RunMainMenu() { ScreenLoop(mainMenuDone, MainMenuInit, MainMenuFrame, true, "main menu"); }

namespace {
// One line on stderr for a start-up that cannot go on, and a box where one can be shown.
int StartFailed(const std::string &problem) {
  ShowFailure(problem + ".", "red siege", MB_ICONSTOP, "");
  return 1;
}

// Opens the video system once to see that a window can be had. SDL falls back to an invisible
// off-screen display when none can be reached, where the game would run unseen: that counts as
// none, unless SDL_VIDEODRIVER asked for it. "" when there is a display, else the problem.
std::string NoDisplay(bool verbose) {
  std::string sdlError;
  {
    QuietStderr quiet(verbose);  // the Wayland and X libraries' own complaints while probing
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) {
      const char *driver = SDL_GetCurrentVideoDriver(), *wanted = std::getenv("SDL_VIDEODRIVER");
      const std::string used = driver ? driver : "";
      SDL_QuitSubSystem(SDL_INIT_VIDEO);  // the window starts it again, as it does when re-created
      if ((used != "offscreen" && used != "dummy") || (wanted && *wanted)) return "";
    } else {
      sdlError = SDL_GetError();
    }
  }
  const char *x = std::getenv("DISPLAY"), *wayland = std::getenv("WAYLAND_DISPLAY");
  std::string tried;
  if (x && *x) tried += std::string("DISPLAY \"") + x + "\"";
  if (wayland && *wayland) tried += (tried.empty() ? "" : " or ") + std::string("WAYLAND_DISPLAY \"") + wayland + "\"";
  std::string problem = "no display to open the window on: ";
  problem += tried.empty() ? "neither DISPLAY nor WAYLAND_DISPLAY is set" : "could not reach " + tried;
  if (!sdlError.empty()) problem += " (" + sdlError + ")";
  return problem;
}

// The data folder as an absolute path, or "" with the problem in one line. Every file a game needs
// is looked for before a window opens: a folder lacking one would otherwise raise a box for each
// and reach menus with no font. The loaders look in baseDirectory, which this sets.
std::string FindData(const tcommandline &line, std::string &problem) {
  std::string data = FindDataFolder(line.dataDir, ExecutableFolder(), problem);
  if (data.empty()) return "";
  std::error_code ec;
  std::filesystem::path absolute = std::filesystem::absolute(data, ec);
  baseDirectory = ec ? data : absolute.lexically_normal().string();
  const std::string missing = MissingDataFile();
  if (missing.empty()) return baseDirectory;
  problem = "the data folder \"" + baseDirectory + "\" has no " + missing;
  return "";
}

// A run leaves the process's player folders as it found them (the test rig runs the program
// many times in one process).
struct KeepPlayerFolders {
  std::string settings = settingsDirectory, records = recordsDirectory, cache = cacheDirectory;
  bool settingsReported = settingsFolderReported, recordsReported = recordsFolderReported;
  ~KeepPlayerFolders() {
    settingsDirectory = settings, recordsDirectory = records, cacheDirectory = cache;
    settingsFolderReported = settingsReported, recordsFolderReported = recordsReported;
  }
};
}  // namespace

int RunProgram(int argc, char **argv) {
  tcommandline line;
  switch (ParseCommandLine(argc, argv, line)) {
    case COMMAND_DONE: return 0;
    case COMMAND_WRONG: return 2;
    case COMMAND_RUN: break;
  }
  MaskFloatExceptions();
  SeedFromEnvironment();
  std::string problem, data = FindData(line, problem);
  if (data.empty()) return StartFailed(problem);
  tplayerfolders folders = PlayerFolders(line.userDir);
  if (line.verbose)
    std::fprintf(stderr, "red siege: data from \"%s\", options in \"%s\", high scores in \"%s\", downloads in \"%s\"\n",
                 data.c_str(), folders.settings.c_str(), folders.records.c_str(), folders.cache.c_str());
  problem = NoDisplay(line.verbose);
  if (!problem.empty()) return StartFailed(problem);
  baseDirectory = data;
  windowIconFile = JoinPath(data, "icon.bmp");  // drawn by the content compiler
  // A replay on the web is fetched into the cache first, then read as any file: all before the
  // window opens, so no frame waits on the network.
  std::string replayPath = line.replayFile;
  if (IsWebAddress(line.replayFile)) {
    replayPath = DownloadFile(line.replayFile, folders.cache, REPLAY_MOST_BYTES, problem);
    if (replayPath.empty()) {
      std::fprintf(stderr, "red siege: could not download \"%s\": %s\n", PrintableText(line.replayFile).c_str(),
                   problem.c_str());
      return 1;
    }
    if (line.verbose) std::fprintf(stderr, "red siege: downloaded into \"%s\"\n", PrintableText(replayPath).c_str());
  }
  treplay replay;
  if (!replayPath.empty() && !ReadReplayFile(replayPath, replay, problem)) {
    if (replayPath != line.replayFile) {
      // Nothing worth keeping: the replay is named by its address instead.
      std::remove(replayPath.c_str());
      const std::string named = "\"" + PrintableText(replayPath) + "\"";
      const size_t at = problem.find(named);
      if (at != std::string::npos)
        problem.replace(at, named.size(), "downloaded from \"" + PrintableText(line.replayFile) + "\"");
    }
    std::fprintf(stderr, "red siege: %s\n", problem.c_str());
    return 1;
  }
  KeepPlayerFolders keep;
  // An earlier version kept the scores in the folder it ran in: the build's data folder.
  SetUpPlayerFolders(folders, {data, WorkingFolder()});
  std::string onlineWhy;
  onlineSettings = SettingsForRun(LoadOnlineSettings(settingsDirectory, onlineWhy), line.server);
  if (!onlineWhy.empty()) std::fprintf(stderr, "red siege: %s\n", onlineWhy.c_str());
  StartWorldScores();
  quitRequested = 0;
  windowActive = 1;
  LoadOptions();
  LoadScores();
  LoadReplayLinks();
  audioVerbose = line.verbose;
  InitSound();
  soundListener = &CameraPos;
  weaponSoundHooks = {LoadSoundFile, ReleaseSoundBuffer};
  soundHooks = {PitchSounds, PlayRulesSound};
  StartPads();

  fullscreenActive = 0;
  // --windowed and --fullscreen hold for this run only: the options record is left as saved.
  const bool fullScreen = line.fullScreen >= 0 ? line.fullScreen != 0 : Options.fullScreen != 0;
  if (CreateMainWindow(kWindowTitle, Options.screenWidth, Options.screenHeight, Options.colourDepth, fullScreen)) {
    LoadGameData();
    if (line.replayFile.empty())
      RunMainMenu();
    else if (const size_t played = WatchReplay(replay); line.verbose)
      std::fprintf(stderr, "red siege: the replay played %zu of %zu frames\n", played, replay.frames.size());
    DestroyMainWindow();
    ForgetContextObjects();
  }
  StopWorldScores();
  StopPads();
  ShutdownSound();
  audioVerbose = false;
  weaponSoundHooks = {nullptr, nullptr};
  soundHooks = {nullptr, nullptr};
  ReleaseGameData();
  SDL_Quit();
  // No window could be had (at start, or again after the options changed it): nothing to play on.
  return *WindowFailure() ? 1 : 0;
}
