// Particle kinds, the impact and knocked-off-part effects, and the loose-object step.
#include "game/particles.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "base/slots.h"
#include "game/camera.h"
#include "game/rules.h"
#include "game/sounds.h"
#include "game/state.h"
#include "persist/options.h"

namespace {

struct tkindrule {
  double gravity;
  uint8_t moving, collides, bounces, clicks;
  double lifetime;
};

// Indexed by tparticlekind.
const tkindrule kKinds[] = {
    {-6, 1, 1, 1, 1, 1.5},  // case
    {0, 1, 0, 0, 0, 1.0},   // smoke drifts through everything
    {-6, 1, 1, 1, 0, 1.5},  // part
    {-6, 1, 1, 1, 0, 0.5},  // debri
    {-6, 1, 1, 0, 0, 0.5},  // spark: sticks as a splat
    {-6, 0, 1, 0, 0, 0.5},  // blood
};

tvector SideNormal(char side) {
  switch (side) {
    case 'b': return {0, 1};
    case 'l': return {-1, 0};
    case 'r': return {1, 0};
    case 't': return {0, -1};
    default: return {0, 0};
  }
}

void Click(const tparticle &o) {
  if (o.clicks && std::fabs(o.body.vel.y) > 0.2)
    PlayGameSound(GAMESOUND_FIXED, SOUND_CASING, SLOT_CASING, o.body.pos, 0.5);
}

// Stops dead against the surface, out of the collision test for good, flattened across the
// contact: `across` is the contact axis (0 x, 1 y) and `push` the push along it.
void Stick(tparticle &o, int across, double push) {
  o.body.accel.y = 0;
  o.body.vel = {0, 0};
  o.collides = 0;
  o.moving = 0;
  if (across == 0) {
    o.body.pos.x += push - signum(push) * 0.75 * o.size.x;
    o.size.x *= 0.125;
    o.size.y *= 0.5;
  } else {
    o.body.pos.y += push - signum(push) * 0.75 * o.size.y;
    o.size.y *= 0.125;
    o.size.x *= 0.5;
  }
}

// A rebound slower than this off the ground is only gravity's jitter: the object has come to rest.
constexpr double kRestingSpeed = 0.2;

// Drawn along its flight while it flies, a resting object would stand on end: laid down, it is
// drawn level with its longer side along the ground.
void LieDown(tparticle &o) {
  if (!o.moving) return;
  o.moving = 0;
  if (o.size.y > o.size.x) std::swap(o.size.x, o.size.y);
}

// How deep the object reaches into the block on each axis.
tvector Penetration(const block &b, const tparticle &o) {
  const tvector centre = (b.corner1 + b.corner2) * 0.5, half = centre - b.corner1;
  return {half.x + o.size.x - std::fabs(o.body.pos.x - centre.x),
          half.y + o.size.y - std::fabs(o.body.pos.y - centre.y)};
}

// Every particle below this index is in use: a burst of thousands of particles (a night group
// climbing out of the ground) would otherwise search the whole list for each one. Only the
// particle update frees particles, and it moves the mark back to the lowest free slot.
size_t firstFree = 0;

}  // namespace

double particleViewHalfWidth = 5;
trandom particleRandom{1};

bool InParticleView(tvector p) {
  const double k = 9.0 / (6.1 * zoom);
  return std::fabs((p.x - CameraPos.x) * k) < particleViewHalfWidth && std::fabs((p.y - CameraPos.y) * k) < 3.75;
}

void spawnparticle(tparticlekind kind, uint8_t row, double x, double y, double vx, double vy, double sx, double sy) {
  if (Options.particlesOff) return;
  if (!InParticleView({x, y})) return;
  const size_t slot = TakeSlot(particleList, std::min(firstFree, particleList.size()));
  firstFree = slot + 1;
  tparticle &o = particleList[slot];
  const tkindrule &k = kKinds[kind];
  o.body.pos = {x, y};
  o.body.vel = {vx, vy};
  o.body.accel = {0, k.gravity};
  o.row = row;
  o.size = {sx, sy};
  o.moving = k.moving;
  o.collides = k.collides;
  o.bounces = k.bounces;
  o.clicks = k.clicks;
  o.lifetime = k.lifetime;
  o.expired = 0;
  o.active = 1;
}

void impactburst(const thit &h) {
  const tvector n = SideNormal(h.side);
  if (n.x == 0 && n.y == 0) return;
  const tvector p = h.point;
  for (int i = 0; i < 2; ++i) {
    const double r1 = randomreal(particleRandom), r2 = randomreal(particleRandom);
    spawnparticle(PARTICLE_SMOKE, ROW_SMOKE, p.x, p.y, (r1 + 0.05) * n.x * 0.5, (r2 + 0.05) * n.y * 0.5, 0.1, 0.1);
  }
  for (int i = 0; i < 4; ++i) {
    const double r1 = randomreal(particleRandom), r2 = randomreal(particleRandom), r3 = randomreal(particleRandom),
                 r4 = randomreal(particleRandom);
    spawnparticle(PARTICLE_DEBRI, ROW_DEBRI, p.x, p.y, r1 - 0.5 + 1.5 * n.x, r2 - 0.5 + 1.5 * n.y, 0.005 + 0.005 * r3,
                  0.005 + 0.005 * r4);
  }
}

void spawnpartparticle(tvector p, tvector v, const tguypart &part) {
  // The corners are already in world units. A moving particle is drawn with its second
  // half-size along its flight, so the part's length goes second: it tumbles end over end
  // instead of flying sideways.
  const double a = std::fabs(part.corner2.x - part.corner1.x) * 0.5;
  const double b = std::fabs(part.corner2.y - part.corner1.y) * 0.5;
  spawnparticle(PARTICLE_PART, ROW_PART, p.x, p.y, v.x, v.y, std::min(a, b), std::max(a, b));
}

namespace {
// A loose object's frame; `inView` says where it is kept.
void StepLoose(tparticle &o, bool (*inView)(tvector)) {
  integrate(o.body, 0.99, 0.99, Game.frameTime);
  if (!inView(o.body.pos)) {
    o.active = 0;
    return;
  }
  o.lifetime -= Game.frameTime;
  if (o.lifetime <= 0) {
    if (o.expired) {
      o.active = 0;
      return;
    }
    o.expired = 1;
    o.lifetime = 0.5;  // a half-second fade
  }
  if (!o.collides) return;
  const tblkarray &blocks = worldRow[7 + tileindex(o.body.pos.x)].collision;
  for (const block &b : blocks) {
    if (!b.active) continue;
    const tvector p = boxoverlap(b.corner1, b.corner2, o.body.pos - o.size, o.body.pos + o.size);
    if (p.x == 0 && p.y == 0) continue;
    // The shallower penetration is the contact. Depths, not pushes, are compared: the push is
    // 0 on an axis where the centres line up, which would take a landing for a side contact.
    const tvector depth = Penetration(b, o);
    if (depth.x < depth.y) {
      if (!o.bounces) {
        Stick(o, 0, p.x);
        return;
      }
      o.body.pos.x += p.x;
      o.body.vel.x *= -0.5;
      Click(o);
    } else if (std::fabs(p.y) > 0) {
      if (!o.bounces) {
        Stick(o, 1, p.y);
        return;
      }
      o.body.pos.y += p.y;
      o.body.vel.y *= -0.5;
      o.body.vel.x *= 0.75;
      Click(o);
      if (p.y > 0 && std::fabs(o.body.vel.y) < kRestingSpeed) LieDown(o);
    }
  }
}

}  // namespace

void LooseObjectStep(tparticle &o) { StepLoose(o, OnScreen); }

void UpdateParticles() {
  if (Options.particlesOff) return;
  firstFree = particleList.size();
  for (size_t i = 0; i < particleList.size(); ++i) {
    tparticle &o = particleList[i];
    if (o.active) StepLoose(o, InParticleView);
    if (!o.active && i < firstFree) firstFree = i;
  }
}
