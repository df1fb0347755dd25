// Zombies climbing out of the ground: small groups near the player by day, large ones just
// outside the base by night.
#include <cmath>

#include "actors/animation.h"
#include "actors/models.h"
#include "game/camera.h"
#include "game/objects.h"
#include "game/particles.h"
#include "game/rules.h"
#include "game/sounds.h"
#include "game/state.h"
#include "game/zombies.h"
#include "world/collision.h"

namespace {

// The day spawner leaves the field alone once the zombie list holds this many entries.
constexpr size_t kDayZombieCap = 150;
// Nothing is spawned beyond this distance from the base.
constexpr double kSpawnLimit = 36.875;

double &WeightAt(double x) { return Game.spawnweight[tileindex(x) + 7]; }

}  // namespace

int SpawnZombie(double x) {
  const double py = Player.body.pos.y;
  thit g = segmentterrain({x, py + 5}, {x, py - 5});
  const int i = CreateCharacter(g.point.x, g.point.y + 0.1);
  // A random key frame, so a group does not walk in step.
  SetAnimation(enemies[i].anim, 0, enemies[i].guy, 0.0, 0, 1);
  g.side = 'b';  // the earth is thrown upwards
  for (int k = 0; k < 5; ++k) impactburst(g);
  return i;
}

void DaySpawner() {
  const double px = Player.body.pos.x;
  WeightAt(px) += 0.001;
  Game.spawnTimer -= Game.frameTime;
  if (Game.spawnTimer >= 0) return;

  const double left = px - 1.5 - randomreal();
  const double right = px + 2.5 - randomreal();
  const double wL = WeightAt(left), wR = WeightAt(right);
  Game.spawnTimer = (Game.spawnTimer + 3.0 + 3.0 / (Game.dayNumber * 0.5)) * 1.75;

  bool onLeft;
  if (Game.carryingCrate)
    onLeft = px <= basePos.x;  // behind the carrier, on his side away from the base
  else
    onLeft = randomreal() * (wL + wR) <= wL;
  if (std::fabs(left) > kSpawnLimit) onLeft = false;
  if (std::fabs(right) > kSpawnLimit) onLeft = true;

  PlayGameSound(GAMESOUND_FIXED, SOUND_ZOMBIE, SLOT_GROAN, {onLeft ? left : right, CameraPos.y}, 1.0);

  // The chosen side's point, or the other one when the chosen one lies in the base tile.
  const double first = onLeft ? left : right, second = onLeft ? right : left;
  const int count = 2 * Game.dayNumber + 4;
  for (int k = 0; k < count; ++k) {
    const double o = (randomreal() - 0.5) * 0.75;
    if (enemies.size() >= kDayZombieCap) continue;
    if (tileindex(first) != 0)
      SpawnZombie(first + o);
    else if (tileindex(second) != 0)
      SpawnZombie(second + o);
  }
}

void NightSpawner() {
  Game.spawnTimer -= Game.frameTime;
  if (Game.timeOfDay > 0.996 && !Ending.rescueActive) Game.fadeOut = 1;
  if (Game.spawnTimer >= 0) return;
  Game.spawnTimer = (Game.spawnTimer + 1.0 + (2.5 / Game.dayNumber) * 0.75) * 1.25;
  // The last groups of the night come ever more slowly.
  if (Game.timeOfDay > 0.90625) Game.spawnTimer += (Game.timeOfDay - 0.90625) * 256.0;
  const double x0 = 3.5 - 7 * randomint(2);
  const int count = 3 * Game.dayNumber + 5;
  for (int k = 0; k < count; ++k) SpawnZombie(x0 + (randomreal() - 0.5) * 0.75);
}
