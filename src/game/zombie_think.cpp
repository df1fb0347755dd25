// A zombie's decisions, taken once every four frames: landing, sighting its prey, wandering,
// crowding, and probing the blocky ground for hops and leaps.
#include <algorithm>
#include <cmath>

#include "game/combat.h"
#include "game/state.h"
#include "game/zombies.h"
#include "world/collision.h"

namespace {

constexpr double kLeapPush = 220.0 / 3.0;
constexpr double kSightRange = 7.0;

// By day (and during the rescue) zombies hunt the player; by night they go for the base.
tvector Prey() {
  if (Game.timeOfDay <= NIGHT_TIME || Ending.rescueActive) return Player.body.pos;
  return {basePos.x, basePos.y + 0.3};
}

void LandFromLeap(tenemy &e) {
  const tvector z = e.body.pos;
  if (e.anim.movestate < 2) {
    e.mode = 0;
    e.timer = 0.5 + randomreal();
    return;
  }
  if (std::fabs(z.x - e.target.x) >= 0.1) return;
  // Over the landing point but still in the air: look for ground just ahead.
  const double x = z.x + 0.15 - 0.3 * e.anim.facing;
  const thit h = segmentterrain({x, z.y}, {x, e.target.y - 0.15});
  if (h.point.y > e.target.y - 0.3 && h.point.y < e.target.y + 0.3) {
    e.target.x += e.target.x - z.x;  // carry on as far again
    e.target.y = h.point.y;
  } else {
    e.target.x = z.x;
  }
}

void Sight(tenemy &e, tvector g) {
  const tvector z = e.body.pos;
  const double r1 = randomreal(), r2 = randomreal(), r3 = randomreal(), r4 = randomreal();
  const thit h =
      segmentterrain({z.x + 0.05 - 0.1 * r1, z.y + 0.1 - 0.2 * r2}, {g.x + 0.05 - 0.1 * r3, g.y + 0.1 - 0.2 * r4});
  if (std::fabs(h.point.x - g.x) > 0.05 || std::fabs(h.point.y - g.y) > 0.05) return;
  if (!(vecdistance(z, g, false) < kSightRange)) return;
  e.mode = 1;
  e.timer = 2 + randomreal();
  e.target = {g.x + 0.1 - 0.2 * Player.anim.facing, g.y};
  if (InFront(z.x, e.anim.facing, g)) e.aim = bearing(g.x - z.x, g.y - z.y);
}

// In the air it only pushes the way it already faces.
void SteerLeap(tenemy &e, tvector g) {
  tanidata &d = e.anim;
  const tvector z = e.body.pos;
  if (z.x > e.target.x && d.facing == 1) {
    e.body.accel.x = -kLeapPush;
    if (d.movestate < 2) d.movestate = 1;
  } else if (z.x < e.target.x && d.facing == 0) {
    e.body.accel.x = kLeapPush;
    if (d.movestate < 2) d.movestate = 1;
  }
  if (InFront(z.x, d.facing, g)) e.aim = bearing(g.x - z.x, g.y - z.y);
}

// The first slot (itself included, which pushes nothing) standing on top of it pushes it away.
void KeepApart(tenemy &e) {
  const tvector z = e.body.pos;
  for (const tenemy &o : enemies) {
    if (std::fabs(z.x - o.body.pos.x) < 0.1 && std::fabs(z.y - o.body.pos.y) < 0.2) {
      e.body.accel.x = signum(z.x - o.body.pos.x) / 0.015;
      return;
    }
  }
}

// Walking towards its target with a drop or a step just ahead: stop and look for a hop.
void CheckEdge(tenemy &e) {
  const tvector z = e.body.pos;
  const uint8_t f = e.anim.facing;
  if (e.target.y > z.y || randomint(2) == 0) {
    const tvector ahead{z.x + 0.1 - 0.2 * f, z.y - 0.2};
    const thit h = segmentterrain(z, ahead);
    if (std::fabs(ahead.y - h.point.y + 0.1) > 0.05 && e.mode != 3) {
      e.mode = 3;
      e.timer = std::min(e.timer, 0.25);
    } else if (randomint(300) == 0) {
      e.mode = 3;  // an occasional hop
      e.timer = std::min(e.timer, 0.25);
    }
  }
}

}  // namespace

bool ZombieTryJump(tenemy &e) {
  const tvector z = e.body.pos;
  const uint8_t f = e.anim.facing;
  const bool coin = randomint(2) == 0;
  const bool down = (coin && e.mode == 3) ? true : (z.y - 0.1 > e.target.y);
  double dx = 0.6 * randomreal();
  double dy = 0.1 + 0.5 * randomreal();
  tvector land{z.x + dx - 2 * dx * f, z.y + dy};

  const thit way = segmentterrain(z, {land.x, z.y - 0.2});
  const bool blocked = way.side != 'n' && way.side != 'b';

  thit probe;
  bool found;
  if (down) {
    dx *= 1.5;
    dy *= -2.5;
    land = {z.x + dx - 2 * dx * f, z.y + dy};
    probe = segmentterrain(land, {land.x, z.y - 0.09});
    found = probe.side == 't' && z.y - 0.1 > probe.point.y;
  } else {
    probe = segmentterrain(land, {land.x, z.y - 0.09});
    found = probe.side == 't';
  }
  if ((found || blocked) && (!down || dx > 0.6) && e.anim.movestate < 2) {
    e.mode = 2;
    e.anim.movestate = 3;  // the next animation step launches it
    e.target = {land.x, probe.point.y};
    return true;
  }
  return false;
}

void ZombieThink(int i) {
  tenemy &e = enemies[i];
  const tvector g = Prey();
  if (e.mode == 2) LandFromLeap(e);
  if (e.mode != 2 && e.mode != 4 && randomint(2) == 0) Sight(e, g);
  if (e.mode == 2) SteerLeap(e, g);
  if ((e.mode == 0 || e.mode == 4) && e.timer <= 0) {
    // Wander somewhere near.
    e.mode = 1;
    e.timer = 1.5 + randomreal();
    const double rx = randomreal(), ry = randomreal();
    e.target = {e.body.pos.x + 2.5 - 5 * rx, e.body.pos.y + 1 - 2 * ry};
  }
  if (e.mode == 1) {
    if (e.timer <= 0) {
      e.mode = 0;
      e.timer = 2 + randomreal();
    } else {
      KeepApart(e);
    }
  }
  if (e.mode == 3) {
    if (e.timer <= 0) {
      e.mode = 1;
      e.timer = 2 + randomreal();
      e.target.x = 2 * e.body.pos.x - e.target.x;  // turn back
    } else {
      for (int k = 0; k < 5; ++k)
        if (ZombieTryJump(e)) break;
    }
  }
  const bool targetAhead = (e.target.x < e.body.pos.x) == (e.anim.facing == 1);
  if ((e.mode == 1 || e.mode == 3) && targetAhead && e.anim.movestate != 3 && !ZombieTryJump(e)) CheckEdge(e);
}

void AlertZombies(tvector p, double radius) {
  for (tenemy &e : enemies) {
    if (!e.active || e.mode == 2 || e.mode == 4) continue;
    if (vecdistance(e.body.pos, p, false) <= radius) {
      e.target = p;
      e.mode = 1;
    }
  }
}
