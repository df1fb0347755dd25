#include "rig/scripted_run.h"

#include <SDL.h>
#include <unistd.h>

#include <climits>
#include <filesystem>

#include "app/lifecycle.h"
#include "app/screenloop.h"
#include "audio/sound.h"
#include "base/vector.h"
#include "contentc/contentc.h"
#include "platform/window.h"
#include "render/png_file.h"

namespace {
ScriptedRun *current = nullptr;

void PushWindowEvent(Uint8 what) {
  SDL_Event e = {};
  e.type = SDL_WINDOWEVENT;
  e.window.event = what;
  e.window.windowID = MainWindowId();
  SDL_PushEvent(&e);
}
}  // namespace

uint32_t MainWindowId() {
  SDL_Window *w = SDL_GL_GetCurrentWindow();
  return w ? SDL_GetWindowID(w) : 0;
}

void PushKeyNow(int scancode, bool down) {
  SDL_Event e = {};
  e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  e.key.windowID = MainWindowId();
  e.key.keysym.scancode = static_cast<SDL_Scancode>(scancode);
  SDL_PushEvent(&e);
}

ScriptedRun::ScriptedRun(bool copyData) {
  if (copyData) {
    std::filesystem::copy(BuiltDataDir(), dir_.path(),
                          std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing);
    // The build's data folder keeps whatever options someone last saved playing there; a run
    // starts from a new player's.
    dir_.write("options.zop", EncodeOptions(ShippedOptions()));
  }
  char cwd[PATH_MAX];
  oldCwd_ = getcwd(cwd, sizeof cwd) ? cwd : ".";
}

ScriptedRun::~ScriptedRun() {
  if (chdir(oldCwd_.c_str()) != 0) perror("chdir");
}

void ScriptedRun::at(Pass pass, std::function<void()> action) {
  actions_[pass.screen][pass.offset].push_back(std::move(action));
}

void ScriptedRun::hold(Pass pass, int scancode, int passes) {
  at(pass, [scancode] { PushKeyNow(scancode, true); });
  at(pass + passes, [scancode] { PushKeyNow(scancode, false); });
}

void ScriptedRun::closeWindow(Pass pass) {
  at(pass, [] { PushWindowEvent(SDL_WINDOWEVENT_CLOSE); });
}

void ScriptedRun::shoot(const std::string &name) {
  shotWidth = clientWidth;
  shotHeight = clientHeight;
  lastPixels = ReadPixelsRGB(shotWidth, shotHeight);
  WritePngFile(ScreenshotDir() + "/" + name + ".png", lastPixels, shotWidth, shotHeight);
}

void ScriptedRun::screenshot(Pass pass, const std::string &name) {
  // A menu may keep its last picture up; ask for a fresh one so the back buffer holds it (a
  // screen's first pass draws fresh anyway).
  at(pass - 1, [] { redrawRequested = 1; });
  at(pass, [this, name] { shoot(name); });
}

int ScriptedRun::run(int maxPasses) {
  if (chdir(dir_.path().c_str()) != 0) return -1;
  current = this;
  passes = 0;
  fixedFrameTime = 0.013;
  soundTimeScale = 1.0;  // as in a fresh process: a lost game before this one left it slowed
  for (auto &k : keyDown) k = 0;
  mouseLeftDown = mouseRightDown = 0;
  static int limit;
  limit = maxPasses;
  firstShown.clear();
  screenPassHook = [] {
    ScriptedRun &r = *current;
    if (++r.passes >= limit) return PushWindowEvent(SDL_WINDOWEVENT_CLOSE);
    if (*screenShown) r.firstShown.emplace(screenShown, r.passes);
    for (auto &[screen, byPass] : r.actions_) {
      auto from = screen.empty() ? 0 : r.firstShown.count(screen) ? r.firstShown[screen] : -1;
      if (from < 0) continue;
      auto it = byPass.find(r.passes - from);
      if (it != byPass.end())
        for (auto &a : it->second) a();
    }
  };
  SetFixedSeed(seed);
  std::vector<std::string> words = {"redsiege"};
  if (commandLine.empty()) words.insert(words.end(), {"--data", dir_.path(), "--user", dir_.path()});
  words.insert(words.end(), commandLine.begin(), commandLine.end());
  std::vector<char *> argv;
  for (std::string &w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  int code = RunProgram(static_cast<int>(words.size()), argv.data());
  // Where a run stopped short of what a test meant to do in it.
  for (const auto &[screen, byPass] : actions_)
    if (!screen.empty() && !byPass.empty() && !firstShown.count(screen))
      ADD_FAILURE() << "the run ended after " << passes << " passes, before the " << screen << " showed";
  SetFixedSeed(-1);
  screenPassHook = nullptr;
  fixedFrameTime = 0;
  current = nullptr;
  if (chdir(oldCwd_.c_str()) != 0) perror("chdir");
  return code;
}

void ScreenPlaneToPixels(double px, double py, int &x, int &y) {
  double k = 5.0 / (clientWidth / 2.0);
  x = static_cast<int>(px / k + clientWidth / 2.0);
  y = static_cast<int>(-py / k + clientHeight / 2.0);
}
