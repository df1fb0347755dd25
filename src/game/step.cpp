#include "game/step.h"

#include "game/day.h"
#include "game/objects.h"
#include "game/player.h"
#include "game/rules.h"
#include "game/state.h"
#include "game/world_build.h"
#include "persist/options.h"

void StepWorld() {
  TrimEnemies();
  if (Game.timeOfDay > NIGHT_TIME)
    NightSpawner();
  else
    DaySpawner();
  Game.thinkSlot = (Game.thinkSlot + 1) % 4;
  UpdateZombies();
  if (!Options.particlesOff) UpdateParticles();
  UpdateBaseObjects();
  if (!Ending.heliActive && Game.dayNumber == Game.helpDay) startheli();
  if (Ending.heliActive) HeliUpdate();
  if (!grenadeList.empty()) UpdateGrenades();
}

void StepPlayer(tvector pointer) {
  ChoosePlayerAnimation();
  MovePlayer(pointer);
  PlayerControls(ActionOn(ACTION_JUMP), ActionOn(ACTION_LEFT), ActionOn(ACTION_RIGHT));
  PlayerWeaponStep(ActionOn(ACTION_FIRE), ActionOn(ACTION_CHANGE), PlayerShoulder());
  UpdateShots();
}
