#include <GL/gl.h>

#include "app/game.h"
#include "game/camera.h"
#include "game/day.h"
#include "game/objects.h"
#include "game/player.h"
#include "game/rules.h"
#include "game/step.h"
#include "game/state.h"
#include "game/world_build.h"
#include "persist/options.h"
#include "platform/window.h"
#include "render/text.h"
#include "view/view.h"

namespace {
constexpr int VK_ESCAPE = 27;
constexpr int VK_INSERT = 45;

void AdvanceClock() {
  Game.timeOfDay += 0.007 * frameTime;
  if (Game.timeOfDay > 1.0) {
    if (Ending.rescueActive)
      Game.timeOfDay -= 1.0;
    else
      DayTransition();
  }
  if (keyDown[VK_INSERT]) Game.timeOfDay += 0.03;  // per frame: the day rushes by
  if (Game.hurtFlash > 0) Game.hurtFlash -= 0.25 * frameTime;
  if (Game.hurtFlash > 0.9) Game.hurtFlash = 0.9;
}


// The closing sequences; a game that has ended shows its end screen once, even when the death
// and the loss of the base finish in the same frame.
bool GameGoesOn() {
  bool lost = false, won = false;
  if (Game.playerDamage > PLAYER_DAMAGE_LIMIT && !DeathSequence()) lost = true;
  if (Game.supplies < 0.0 && !BaseLossSequence()) lost = true;
  if (Ending.rescueActive && !RescueSequence()) won = true;
  if (won || lost) GameEndScreen(won && !lost);
  return !(won || lost);
}
}  // namespace

bool GameStep() {
  glClear(GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  frameTime = GetFrameTime();
  bool aimLeft = Player.aimPoint.x < Player.body.pos.x;
  AdvanceClock();

  glDisable(GL_DEPTH_TEST);
  glEnable(GL_TEXTURE_2D);
  ApplyCamera();
  PosePlayer(aimLeft, mouseRightDown);
  PoseZombies();
  ApplyCamera();
  glLineWidth(2.0);
  Game.skyScroll += 0.1 * frameTime;
  if (Game.skyScroll > 1.0) Game.skyScroll -= 1.0;
  glLineWidth(3.0);
  RenderWorld();  // what is simulated below shows on the next frame, its flashes at once

  StepWorld();
  ApplyCamera();
  if (!grenadeList.empty()) DrawGrenades();  // where they were just moved
  StepPlayer(MouseToWorld(mouseX, mouseY));

  bool result = GameGoesOn();
  DrawNewFlashes();  // the shots and blasts of this frame, when they happen
  if (keyDown[VK_ESCAPE]) {
    keyDown[VK_ESCAPE] = 0;
    if (PauseMenu()) result = false;
  }
  return result;
}
