// A wounded zombie bleeds, and falls apart once its damage reaches the limit.
#include <cmath>

#include "base/fmath.h"
#include "game/combat.h"
#include "game/particles.h"
#include "game/state.h"
#include "world/terrain.h"

bool ZombieWounds(int i, tvector direction) {
  tenemy &e = enemies[i];
  const tvector at = e.body.pos;
  if (e.damage > 0 && 2.5 * e.damage > 24 * randomreal(particleRandom)) {
    const double spray = randomreal(particleRandom) * 2 * M_PI;
    for (int k = 0; k < 10; ++k) {
      const double a = spray + (randomreal(particleRandom) - 0.5) * 0.8, speed = 1 + randomreal(particleRandom);
      spawnparticle(PARTICLE_SPARK, ROW_SPARK, at.x, at.y, speed * fmath::sine(a), speed * fmath::cosine(a), 0.005,
                    0.0125);
    }
  }
  if (!(e.damage >= ZOMBIE_DAMAGE_LIMIT)) return true;

  e.active = 0;
  Game.kills += 1;
  Game.spawnweight[tileindex(at.x) + 7] -= 0.05;
  for (int k = 0; k < 30; ++k) {
    const double jx = randomreal(particleRandom) - 0.5, jy = randomreal(particleRandom) - 0.5;
    spawnparticle(PARTICLE_BLOOD, ROW_BLOOD, at.x, at.y, direction.x * 1.5 + jx * 2, direction.y * 1.5 + jy * 2 + 1,
                  0.05, 0.05);
  }
  if (e.guy < 0 || static_cast<size_t>(e.guy) >= guys.size()) return false;
  for (const tguypart &part : guys[e.guy].parts) {
    if (!part.visible) continue;
    const double jx = randomreal(particleRandom) - 0.5, jy = randomreal(particleRandom) - 0.5;
    spawnpartparticle(at, {2 * direction.x + jx * 1.5, 2 * direction.y + jy * 1.5 + 1}, part);
  }
  return false;
}
