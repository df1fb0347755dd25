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

namespace {
ScriptedRun *current = nullptr;
int maxPassesAllowed = 0;

Uint32 MainWindowId() {
  SDL_Window *w = SDL_GL_GetCurrentWindow();
  return w ? SDL_GetWindowID(w) : 0;
}

void Push(SDL_Event e) { SDL_PushEvent(&e); }

void PushWindowEvent(Uint8 what) {
  SDL_Event e = {};
  e.type = SDL_WINDOWEVENT;
  e.window.event = what;
  e.window.windowID = MainWindowId();
  Push(e);
}
}  // namespace


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

void ScriptedRun::at(int pass, std::function<void()> action) { actions_[pass].push_back(std::move(action)); }

void ScriptedRun::mouseMove(int pass, int x, int y) {
  at(pass, [x, y] {
    SDL_Event e = {};
    e.type = SDL_MOUSEMOTION;
    e.motion.windowID = MainWindowId();
    e.motion.x = x;
    e.motion.y = y;
    Push(e);
  });
}

void ScriptedRun::click(int pass, int x, int y, int button) {
  mouseMove(pass, x, y);
  auto press = [x, y, button](bool down) {
    SDL_Event e = {};
    e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    e.button.windowID = MainWindowId();
    e.button.button = static_cast<Uint8>(button);
    e.button.x = x;
    e.button.y = y;
    Push(e);
  };
  at(pass, [press] { press(true); });
  at(pass + 1, [press] { press(false); });
}

void ScriptedRun::key(int pass, int scancode) { hold(pass, scancode, 1); }

void ScriptedRun::hold(int pass, int scancode, int passes) {
  auto send = [scancode](bool down) {
    SDL_Event e = {};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.windowID = MainWindowId();
    e.key.keysym.scancode = static_cast<SDL_Scancode>(scancode);
    Push(e);
  };
  at(pass, [send] { send(true); });
  at(pass + passes, [send] { send(false); });
}

void ScriptedRun::closeWindow(int pass) { at(pass, [] { PushWindowEvent(SDL_WINDOWEVENT_CLOSE); }); }
void ScriptedRun::minimise(int pass) { at(pass, [] { PushWindowEvent(SDL_WINDOWEVENT_MINIMIZED); }); }
void ScriptedRun::restore(int pass) { at(pass, [] { PushWindowEvent(SDL_WINDOWEVENT_RESTORED); }); }

void ScriptedRun::screenshot(int pass, const std::string &name) {
  // A menu may keep its last picture up; ask for a fresh one so the back buffer holds it.
  at(pass - 1, [] { redrawRequested = 1; });
  at(pass, [this, name] {
    shotWidth = clientWidth;
    shotHeight = clientHeight;
    lastPixels = ReadPixelsRGB(shotWidth, shotHeight);
    lastShot = ScreenshotDir() + "/" + name + ".png";
    SavePng(lastShot, lastPixels, shotWidth, shotHeight);
  });
}

static void OnPass() {
  ScriptedRun *r = current;
  if (!r) return;
  ++r->passes;
  if (r->passes >= maxPassesAllowed) {
    PushWindowEvent(SDL_WINDOWEVENT_CLOSE);
    return;
  }
}

int ScriptedRun::run(int maxPasses) {
  if (chdir(dir_.path().c_str()) != 0) return -1;
  current = this;
  maxPassesAllowed = maxPasses;
  passes = 0;
  fixedFrameTime = 0.013;
  soundTimeScale = 1.0;  // as in a fresh process: a lost game before this one left it slowed
  for (auto &k : keyDown) k = 0;
  mouseLeftDown = mouseRightDown = 0;
  // Drain the start-up events first, then run each pass's actions in order.
  screenPassHook = [] {
    ScriptedRun *r = current;
    OnPass();
    auto it = r->actions_.find(r->passes);
    if (it != r->actions_.end())
      for (auto &a : it->second) a();
  };
  SetFixedSeed(seed);
  std::vector<std::string> words = {"redsiege"};
  if (commandLine.empty()) words.insert(words.end(), {"--data", dir_.path(), "--user", dir_.path()});
  words.insert(words.end(), commandLine.begin(), commandLine.end());
  std::vector<char *> argv;
  for (std::string &w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  int code = RunProgram(static_cast<int>(words.size()), argv.data());
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
