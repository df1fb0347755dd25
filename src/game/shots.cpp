// Shots: their flight, what they strike, and the zones of a zombie they hit.
#include <cmath>
#include <limits>

#include "base/fmath.h"
#include "base/slots.h"
#include "game/combat.h"
#include "game/particles.h"
#include "game/rules.h"
#include "game/sounds.h"
#include "game/state.h"
#include "world/terrain.h"

namespace {

// A shot this far beyond the end tiles, or this far below the lowest block, can never strike
// anything again.
constexpr double kWorldHalfWidth = 37.5;
constexpr double kFallMargin = 10.0;

struct tzone {
  double factor;
  char letter;
};

// By how high on the zombie the shot struck: head, body (arms) or legs.
tzone HitZone(double dy) {
  if (dy > 0.05) return {0.75, 'h'};
  if (dy >= -0.05) return {0.5, 'a'};
  return {0.25, 'l'};
}

bool Differs(tvector a, tvector b) { return a.x != b.x && a.y != b.y; }

double LowestBlock() {
  double lowest = std::numeric_limits<double>::infinity();
  for (const ttilerecord &tile : worldRow)
    for (const block &b : tile.collision)
      if (b.active) lowest = std::min(lowest, std::min(b.corner1.y, b.corner2.y));
  // A world without blocks: measure the fall from the base instead.
  return std::isinf(lowest) ? basePos.y : lowest;
}

void StrikeZombie(tshot &t, const thit &hit, tvector direction) {
  const int i = hit.count;
  if (t.pierce > 0)
    t.pierce -= 1;
  else
    t.spent = 1;
  t.struck = i;
  for (int k = 0; k < 5; ++k) {
    const double jx = randomreal(particleRandom) - 0.5, jy = randomreal(particleRandom) - 0.5;
    spawnparticle(PARTICLE_SPARK, ROW_SPARK, hit.point.x, hit.point.y, direction.x * 2 + jx, direction.y * 2 + jy,
                  0.005, 0.0125);
  }
  tenemy &e = enemies[i];
  const tzone zone = HitZone(hit.point.y - e.body.pos.y);
  int knocked = -1;
  if (e.guy >= 0 && static_cast<size_t>(e.guy) < guys.size()) knocked = HideTaggedParts(guys[e.guy], zone.letter);
  e.damage += zone.factor * t.damage;
  if (knocked >= 0) spawnpartparticle(hit.point, direction * 5, guys[e.guy].parts[knocked]);
  ZombieWounds(i, direction);
  enemies[i].body.vel.x = 0;
  PlayGameSound(GAMESOUND_FIXED, SOUND_ZOMBIEIMPACT, SLOT_IMPACT, t.body.pos, 0.5);
  t.body.pos = hit.point;
}

}  // namespace

int SpawnShot(tvector origin, int32_t pierce, uint8_t source, double bearing, double speed, double damage) {
  const size_t i = TakeSlot(shotList);
  tshot &t = shotList[i];
  t.active = 1;
  t.spent = 0;
  t.source = source;
  t.body.pos = origin;
  t.body.vel = {speed * fmath::sine(bearing), speed * fmath::cosine(bearing)};
  t.body.accel = {0, -6};
  t.last = origin;
  t.damage = damage;
  t.pierce = pierce;
  t.struck = -1;
  return static_cast<int>(i);
}

void UpdateShot(tshot &t) {
  if (t.spent) {
    t.active = 0;
    return;
  }
  const double dt = Game.frameTime;
  t.body.vel = (t.body.vel + t.body.accel * dt) * 0.998;
  t.last = t.body.pos;
  t.body.pos = t.body.pos + t.body.vel * dt;

  const thit ground = segmentterrain(t.last, t.body.pos);
  if (Differs(ground.point, t.body.pos)) {
    t.spent = 1;
    impactburst(ground);
    PlayGameSound(GAMESOUND_FIXED, SOUND_IMPACT, SLOT_IMPACT, ground.point, 0.05);
  }
  t.body.pos = ground.point;

  const thit hit = segmentcharacters(t.last, t.body.pos, t.struck);
  if (Differs(hit.point, t.body.pos)) StrikeZombie(t, hit, vecnormalise(t.body.vel));
}

void UpdateShots() {
  if (shotList.empty()) return;
  const double floor = LowestBlock() - kFallMargin;
  for (size_t i = 0; i < shotList.size(); ++i) {
    tshot &t = shotList[i];
    if (!t.active) continue;
    UpdateShot(t);
    // Beyond the world's ends, or fallen where no block is below: free the slot now rather
    // than at the end of the day.
    const tvector p = t.body.pos;
    if (!(std::fabs(p.x) <= kWorldHalfWidth) || !(p.y >= floor)) t.active = 0;
  }
}
