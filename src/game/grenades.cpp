// Thrown grenades and the explosions that end them (and the closing sequences).
#include <cmath>

#include "base/fmath.h"
#include "base/slots.h"
#include "game/camera.h"
#include "game/combat.h"
#include "game/effects.h"
#include "game/particles.h"
#include "game/rules.h"
#include "game/sounds.h"
#include "game/state.h"
#include "world/collision.h"

int SpawnGrenade(tvector position, tvector velocity, double fuse) {
  const size_t i = TakeSlot(grenadeList);
  tparticle &g = grenadeList[i];
  g = tparticle{};
  g.body = {position, velocity, {0, -6}};
  g.size = {0.0125, 0.0125};
  g.collides = g.bounces = g.clicks = 1;
  g.moving = 1;
  g.row = ROW_CASE;
  g.expired = 0;
  g.lifetime = fuse;
  g.active = 1;
  return static_cast<int>(i);
}

void UpdateGrenades() {
  for (size_t i = 0; i < grenadeList.size(); ++i) {
    tparticle &g = grenadeList[i];
    if (!g.active) continue;
    // Seen from itself, so a grenade is never lost for being out of view.
    const tvector camera = CameraPos;
    CameraPos = g.body.pos;
    LooseObjectStep(g);
    CameraPos = camera;
    if (g.expired) {
      g.active = 0;
      Explode(g.body.pos, false, 0.6, 3.0);
    }
  }
}

void Explode(tvector c, bool hurtsPlayer, double radius, double power) {
  for (int k = 0; k < 35; ++k) {
    const double speed = randomreal(particleRandom) * radius, a = randomreal(particleRandom) * 2 * M_PI;
    spawnparticle(PARTICLE_SMOKE, ROW_SMOKE, c.x, c.y, speed * fmath::sine(a), speed * fmath::cosine(a), 0.1, 0.1);
  }
  PlayGameSound(GAMESOUND_FIXED, SOUND_EXPLOSION, SLOT_EXPLOSION, c, 1.0);

  tflash &flash = NewFlash();
  flash.active = 1;
  flash.blast = 1;
  flash.centre = c;
  flash.radius = radius;
  flash.lineWidth = 3;
  flash.lineCount = 16;
  for (int k = 0; k < 16; ++k) {
    const double a = randomreal() * 2 * M_PI, length = randomreal() * radius * 1.8;
    const tvector u{fmath::sine(a), fmath::cosine(a)};
    flash.lines[k] = {c + u * (0.4 * length), c + u * length, 0.4};
  }

  // Only what the blast can see is hurt; the nearer, the harder (at the centre, infinitely).
  for (size_t i = 0; i < enemies.size(); ++i) {
    tenemy &e = enemies[i];
    if (!e.active) continue;
    const double d = vecdistance(c, e.body.pos, false);
    if (!(d <= radius) || segmentterrain(c, e.body.pos).side != 'n') continue;
    e.damage += radius / d * power;
    const tvector away = d > 0 ? (e.body.pos - c) / d : tvector{0, 1};
    ZombieWounds(static_cast<int>(i), away);
  }
  if (hurtsPlayer) {
    const double d = vecdistance(c, Player.body.pos, false);
    if (d <= radius && segmentterrain(c, Player.body.pos).side == 'n') Game.playerDamage += radius / d * power;
  }
}
