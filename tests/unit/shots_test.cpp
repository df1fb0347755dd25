#include "combat_world.h"
#include "game/combat.h"
#include "game/rules.h"

namespace {

class Shots : public CombatWorld {
 protected:
  // A shot flying right along y with no gravity and a slight fall, so it crosses boxes
  // the way a real shot does (never exactly level).
  int Fire(double y, double damage, int32_t pierce, double x = -0.5) {
    const int i = SpawnShot({x, y}, pierce, 1, M_PI / 2 + 1e-4, 20, damage);
    shotList[i].body.accel = {0, 0};
    return i;
  }
  void Fly(int frames) {
    for (int f = 0; f < frames; ++f) UpdateShots();
  }
  // Visible parts of a zone: 'h' the head, 'a' the arms, 'l' the feet.
  static int VisibleInZone(const tenemy &e, char zone) {
    int n = 0;
    for (const tguypart &p : guys[e.guy].parts) {
      const bool in = zone == 'h' ? p.tag == 'h' : zone == 'a' ? (p.tag == '1' || p.tag == '2') : p.tag == 'f';
      n += p.visible && in;
    }
    return n;
  }
};

}  // namespace

TEST_F(Shots, HitZonesKnockOffPartsAndScaleDamage) {
  const struct {
    double dy, factor;
    char zone;
  } zones[] = {{0.08, 0.75, 'h'}, {0.049, 0.5, 'a'}, {-0.049, 0.5, 'a'}, {-0.08, 0.25, 'l'}};
  for (const auto &z : zones) {
    enemies.clear();
    shotList.clear();
    const int i = Zombie(0.5);
    const int before = VisibleInZone(enemies[i], z.zone);
    Fire(0.1 + z.dy, 1.0, 0);
    Fly(5);
    EXPECT_NEAR(enemies[i].damage, z.factor, 1e-12) << z.dy;
    EXPECT_EQ(VisibleInZone(enemies[i], z.zone), before - 1) << z.dy;
    EXPECT_EQ(enemies[i].body.vel.x, 0);
    EXPECT_EQ(ActiveShots(), 0) << "a shot without pierce stops at the first zombie";
  }
}

TEST_F(Shots, PierceCountsEachZombieOnce) {
  // Three zombies in a row; a shot that may pass through two strikes each of them once.
  const int a = Zombie(0.5), b = Zombie(1.0), c = Zombie(1.5), d = Zombie(2.0);
  const int s = Fire(0.1, 0.4, 2);
  Fly(12);
  EXPECT_NEAR(enemies[a].damage, 0.2, 1e-12);
  EXPECT_NEAR(enemies[b].damage, 0.2, 1e-12);
  EXPECT_NEAR(enemies[c].damage, 0.2, 1e-12);
  EXPECT_EQ(enemies[d].damage, 0) << "spent at the third";
  EXPECT_FALSE(shotList[s].active);
}

TEST_F(Shots, KillsAtTheLimitAndCountsIt) {
  const int i = Zombie(0.5);
  enemies[i].damage = 1.59 - 0.5;
  Fire(0.1, 1.0, 0);
  Fly(5);
  EXPECT_TRUE(enemies[i].active) << "1.59 lives";
  enemies[i].damage = 1.1;
  const double weight = Game.spawnweight[7];
  Fire(0.1, 1.0, 0);
  Fly(5);
  EXPECT_FALSE(enemies[i].active) << "exactly 1.6 dies";
  EXPECT_EQ(Game.kills, 1);
  EXPECT_DOUBLE_EQ(Game.spawnweight[7], weight - 0.05);
  int blood = 0;
  for (const tparticle &p : particleList) blood += p.active && p.row == 1;
  EXPECT_EQ(blood, 30);
}

TEST_F(Shots, TerrainStopsAShotAndLostShotsAreFreed) {
  Wall(1.05, 0, 1.2, 1);
  const int s = Fire(0.3, 1, 0);
  for (int f = 0; f < 20 && !shotList[s].spent; ++f) Fly(1);
  ASSERT_TRUE(shotList[s].active) << "a spent shot is drawn once more where it stopped";
  EXPECT_TRUE(shotList[s].spent);
  EXPECT_DOUBLE_EQ(shotList[s].body.pos.x, 1.05);
  EXPECT_GT(ActiveCount(particleList), 0) << "smoke and chips off the wall";
  Fly(1);
  EXPECT_FALSE(shotList[s].active);

  // Past the end of the world, or fallen far below every block: gone at once.
  const int out = SpawnShot({37.45, 5}, 0, 1, M_PI / 2, 20, 1);
  const int down = SpawnShot({36, -10.9}, 0, 1, M_PI, 20, 1);
  Fly(1);
  EXPECT_FALSE(shotList[out].active);
  EXPECT_FALSE(shotList[down].active);
}

TEST_F(Shots, AlertSendsIdleAndWalkingZombiesOnly) {
  const int idle = Zombie(1), leaping = Zombie(1.5), far = Zombie(4);
  enemies[idle].mode = 0;
  enemies[leaping].mode = 2;
  AlertZombies({0, 0.15}, 3);
  EXPECT_EQ(enemies[idle].mode, 1);
  EXPECT_DOUBLE_EQ(enemies[idle].target.x, 0);
  EXPECT_EQ(enemies[leaping].mode, 2);
  EXPECT_DOUBLE_EQ(enemies[far].target.x, 4);
}
