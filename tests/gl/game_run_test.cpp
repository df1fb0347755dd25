// Whole-game runs: from the main menu into a game and through its day.
#include <SDL.h>

#include "game/camera.h"
#include "game/state.h"
#include "platform/window.h"
#include "rig/scripted_run.h"

namespace {
int PixelX(double x) { return static_cast<int>(x * 102.4 + 512); }
int PixelY(double y) { return static_cast<int>(-y * 102.4 + 384); }

// Main menu "Begin", then the game type at button line y.
void StartGame(ScriptedRun &run, double typeY = 1.4) {
  run.click(4, PixelX(0), PixelY(1.0));
  run.click(8, PixelX(0), PixelY(typeY));
}
}  // namespace

TEST(GameRun, Smoke) {
  MessageRecorder recorder;
  ScriptedRun run;
  StartGame(run);
  run.mouseMove(12, PixelX(3), PixelY(1));
  run.screenshot(200, "smoke_day1");
  for (int p = 300; p < 400; p += 10) run.at(p, [] { Game.timeOfDay = 0.3125; });
  run.screenshot(400, "smoke_noon");
  run.at(410, [] { Game.timeOfDay = 0.58; });
  run.screenshot(420, "smoke_dusk");
  run.at(430, [] { Game.timeOfDay = 0.8; });
  run.screenshot(440, "smoke_night");
  run.closeWindow(450);
  EXPECT_EQ(run.run(600), 0);
  for (auto &m : recorder.messages) ADD_FAILURE() << m.caption << ": " << m.text;
}
