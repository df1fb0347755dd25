#include "combat_world.h"
#include "game/combat.h"
#include "game/rules.h"

namespace {

class Shots : public CombatWorld {
 protected:
  // A shot flying right at height y with no gravity and a slight fall, so it crosses boxes the
  // way a real shot does (never exactly level).
  static int Fire(double y, double damage, int32_t pierce) {
    const int i = SpawnShot({-0.5, y}, pierce, 1, M_PI / 2 + 1e-4, 20, damage);
    shotList[i].body.accel = {0, 0};
    return i;
  }
  static void Fly(int frames) {
    for (int f = 0; f < frames; ++f) UpdateShots();
  }
};

}  // namespace

TEST_F(Shots, HitZonesKnockOffPartsAndScaleDamage) {
  const struct {
    double dy, factor;
    const char *tags;  // the zone's parts
  } zones[] = {{0.08, 0.75, "h"}, {0.049, 0.5, "12"}, {-0.049, 0.5, "12"}, {-0.08, 0.25, "f"}};
  for (const auto &z : zones) {
    enemies.clear();
    const int i = Zombie(0.5);
    Fire(0.1 + z.dy, 1.0, 0);
    Fly(5);
    int hidden = 0;
    for (const tguypart &p : guys[enemies[i].guy].parts) hidden += !p.visible && p.tag && std::strchr(z.tags, p.tag);
    EXPECT_NEAR(enemies[i].damage, z.factor, 1e-12) << z.dy;
    EXPECT_EQ(hidden, 1) << z.dy;
    EXPECT_EQ(Active(shotList), 0) << "without pierce a shot stops at the first zombie";
  }
}

TEST_F(Shots, PierceStrikesEachZombieOnce) {
  // A shot that may pass through two strikes three zombies in a row once each, not the first
  // one three times on its way in and out.
  const int a = Zombie(0.5), b = Zombie(1.0), c = Zombie(1.5), d = Zombie(2.0);
  Fire(0.1, 0.4, 2);
  Fly(12);
  for (int i : {a, b, c}) EXPECT_NEAR(enemies[i].damage, 0.2, 1e-12) << i;
  EXPECT_EQ(enemies[d].damage, 0);
  EXPECT_EQ(Active(shotList), 0);
}

TEST_F(Shots, DeathAtTheLimit) {
  const int i = Zombie(0.5);
  enemies[i].damage = 1.09;
  Fire(0.1, 1.0, 0);
  Fly(5);
  EXPECT_TRUE(enemies[i].active) << "1.59 lives";
  enemies[i].damage = 1.1;
  Fire(0.1, 1.0, 0);
  Fly(5);
  EXPECT_FALSE(enemies[i].active) << "1.6 dies";
  EXPECT_EQ(Game.kills, 1);
  EXPECT_DOUBLE_EQ(Game.spawnweight[7], -0.05);
  int blood = 0;
  for (const tparticle &p : particleList) blood += p.active && p.row == 1;
  EXPECT_EQ(blood, 30);
}

TEST_F(Shots, StoppedByTerrainOrFreedWhenLost) {
  Wall(1.05, 0, 1.2, 1);
  const int s = Fire(0.3, 1, 0);
  for (int f = 0; f < 20 && !shotList[s].spent; ++f) Fly(1);
  ASSERT_TRUE(shotList[s].active) << "drawn once more where it stopped";
  EXPECT_DOUBLE_EQ(shotList[s].body.pos.x, 1.05);
  Fly(1);
  EXPECT_FALSE(shotList[s].active);
  // Past the end of the world, or fallen far below every block: freed at once.
  const int out = SpawnShot({37.45, 5}, 0, 1, M_PI / 2, 20, 1), down = SpawnShot({36, -10.9}, 0, 1, M_PI, 20, 1);
  Fly(1);
  EXPECT_FALSE(shotList[out].active);
  EXPECT_FALSE(shotList[down].active);
}

TEST_F(Shots, ExplosionsHurtWhatTheySeeFallingOffWithDistance) {
  const int half = Zombie(0.3), edge = Zombie(0, 1, 0.7), beyond = Zombie(0.65), hidden = Zombie(-0.2);
  Wall(-0.12, 0, -0.1, 0.5);
  enemies[half].damage = enemies[edge].damage = -100;  // kept alive to read the damage
  Explode({0, 0.1}, false, 0.6, 1.0);
  EXPECT_NEAR(enemies[half].damage + 100, 2.0, 1e-12) << "at R/2 twice the power";
  EXPECT_NEAR(enemies[edge].damage + 100, 1.0, 1e-12) << "at R the power";
  EXPECT_EQ(enemies[beyond].damage, 0);
  EXPECT_EQ(enemies[hidden].damage, 0) << "behind a block, however close";
  EXPECT_EQ(Game.playerDamage, 0);
  EXPECT_TRUE(flashes[0].active && flashes[0].blast) << "its flash waits for the next drawing";
}

TEST_F(Shots, GrenadeBouncesAndGoesOffWhenItsFuseRunsOut) {
  CameraPos = {20, 0};  // far out of view: a grenade is never lost for that
  const int g = SpawnGrenade({0, 0.3}, {0.5, 0}, 0.6);
  const int z = Zombie(0.25);
  int frames = 0;
  bool bounced = false;
  for (; grenadeList[g].active && frames < 100; ++frames) {
    UpdateGrenades();
    bounced = bounced || grenadeList[g].body.vel.y > 0;
  }
  EXPECT_NEAR(frames * 0.015, 0.6, 0.016);
  EXPECT_TRUE(bounced);
  EXPECT_FALSE(enemies[z].active);
}
