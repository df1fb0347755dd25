// The zombies' frame: posing, animation choice, movement, walking push, strikes, and the loop
// that runs them in order.
#include "game/zombies.h"

#include <cmath>

#include "actors/animation.h"
#include "base/fmath.h"
#include "game/combat.h"
#include "game/particles.h"
#include "game/rules.h"
#include "game/state.h"
#include "world/collision.h"

namespace {

constexpr double kDegreesPerRadian = 57.29577951308232;
constexpr double kWalkPush = 200.0 / 3.0;

tguy *SkeletonOf(const tenemy &e) {
  if (e.guy < 0 || static_cast<size_t>(e.guy) >= guys.size()) return nullptr;
  return &guys[e.guy];
}

// A strike: the zombie flails for a second.
void StartStrike(tenemy &e) {
  e.timer = 1;
  e.mode = 4;
}

}  // namespace

void AnimateZombie(tenemy &e) {
  tanidata &d = e.anim;
  d.time += Game.frameTime * d.speed;
  AdvanceAnimation(d);
  tguy *guy = SkeletonOf(e);
  if (!guy) return;
  ApplyPose(*guy, d);
  const double f = d.facing;
  if (e.mode == 1 || e.mode == 2) {
    // Arms held out towards the prey.
    const double a = e.aim * kDegreesPerRadian;
    AimLimb(*guy, '1', 0, a + 30 - 60 * f, 1.95, d.facing);
    AimLimb(*guy, '2', 0, a + 5 - 10 * f, 1.95, d.facing);
  } else if (e.mode == 4) {
    const double t = e.timer;
    AimLimb(*guy, '1', 0, 20 * fmath::cosine(8 * M_PI * t) + (90 - 180 * f) - 10 + 20 * f, 2.0, d.facing);
    AimLimb(*guy, '2', 0, 20 * fmath::sine(8 * M_PI * t) + (90 - 180 * f) + 10 - 20 * f, 2.0, d.facing);
  }
}

void ZombieAnimState(tenemy &e) {
  tanidata &d = e.anim;
  const uint8_t s = d.movestate;
  e.timer -= Game.frameTime;
  if (e.mode == 0 || e.mode == 3 || e.mode == 4) e.aim = (4 * e.aim + M_PI) / 5;  // arms sink

  if (d.anim == 3 && d.frame >= 2) SetAnimation(d, 0, e.guy, 0.2, 0, 1);
  if (s == 2 && d.finished) SetAnimation(d, 0, e.guy, 0.2, 0, 1);
  if (s == 0) SetAnimation(d, 1, e.guy, 0.2, 0, 0);
  if (s == 1) SetAnimation(d, 0, e.guy, 0.2, 0, 0);

  if (s == 3) {
    // Crouch and spring: going through "jumpa2" restarts "jumpb2" even when it was playing.
    SetAnimation(d, 2, e.guy, 0.1, 0, 0);
    SetAnimation(d, 3, e.guy, 0.2, 0, 0);
    d.movestate = 2;
    e.body.vel.y = 2.8;
  }

  if (d.movestate == 1)
    d.speed = std::fabs(e.body.accel.x) / 25;
  else if (d.movestate == 2)
    d.speed = std::fabs(d.speed - 0.0125);
  else
    d.speed = 1.0;
}

bool MoveZombie(tenemy &e) {
  integrate(e.body, 0.7, 1.0, Game.frameTime);
  collideterrain(e.body, e.anim);
  if (Game.timeOfDay <= NIGHT_TIME && !Ending.rescueActive && std::fabs(Player.body.pos.x - e.body.pos.x) > DAY_LEASH) {
    // Left behind by day: it wanders off, and enough of them bring a fresh group at once.
    e.active = 0;
    Game.despawnCount += 1;
    if (Game.despawnCount >= 3 * Game.dayNumber + 2) {
      Game.despawnCount = 0;
      Game.spawnTimer = 0;
    }
    return false;
  }
  return true;
}

void ZombieWalkForce(tenemy &e) {
  e.body.accel = {0, -6};
  if (e.mode != 1) return;
  tanidata &d = e.anim;
  if (e.body.pos.x > e.target.x) {
    e.body.accel.x = -kWalkPush;
    if (d.movestate < 2) d.movestate = 1;
    d.facing = 1;
  } else if (e.body.pos.x < e.target.x) {
    e.body.accel.x = kWalkPush;
    if (d.movestate < 2) d.movestate = 1;
    d.facing = 0;
  }
}

void ZombieContact(tenemy &e) {
  if (e.mode == 4) return;
  const tvector z = e.body.pos;
  const uint8_t f = e.anim.facing;
  const tvector player = Player.body.pos;
  if (InFront(z.x, f, player) && vecdistance(z, player, true) < STRIKE_RANGE_SQ) {
    StartStrike(e);
    Game.playerDamage += 0.5;
    Player.body.vel.x = 0;
    for (int k = 0; k < 10; ++k) {
      const double a = randomreal(particleRandom) * 2 * M_PI, speed = 0.5 + randomreal(particleRandom);
      spawnparticle(PARTICLE_SPARK, ROW_SPARK, player.x, player.y, speed * fmath::sine(a), speed * fmath::cosine(a),
                    0.0075, 0.015);
    }
    Game.hurtFlash += 0.25;
    return;
  }
  if (!Ending.rescueActive && InFront(z.x, f, basePos) && vecdistance(z, basePos, true) < STRIKE_RANGE_SQ) {
    StartStrike(e);
    Game.supplies -= 0.25;
    return;
  }
  for (tdefender &d : defenderList) {
    if (d.active && InFront(z.x, f, d.pos) && vecdistance(z, d.pos, true) < STRIKE_RANGE_SQ) {
      StartStrike(e);
      d.damage += 1.0;
      return;
    }
  }
}

void PoseZombies() {
  // Only the living are posed: a free slot is reset when it is taken again.
  for (tenemy &e : enemies)
    if (e.active) AnimateZombie(e);
}

void UpdateZombies() {
  for (size_t i = 0; i < enemies.size(); ++i) {
    if (!enemies[i].active) continue;
    const int index = static_cast<int>(i);
    ZombieAnimState(enemies[i]);
    if (!MoveZombie(enemies[i])) continue;
    ZombieWalkForce(enemies[i]);
    if (index % 4 == Game.thinkSlot) ZombieThink(index);
    if (!ZombieWounds(index, {0, 1})) continue;
    ZombieContact(enemies[i]);
  }
}
