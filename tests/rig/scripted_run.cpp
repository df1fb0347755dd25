#include "rig/scripted_run.h"

#include <SDL.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <filesystem>

#include "app/lifecycle.h"
#include "app/screenloop.h"
#include "audio/sound.h"
#include "base/vector.h"
#include "contentc/contentc.h"
#include "platform/window.h"
#include "render/png_file.h"
#include "rig/screen_points.h"

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

void PushMouseNow(double x, double y, bool down) {
  int px, py;
  ScreenPlaneToPixels(x, y, px, py);
  SDL_Event e = {};
  e.type = SDL_MOUSEMOTION;
  e.motion.windowID = MainWindowId();
  e.motion.x = px, e.motion.y = py;
  SDL_PushEvent(&e);
  e = {};
  e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
  e.button.windowID = MainWindowId();
  e.button.button = SDL_BUTTON_LEFT;
  e.button.x = px, e.button.y = py;
  SDL_PushEvent(&e);
}

void ClickAt(ScriptedRun &run, Pass pass, double x, double y) {
  run.at(pass, [x, y] { PushMouseNow(x, y, true); });
  run.at(pass + 1, [x, y] { PushMouseNow(x, y, false); });
}

Pass TypeDigits(ScriptedRun &run, Pass pass, double x, double y, int erase, const std::string &digits) {
  ClickAt(run, pass, x, y);
  pass = pass + 2;
  for (int i = 0; i < erase; ++i, pass = pass + 2) run.key(pass, SDL_SCANCODE_BACKSPACE);
  for (char c : digits) {
    run.key(pass, c == '0' ? SDL_SCANCODE_0 : SDL_SCANCODE_1 + (c - '1'));
    pass = pass + 2;
  }
  return pass;
}

void BeginGame(ScriptedRun &run, double typeY) {
  ClickAt(run, 4, 0, 1.0);
  ClickAt(run, 8, 0, typeY);
}

void HoldKey(ScriptedRun &run, Pass pass, int scancode) {
  run.at(pass, [scancode] { PushKeyNow(scancode, true); });
}

int InkIn(const ScriptedRun &run, const std::vector<uint8_t> &rgb, double x0, double y0, double x1, double y1) {
  double k = 5.0 / (run.shotWidth / 2.0);
  auto X = [&](double x) { return std::clamp(static_cast<int>(x / k + run.shotWidth / 2.0), 0, run.shotWidth); };
  auto Y = [&](double y) { return std::clamp(static_cast<int>(-y / k + run.shotHeight / 2.0), 0, run.shotHeight); };
  int n = 0;
  for (int y = Y(std::max(y0, y1)); y < Y(std::min(y0, y1)); ++y)
    for (int x = X(std::min(x0, x1)); x < X(std::max(x0, x1)); ++x) {
      Rgb p = PixelAt(rgb, run.shotWidth, run.shotHeight, x, y);
      if (p.r < 60 && p.g < 60 && p.b < 60) ++n;
    }
  return n;
}
