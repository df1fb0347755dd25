// The rescue helicopter: its flight to the base, its hovering, its gunner and its rope.
#include <cmath>

#include "game/base_objects.h"
#include "game/camera.h"
#include "game/rules.h"
#include "game/sounds.h"
#include "game/state.h"
#include "world/collision.h"

namespace {

constexpr double kNearBase = 1.5;
constexpr double kMaxSpeedX = 2.5;
constexpr double kMaxSpeedY = 1.0;
// The gunner aboard gets this many defender steps a frame.
constexpr int kGunnerSteps = 5;

void Steer(double dt) {
  theli &h = heli;
  const double sx = signum(h.target.x - h.pos.x), sy = signum(h.target.y - h.pos.y);
  if (std::fabs(basePos.x - h.pos.x) < kNearBase) {
    // Near the base: gentle pushes, braking pitches it back.
    h.vel.x += sx * 0.3 * dt;
    h.vel.y += sy * 0.15 * dt;
    h.tilt = (10 * sx + 150 * h.tilt) / 151;
    if (std::fabs(h.vel.x) <= 0.5) {
      h.vel.x *= 0.999;
    } else {
      h.vel.x *= 0.95;
      h.tilt = (100 * h.tilt - 20 * signum(h.vel.x)) / 101;
    }
    h.vel.y *= 0.999;
  } else {
    h.vel.x += sx * 0.8 * dt;
    h.vel.y += sy * 0.4 * dt;
    h.tilt = (20 * sx + 100 * h.tilt) / 101;
    h.vel.x *= 0.995;
    h.vel.y *= 0.995;
  }
  if (std::fabs(h.vel.x) > kMaxSpeedX) h.vel.x = kMaxSpeedX * signum(h.vel.x);
  if (std::fabs(h.vel.y) > kMaxSpeedY) h.vel.y = kMaxSpeedY * signum(h.vel.y);
}

void WorkRope(double dt) {
  theli &h = heli;
  if (h.overbase) {
    h.rope += dt;
    // It never reaches below the ground.
    const thit g = segmentterrain(h.pos, {h.pos.x, h.pos.y - h.rope});
    if (h.pos.y - g.point.y < h.rope) h.rope = h.pos.y - g.point.y;
  } else if (h.rope > 0) {
    h.rope -= dt;
    if (h.rope < 0) h.rope = 0;
  }
}

}  // namespace

void HeliUpdate() {
  theli &h = heli;
  const double dt = Game.frameTime;
  if (OnScreen(h.pos))
    PlayGameSound(GAMESOUND_FIXED, SOUND_HELI, SLOT_HELI, h.pos, 1.0, true, true);
  else
    PlayGameSound(GAMESOUND_FIXED, SOUND_HELI, SLOT_HELI, CameraPos, 0.25, true, true);
  if (Ending.rescueActive) h.target = {35.0, basePos.y + 3.0};  // away to the right

  Steer(dt);
  h.pos = h.pos + h.vel * dt;
  if (vecdistance(h.pos, h.target, false) < 0.25) {
    // Drift about above the base.
    const double rx = randomreal(), ry = randomreal();
    h.target = {basePos.x + (rx - 0.5) * 0.5, basePos.y + 1.5 + (ry - 0.5) * 0.125};
  }

  h.gunner.pos = h.pos;
  for (int k = 0; k < kGunnerSteps; ++k) DefenderStep(h.gunner);

  h.overbase = std::fabs(basePos.x - h.pos.x) < kNearBase && !Ending.rescueActive;
  WorkRope(dt);

  if (h.overbase && !Ending.rescueActive) {
    const tvector half{CHARACTER_HALF_WIDTH, CHARACTER_HALF_HEIGHT};
    const thit touch = segmentbox({h.pos.x - 0.01, h.pos.y - h.rope}, {h.pos.x + 0.01, h.pos.y}, Player.body.pos - half,
                                  Player.body.pos + half);
    // The rope must actually cross the player's box.
    if (touch.side != 'n') Ending.rescueActive = 1;
  }
}
