#include "game/day.h"

#include "game/camera.h"
#include "game/state.h"
#include "game/world_build.h"
#include "world/terrain.h"

bool BeginDay() {
  Game.hurtFlash = 0;
  Game.fadeOut = 0;
  Game.fadeLevel = 0;
  ClearDayLists();
  Game.carryingCrate = 0;
  Game.timeOfDay = 0;
  Game.dayNumber += 1;
  Game.spawnTimer = 3.0;
  Game.despawnCount = 0;
  for (double &w : Game.spawnweight) w = 2.0 * Game.dayNumber + 1.75;
  Game.spawnweight[7] = 0;  // the base tile
  bool built = loadpieces() && buildworld();
  placeplayer();
  CameraPos = Player.body.pos;
  return built;
}

void TrimEnemies() {
  if (enemies.empty() || randomint(2) != 0) return;
  while (!enemies.empty() && !enemies.back().active) enemies.pop_back();
}
