// The player's part of the game step: aiming, the camera's easing, jumping and running.
#include <gtest/gtest.h>

#include <cmath>

#include "game/camera.h"
#include "game/player.h"
#include "game/state.h"
#include "platform/window.h"
#include "world/terrain.h"

namespace {
class PlayerStep : public ::testing::Test {
 protected:
  void SetUp() override {
    for (ttilerecord &t : worldRow) t = ttilerecord{};
    ResetGameState();
    Player.currentWeapon.range = 2.0;
    Player.body.pos = {1, 1};
    CameraPos = {1, 1};
    Game.frameTime = 0.013;
  }
};
}  // namespace

TEST_F(PlayerStep, AimFollowsThePointerAndTheCentreKeepsTheLastAim) {
  MovePlayer({2.5, 0});  // half way to the right edge: half the weapon's range, straight right
  EXPECT_NEAR(Player.aimOffset.x, 1.0, 1e-9);
  EXPECT_NEAR(Player.aimOffset.y, 0, 1e-9);
  EXPECT_DOUBLE_EQ(Player.aimBearing, 0) << "one component zero: the bearing stays as it was";
  MovePlayer({3, 4});
  EXPECT_NEAR(Player.aimOffset.x, 1.2, 1e-9);
  EXPECT_NEAR(Player.aimBearing, std::atan2(3, 4), 1e-9);
  tvector kept = Player.aimOffset;
  for (int i = 0; i < 50; ++i) MovePlayer({0, 0});
  EXPECT_DOUBLE_EQ(Player.aimOffset.x, kept.x);
  EXPECT_TRUE(std::isfinite(CameraPos.x) && std::isfinite(CameraPos.y));
  // The camera settles midway between the player and the aim point.
  tvector p = Player.body.pos;
  EXPECT_NEAR(CameraPos.x, p.x + kept.x / 2, 1e-6);
  EXPECT_NEAR(Player.aimSmoothed, Player.aimBearing, 1e-6);
  EXPECT_NEAR(Player.armReach, 1.0, 1e-6);
}

TEST_F(PlayerStep, TheCameraStopsFollowingOnceTheBaseIsLost) {
  Game.supplies = -0.5;
  CameraPos = {-3, 0};
  MovePlayer({2, 2});
  EXPECT_EQ(cameraFollow, 0);
  EXPECT_DOUBLE_EQ(CameraPos.x, -3);
}

TEST_F(PlayerStep, RunningJumpingAndLosingControl) {
  PlayerControls(false, true, true);  // both held: left wins
  EXPECT_DOUBLE_EQ(Player.body.accel.x, -40);
  EXPECT_EQ(Player.anim.facing, 1);
  EXPECT_EQ(Player.anim.movestate, 1);
  PlayerControls(true, false, true);
  EXPECT_EQ(Player.anim.movestate, 2);
  EXPECT_DOUBLE_EQ(Player.body.vel.y, 2.8);
  EXPECT_EQ(Player.anim.facing, 0);
  Player.body.vel.y = 1.0;
  PlayerControls(true, false, false);  // no second jump in the air
  EXPECT_DOUBLE_EQ(Player.body.vel.y, 1.0);
  EXPECT_DOUBLE_EQ(Player.body.accel.x, 0);
  Ending.playerControl = 0;
  Player.anim.movestate = 0;
  PlayerControls(true, true, false);
  EXPECT_DOUBLE_EQ(Player.body.accel.x, 0);
  EXPECT_DOUBLE_EQ(Player.body.accel.y, -6);
  EXPECT_EQ(Player.anim.movestate, 0);
}
