#include "combat_world.h"
#include "game/rules.h"

namespace {

class Endings : public CombatWorld {
 protected:
  void StartHeli(tvector at) {
    Ending.heliActive = 1;
    heli = theli{};
    heli.pos = at;
    heli.target = {basePos.x, basePos.y + 1};
    heli.gunner.active = 1;
    heli.gunner.weapon = 1;
  }
};

}  // namespace

TEST_F(Endings, HelicopterFliesInWithinItsLimitsAndLowersItsRope) {
  StartHeli({-38, 2});
  heli.vel = {5, -3};
  HeliUpdate();
  EXPECT_DOUBLE_EQ(heli.vel.x, 2.5);
  EXPECT_DOUBLE_EQ(heli.vel.y, -1.0);
  double fastestX = 0, fastestY = 0;
  int frames = 0;
  for (; frames < 6000 && heli.rope <= 0; ++frames) {
    HeliUpdate();
    fastestX = std::max(fastestX, std::fabs(heli.vel.x));
    fastestY = std::max(fastestY, std::fabs(heli.vel.y));
    if (std::fabs(heli.pos.x - basePos.x) >= 1.5) {
      ASSERT_EQ(heli.rope, 0) << "the rope only comes down over the base";
    }
  }
  EXPECT_LE(fastestX, 2.5);
  EXPECT_LE(fastestY, 1.0);
  EXPECT_LT(std::fabs(heli.pos.x - basePos.x), 1.5);
  EXPECT_DOUBLE_EQ(heli.gunner.pos.x, heli.pos.x) << "the gunner rides along";

  // Hovering over the base: the rope grows but never reaches below the ground.
  Player.body.pos = {5, 0.1};
  for (int f = 0; f < 1000; ++f) {
    HeliUpdate();
    ASSERT_LE(heli.pos.y - heli.rope, heli.pos.y);
    if (heli.overbase) {
      ASSERT_GE(heli.pos.y - heli.rope, -1e-9);
    }
  }
  EXPECT_GT(heli.rope, 0.5);
  EXPECT_EQ(Ending.rescueActive, 0) << "a player away from the rope is not picked up";

  // Touching the rope starts the rescue.
  Player.body.pos = {heli.pos.x + 0.03, 0.1};
  HeliUpdate();
  EXPECT_EQ(Ending.rescueActive, 1);
}

TEST_F(Endings, RescueRidesTheRopeThenFliesOut) {
  StartHeli({0.2, 1.5});
  heli.rope = 1.4;
  defenderList.push_back(tdefender{});
  defenderList[0].active = 1;
  defenderList[0].pos = {1, 0};
  Ending.rescueActive = 1;
  int frames = 0;
  bool going = true;
  for (; going && frames < 5000; ++frames) {
    HeliUpdate();
    going = RescueSequence();
    ASSERT_EQ(Ending.playerControl, 0);
  }
  EXPECT_FALSE(going);
  EXPECT_GT(heli.pos.x, 30.0);
  EXPECT_DOUBLE_EQ(Player.body.pos.x, heli.pos.x) << "aboard";
  EXPECT_DOUBLE_EQ(defenderList[0].pos.x, heli.pos.x) << "and the defenders with him";
  EXPECT_EQ(Game.fadeOut, 1);
  EXPECT_NEAR(zoom, 1.2, 0.01);
}

TEST_F(Endings, DeathAndBaseLossTimelines) {
  const int z = Zombie(1.0);
  Game.playerDamage = 26;
  int frames = 0, blastFrame = -1, fadeFrame = -1;
  while (DeathSequence() && frames < 1000) {
    ++frames;
    if (Ending.deathBlast && blastFrame < 0) blastFrame = frames;
    if (Game.fadeOut && fadeFrame < 0) fadeFrame = frames;
    if (blastFrame < 0) {
      ASSERT_EQ(Ending.playerControl, 1) << "the player acts until the blast";
    }
  }
  EXPECT_NEAR(blastFrame * 0.015, 4.5, 0.016);
  EXPECT_NEAR(fadeFrame * 0.015, 5.5, 0.016);
  EXPECT_NEAR(frames * 0.015, 6.5, 0.016);
  EXPECT_EQ(Ending.playerControl, 0);
  EXPECT_FALSE(enemies[z].active) << "the blast takes the zombies around";
  EXPECT_NEAR(timeScale, 0.3, 0.01);
  EXPECT_NEAR(zoom, 0.3, 0.01);
  EXPECT_DOUBLE_EQ(Game.hurtFlash, 0.85);

  ResetGameState();
  Game.supplies = -0.25;
  frames = 0;
  while (BaseLossSequence() && frames < 1000) ++frames;
  EXPECT_NEAR(frames * 0.015, 6.5, 0.016);
  EXPECT_EQ(Ending.baseLossBlast, 1);
  EXPECT_EQ(Ending.playerControl, 1) << "losing the base leaves the player in control";
  EXPECT_EQ(Game.playerDamage, 0);
}
