#include "combat_world.h"
#include "game/rules.h"

namespace {
class Endings : public CombatWorld {};
}  // namespace

TEST_F(Endings, HelicopterKeepsItsLimitsAndLowersItsRopeOnlyOverTheBase) {
  Ending.heliActive = 1;
  heli.pos = {-8, 2};
  heli.target = {0, 1};
  heli.gunner.active = 1;
  heli.vel = {5, -3};
  HeliUpdate();
  EXPECT_DOUBLE_EQ(heli.vel.x, 2.5);
  EXPECT_DOUBLE_EQ(heli.vel.y, -1.0);
  Player.body.pos = {5, 0.1};
  for (int f = 0; f < 2000; ++f) {
    HeliUpdate();
    if (!heli.overbase) {
      ASSERT_LE(heli.rope, 0.02) << "the rope comes down only over the base";
    }
    ASSERT_GE(heli.pos.y - heli.rope, -1e-9) << "and never below the ground";
    ASSERT_LE(std::fabs(heli.vel.x), 2.5);
  }
  EXPECT_GT(heli.rope, 0.5);
  EXPECT_DOUBLE_EQ(heli.gunner.pos.x, heli.pos.x);
  EXPECT_EQ(Ending.rescueActive, 0) << "a player away from the rope is not picked up";
  Player.body.pos = {heli.pos.x + 0.03, 0.1};
  HeliUpdate();
  EXPECT_EQ(Ending.rescueActive, 1) << "touching it starts the rescue";
}

TEST_F(Endings, DeathAndBaseLossTimelines) {
  Game.playerDamage = 26;
  int frames = 0, blast = -1;
  for (; DeathSequence() && frames < 1000; ++frames)
    if (blast < 0 && Ending.deathBlast) blast = frames;
  EXPECT_NEAR(blast * 0.015, 4.5, 0.016);
  EXPECT_NEAR(frames * 0.015, 6.5, 0.016);
  EXPECT_EQ(Ending.playerControl, 0);
  EXPECT_NEAR(Game.timeScale, 0.3, 0.01);
  EXPECT_NEAR(zoom, 0.3, 0.01);
  ResetGameState();
  Game.frameTime = 0.015;
  for (frames = 0; BaseLossSequence() && frames < 1000;) ++frames;
  EXPECT_NEAR(frames * 0.015, 6.5, 0.016);
  EXPECT_EQ(Ending.playerControl, 1) << "losing the base leaves the player in control";
}
