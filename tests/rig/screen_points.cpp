#include "rig/screen_points.h"

#include <SDL.h>

#include <algorithm>

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
