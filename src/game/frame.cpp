#include "game/frame.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "base/vector.h"
#include "game/camera.h"
#include "game/day.h"
#include "game/effects.h"
#include "game/objects.h"
#include "game/particles.h"
#include "game/player.h"
#include "game/rules.h"
#include "game/sounds.h"
#include "game/state.h"
#include "game/step.h"

namespace {
void AdvanceClock(const tframehooks &hooks) {
  Game.timeOfDay += 0.007 * Game.frameTime;
  if (Game.timeOfDay > 1.0) {
    if (Ending.rescueActive)
      Game.timeOfDay -= 1.0;
    else
      NextDay(hooks);
  }
  if (ActionOn(ACTION_RUSH)) Game.timeOfDay += 0.03;  // per frame: the day rushes by
  if (Game.hurtFlash > 0) Game.hurtFlash -= 0.25 * Game.frameTime;
  if (Game.hurtFlash > 0.9) Game.hurtFlash = 0.9;
}

// What used to change while the world was drawn: the camera drifts to a base being lost, the
// base's stock shows no lower than its last drop, the rotor turns.
void BeforeDrawing() {
  if (Ending.baseLossTimer > 0) CameraPos = (CameraPos * 8 + basePos) / 9;
  if (!Ending.baseLossBlast && Game.supplies < -0.01) Game.supplies = -0.01;
  if (Ending.heliActive) heli.rotor += 12.566370614359172 * Game.frameTime;
}

// The fade is drawn at its level, then deepens.
void AfterDrawing() {
  if (Game.fadeOut)
    Game.fadeLevel += Game.frameTime;
  else
    Game.fadeLevel = 0;
}

// The closing sequences; a game that has ended ends once, even when the death and the loss of
// the base finish in the same frame.
void CheckEnd(tframeresult &result) {
  bool lost = false, won = false;
  if (Game.playerDamage > PLAYER_DAMAGE_LIMIT && !DeathSequence()) lost = true;
  if (Game.supplies < 0.0 && !BaseLossSequence()) lost = true;
  if (Ending.rescueActive && !RescueSequence()) won = true;
  result.ended = won || lost;
  result.won = won && !lost;
}
}  // namespace

void NextDay(const tframehooks &hooks) {
  CameraPos = {0, 0};
  bool built = BeginDay();
  if (hooks.dayBegun) hooks.dayBegun(built);
}

void SetupGame(uint32_t seed, const tframehooks &hooks) {
  SeedGame(seed);
  particleRandom = {seed};
  reseed();
  ResetGameState();
  // No game type's help day comes near the top of the range, but a handed-in one must not wrap.
  Game.helpDay = std::min(Game.helpDay, INT32_MAX - 2) + randomint(3);
  NextDay(hooks);
}

tframeresult GameFrame(const tframeinput &in, const tframehooks &hooks) {
  tframeresult result{};
  ClearFlashes();  // each flash shows on the frame it is made, and only then
  TakeFrameInput(in);
  if (soundHooks.frameBegun) soundHooks.frameBegun(Game.timeScale);
  const bool aimLeft = Player.aimPoint.x < Player.body.pos.x;
  AdvanceClock(hooks);

  PosePlayer(aimLeft, ActionOn(ACTION_GRENADE));
  PoseZombies();
  Game.skyScroll += 0.1 * Game.frameTime;
  // Back into 0..1 whatever the frame's length: the phase is kept for the next game's replay.
  if (Game.skyScroll > 1.0) Game.skyScroll -= std::floor(Game.skyScroll);
  BeforeDrawing();
  if (hooks.drawWorld) hooks.drawWorld();  // what is simulated below shows on the next frame
  AfterDrawing();

  StepWorld();
  if (hooks.drawGrenades && !grenadeList.empty()) hooks.drawGrenades();
  StepPlayer(in.pointer);

  CheckEnd(result);
  if (hooks.drawFlashes) hooks.drawFlashes();
  if (ActionOn(ACTION_PAUSE)) {
    SpendAction(ACTION_PAUSE);
    result.pause = 1;
  }
  return result;
}
