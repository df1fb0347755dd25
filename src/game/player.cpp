#include "game/player.h"

#include <cmath>

#include "actors/animation.h"
#include "game/camera.h"
#include "game/state.h"
#include "world/collision.h"

namespace {
constexpr double DEGREES = 57.29577951308232;
// Parts turned back by the lean, so legs and head stay upright while the body tilts.
constexpr int LEAN_PARTS[] = {2, 4, 6, 9};

bool HasFigure() { return !guys.empty() && guys[0].parts.size() > 9; }
}  // namespace

void PosePlayer(bool aimLeft, bool cooking) {
  tanidata &a = Player.anim;
  a.time += Game.frameTime * a.speed;
  AdvanceAnimation(a);
  if (guys.empty()) return;
  tguy &g = guys[0];
  ApplyPose(g, a);

  double r = Player.currentWeapon.longgrip ? 0.3 : 0.2;
  double d = Player.aimSmoothed * DEGREES;
  uint8_t flip = aimLeft ? 1 : 0;
  AimLimb(g, '1', flip, aimLeft ? d - 15 : d + 15, Player.armReach + r, a.facing);
  AimLimb(g, '2', flip, aimLeft ? d - 5 : d + 5, Player.armReach + 0.95, a.facing);

  if (cooking && Player.grenades > 0) {
    Player.grenadeCharge += Game.frameTime;
    double reach = std::max(-1.8 * Player.grenadeCharge, -1.8);
    AimLimb(g, '2', flip, aimLeft ? d + 15 : d - 15, reach, a.facing);
  }

  if (!HasFigure()) return;
  double lean = (Player.armReach - 1) * 25;
  if (static_cast<bool>(a.facing) == aimLeft) {
    double b = aimLeft ? -Player.aimBearing : Player.aimBearing;
    lean += (b * DEGREES - 90) * 0.25;
  } else {
    lean += 15 * vecnormalise(Player.aimOffset).y;
    lean = -lean;
  }
  g.parts[0].angle -= lean;
  for (int p : LEAN_PARTS) g.parts[p].angle += lean;
}

void ChoosePlayerAnimation() {
  tanidata &a = Player.anim;
  if (a.anim == 3 && a.frame > 1) SetAnimation(a, 0, 0, 0.2, 0, 1);
  if (a.movestate == 2 && a.finished) SetAnimation(a, 0, 0, 0.2, 0, 1);
  if (a.movestate == 0) SetAnimation(a, 1, 0, 0.2, 0, 0);
  if (a.movestate == 1) SetAnimation(a, 0, 0, 0.2, 0, 0);
  if (a.movestate == 3) SetAnimation(a, 2, 0, 0.1, 0, 0);
  if (a.movestate == 1)
    a.speed = std::fabs(Player.body.accel.x) / 20;  // last frame's push: 2.0 while running
  else if (a.movestate == 2)
    a.speed = std::fabs(a.speed - 0.03);  // decays after the jump's 2.0
  else
    a.speed = 1.0;
}

tvector PlayerShoulder() {
  double pivot = (guys.empty() || guys[0].parts.empty()) ? 0 : guys[0].parts[0].pivot.y;
  return {Player.body.pos.x, Player.body.pos.y - pivot * Player.anim.scale + 0.075};
}

void MovePlayer(tvector pointer) {
  tbody &b = Player.body;
  integrate(b, 0.7, 1.0, Game.frameTime);
  collideterrain(b, Player.anim);

  // At the exact centre the pointer has no direction; keep the last aim rather than let
  // not-a-number reach the aim point and, through the easing, the camera.
  if (pointer.x != 0 || pointer.y != 0) {
    double k = veclength(pointer, false) / 5;
    Player.aimOffset = vecnormalise(pointer) * (Player.currentWeapon.range * k);
  }
  Player.aimPoint = b.pos + Player.aimOffset;
  if (Player.aimOffset.x != 0 && Player.aimOffset.y != 0)
    Player.aimBearing = bearing(Player.aimOffset.x, Player.aimOffset.y);
  Player.aimSmoothed = (3 * Player.aimSmoothed + Player.aimBearing) / 4;
  Player.armReach = (3 * Player.armReach + 1) / 4;

  if (Game.supplies < 0) cameraFollow = 0;
  if (cameraFollow) CameraPos = (CameraPos + (Player.aimPoint + b.pos) / 2) / 2;
}

void PlayerControls(bool jump, bool left, bool right) {
  tanidata &a = Player.anim;
  tbody &b = Player.body;
  if (Ending.playerControl && jump && a.movestate != 2) {
    SetAnimation(a, 3, 0, 0.2, 0, 0);
    a.movestate = 2;
    b.vel.y = 2.8;
    a.speed = 2.0;
  }
  b.accel = {0, -6};
  if (!Ending.playerControl) return;
  if (left) {
    b.accel.x = -40;
    if (a.movestate < 2) a.movestate = 1;
    a.facing = 1;
  } else if (right) {
    b.accel.x = 40;
    if (a.movestate < 2) a.movestate = 1;
    a.facing = 0;
  }
}
