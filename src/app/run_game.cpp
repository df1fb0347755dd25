#include <GL/gl.h>

#include <string>

#include "app/game.h"
#include "app/replay.h"
#include "app/screenloop.h"
#include "app/world_scores.h"
#include "audio/sound.h"
#include "game/camera.h"
#include "game/day.h"
#include "game/scores.h"
#include "game/state.h"
#include "platform/message.h"
#include "platform/window.h"
#include "render/text.h"
#include "view/load.h"
#include "view/view.h"
#include "world/terrain.h"

namespace {
int32_t gameDone = 0;
int32_t transitionDone = 0;
double transitionTime = 0;

bool worldBuilt = false;

void TransitionInit() {
  transitionTime = 0;
  if (worldBuilt) {
    buildtilelists();
    buildskyline();
  }
}

bool TransitionFrame() {
  frameTime = GetFrameTime();
  CursorPos = MouseToWorld(mouseX, mouseY);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);  // one plain fill, as GameStep's
  transitionTime += frameTime;
  double t = transitionTime;
  if (t >= 1.0) RenderWorld();  // the new day shows through the fading veil
  if (t >= 2.0) transitionDone = -1;
  glDisable(GL_DEPTH_TEST);
  glLoadIdentity();
  glTranslated(0, 0, -9);
  glDisable(GL_TEXTURE_2D);
  glColor4d(0, 0, 0, 4 - 2 * t);
  const double w = ScreenHalfWidth();  // the whole window, whatever its shape
  glBegin(GL_QUADS);
  glVertex3d(-w, 3.75, 0);
  glVertex3d(w, 3.75, 0);
  glVertex3d(w, -3.75, 0);
  glVertex3d(-w, -3.75, 0);
  glEnd();
  glScaled(3, 3, 1);
  glColor4d(0.4, 0.4, 0.6, 4 - 2 * t);
  DrawString("day " + std::to_string(Game.dayNumber), {0, 0}, true);
  return true;
}
}  // namespace

void DayTransition(bool built) {
  worldBuilt = built;
  ScreenLoop(transitionDone, TransitionInit, TransitionFrame, false, "day banner");
}

bool PrepareGameData() {
  std::string missing = LoadGameData();
  if (!missing.empty()) {
    // Without a figure, its animations or a weapon there is nothing to play with.
    ShowMessage("The game cannot start: " + missing + " is missing or damaged.", "ERROR", MB_ICONSTOP);
    return false;
  }
  // Every day builds its world from the level folder; without every kind of piece not even
  // the first day could be built.
  loadpieces();
  std::string lacking = MissingPieceKinds();
  if (!lacking.empty()) {
    ShowMessage(
        std::string("The game cannot start: the level folder \"") + PIECE_FOLDER + "\" has no " + lacking + " piece.",
        "ERROR", MB_ICONSTOP);
    return false;
  }
  return true;
}

void RunGame() { RunGame(NewGameSeed()); }

void RunGame(uint32_t seed) {
  if (!PrepareGameData()) return;
  BeginRecording(seed);
  SetupGame(seed, windowHooks);
  ScreenLoop(gameDone, nullptr, GameStep, false, "game");
  // However the game ended (its end screen, the pause menu, the window closed), it is kept as a
  // replay, and its sounds, the helicopter's loop among them, end with it. One left before its end
  // screen goes to the world boards too, under the name last entered (its end screen sent it else).
  const std::string kept = FinishRecording();
  if (!kept.empty()) SendWorldGame(kept, onlineSettings.name, GameScores(Game));
  StopAllSounds();
}
