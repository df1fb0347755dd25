#include "combat_world.h"
#include "game/combat.h"
#include "game/rules.h"

namespace {
class Grenades : public CombatWorld {};
}  // namespace

TEST_F(Grenades, ExplosionHurtsWhatItSeesFallingOffWithDistance) {
  const int half = Zombie(0.3), edge = Zombie(0, 1, 0.7), beyond = Zombie(0.65), hidden = Zombie(-0.2);
  Wall(-0.12, 0, -0.1, 0.5);  // between the blast and `hidden`
  enemies[half].damage = enemies[edge].damage = -100;  // keep them alive to read the damage
  Explode({0, 0.1}, false, 0.6, 1.0);
  EXPECT_NEAR(enemies[half].damage + 100, 2.0, 1e-12) << "at R/2: twice the power";
  EXPECT_NEAR(enemies[edge].damage + 100, 1.0, 1e-12) << "at R: the power";
  EXPECT_EQ(enemies[beyond].damage, 0);
  EXPECT_EQ(enemies[hidden].damage, 0) << "behind a block, however close";
  EXPECT_EQ(Game.playerDamage, 0) << "a thrown grenade spares the player";
  EXPECT_GE(ActiveCount(particleList), 35);
  EXPECT_TRUE(flashes[0].active && flashes[0].blast) << "the flash waits for the next frame's drawing";

  const int atCentre = Zombie(1.5);
  Explode(enemies[atCentre].body.pos, false, 0.6, 3.0);
  EXPECT_FALSE(enemies[atCentre].active) << "at the centre the damage is infinite";
}

TEST_F(Grenades, FuseBouncesAndDetonation) {
  // Dropped onto the ground from 0.3: it bounces with a click, keeps bouncing lower, and goes
  // off on the frame its fuse runs out, far from the camera or not.
  CameraPos = {20, 0};
  const int g = SpawnGrenade({0, 0.3}, {0.5, 0}, 0.6);
  const int z = Zombie(0.25);
  int frames = 0;
  double highest = 0;
  bool bounced = false;
  while (grenadeList[g].active && frames < 100) {
    UpdateGrenades();
    ++frames;
    if (grenadeList[g].body.vel.y > 0) bounced = true;
    if (bounced) highest = std::max(highest, grenadeList[g].body.pos.y);
  }
  EXPECT_NEAR(frames * 0.015, 0.6, 0.016);
  EXPECT_TRUE(bounced);
  EXPECT_LT(highest, 0.3);
  EXPECT_FALSE(enemies[z].active) << "a zombie in sight nearby dies";
  EXPECT_EQ(Game.kills, 1);
}
