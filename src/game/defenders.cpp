// Defenders: gunners at the base who find zombies in sight and fire bursts at them.
#include <cmath>

#include "base/fmath.h"
#include "game/base_objects.h"
#include "game/combat.h"
#include "game/particles.h"
#include "game/sounds.h"
#include "game/state.h"
#include "world/collision.h"

namespace {
// Blows a defender survives.
constexpr double kDefenderToughness = 5.0;
}  // namespace

int CreateDefender(tvector p) {
  tdefender d{};
  d.active = 1;
  d.pos = p;
  d.dust = 1.0;
  d.aim = p.x >= basePos.x ? M_PI / 2 : -M_PI / 2;  // facing away from the base
  d.weapon = randomint(static_cast<int>(weapons.size()));
  defenderList.push_back(d);  // never reused: the list is the game's roll of defenders
  return static_cast<int>(defenderList.size() - 1);
}

double FindTarget(tvector g, const tweapon &w) {
  const double reach = w.range * w.range + 1.5;
  for (const tenemy &e : enemies) {
    if (!e.active || !(vecdistance(g, e.body.pos, true) < reach)) continue;
    if (segmentterrain(g, e.body.pos).side == 'n') return bearing(e.body.pos.x - g.x, e.body.pos.y - g.y);
  }
  return NO_TARGET;
}

void DefenderStep(tdefender &d) {
  if (!d.active) return;
  if (d.weapon < 0 || static_cast<size_t>(d.weapon) >= weapons.size()) return;
  const tweapon &w = weapons[d.weapon];
  const tvector g = d.pos + tvector{0, 0.175};
  if (d.dust > 0) {
    d.dust -= Game.frameTime;
    impactburst({d.pos, 'b', 0});
  }
  // Spells of fire of roughly 0.25 to 1 s, pauses of 0.25 to 0.5 s.
  if (0.25 + 0.75 * randomreal() < d.burst) d.burst = -0.25 - 0.25 * randomreal();
  d.burst += Game.frameTime;
  d.drawaim = (3 * d.drawaim + d.aim) / 4;
  d.reach = (3 * d.reach + 1) / 4;
  const double side = fmath::sine(d.aim) < 0 ? 1 : 0;
  if (d.scan <= 0)
    d.aim = (M_PI / 2 - side * M_PI + d.aim) / 2;  // drift back to level
  else
    d.scan -= Game.frameTime;

  const double t = FindTarget(g, w);
  if (t != NO_TARGET) {
    d.scan = 1.0;
    d.aim = (5 * d.aim + t) / 6;
    if (d.cooldown > 0) {
      d.cooldown -= Game.frameTime;
    } else if (d.burst > 0 && std::fabs(d.aim - t) < 0.125) {
      for (int k = 0; k < w.pellets; ++k) {
        const double spread = (randomreal() - 0.5) * w.spread, speed = (randomreal() - 0.5) * 5;
        SpawnShot(g, w.pierce, 1, d.aim + spread, w.speed + speed, 0.5 * w.damage);
      }
      PlayGameSound(GAMESOUND_FIRE, w.firesound, SLOT_NEXT_SHOT, d.pos, 1.0);
      d.aim = t;
      d.cooldown = 1 / w.rate;
      d.drawaim = d.drawaim - 0.05 + 0.1 * side;
      d.reach = d.reach - 0.2 - 0.1 * w.damage * w.pellets;
    }
  }
  if (d.damage > kDefenderToughness) {
    d.active = 0;
    Game.survivors -= 1;
    if (d.pos.x < basePos.x)
      Game.leftDefenders -= 1;
    else
      Game.rightDefenders -= 1;
  }
}
