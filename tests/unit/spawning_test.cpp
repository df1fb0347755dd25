#include "combat_world.h"
#include "game/rules.h"
#include "game/zombies.h"
#include "world/collision.h"

namespace {

class Spawning : public CombatWorld {
 protected:
  static double MeanX() {
    double sum = 0;
    for (const tenemy &e : enemies) sum += e.body.pos.x;
    return sum / enemies.size();
  }
};

}  // namespace

TEST_F(Spawning, DayGroupsComeFromTheWeightedSide) {
  // All the pressure on the right: the group comes up on the right, rather than nowhere.
  Player.body.pos = {10, 0.1};
  Game.spawnweight[7 + tileindex(8.5)] = 0;
  Game.spawnweight[7 + tileindex(11.5)] = 10;
  int frames = 0;
  for (; enemies.empty() && frames < 500; ++frames) DaySpawner();
  EXPECT_NEAR(frames * 0.015, 3.0, 0.016) << "the first group 3 s after dawn";
  ASSERT_EQ(enemies.size(), 6u) << "2 x day + 4";
  EXPECT_NEAR(MeanX(), 12.0, 1.0);
  EXPECT_NEAR(Game.spawnTimer, (3 + 6) * 1.75, 0.05);

  // A right-hand point in the base tile falls back to the left; both there, nothing.
  enemies.clear();
  Player.body.pos = {-3.9, 0.1};
  Game.spawnweight[7 + tileindex(-5.9)] = 0;
  Game.spawnweight[7] = 10;
  Game.spawnTimer = 0;
  DaySpawner();
  ASSERT_EQ(enemies.size(), 6u);
  EXPECT_LT(MeanX(), -5.0);
  enemies.clear();
  Player.body.pos = {0, 0.1};
  Game.spawnTimer = 0;
  DaySpawner();
  EXPECT_TRUE(enemies.empty());
}

TEST_F(Spawning, DayCapAndWorldEnds) {
  Player.body.pos = {35.5, 0.1};
  Game.spawnweight[7 + tileindex(34)] = 0;
  Game.spawnTimer = 0;
  DaySpawner();
  EXPECT_LT(MeanX(), 35.5) << "near the right end the choice is forced left";
  enemies.resize(150);  // active or not
  Game.spawnTimer = 0;
  DaySpawner();
  EXPECT_EQ(enemies.size(), 150u);
}

TEST_F(Spawning, NightGroupsHaveNoCapAndEveryZombieCanBeStruck) {
  Game.timeOfDay = 0.7;
  Game.spawnTimer = 0;
  NightSpawner();
  ASSERT_EQ(enemies.size(), 8u) << "3 x day + 5, just outside the base";
  EXPECT_NEAR(std::fabs(MeanX()), 3.5, 0.4);
  EXPECT_NEAR(Game.spawnTimer, (1 + 1.875) * 1.25, 0.05);
  Game.timeOfDay = 0.95;
  Game.spawnTimer = -0.001;
  NightSpawner();
  EXPECT_NEAR(Game.spawnTimer, (1 + 1.875) * 1.25 + (0.95 - 0.90625) * 256, 0.05) << "ever slower late at night";
  EXPECT_EQ(Game.fadeOut, 0);
  Game.timeOfDay = 0.997;
  NightSpawner();
  EXPECT_EQ(Game.fadeOut, 1);
  // Well past 256 zombies a shot still names the one it strikes.
  while (enemies.size() < 300) {
    Game.spawnTimer = 0;
    NightSpawner();
  }
  for (size_t i = 0; i + 1 < enemies.size(); ++i) enemies[i].active = 0;
  const tvector z = enemies.back().body.pos;
  EXPECT_EQ(segmentcharacters({z.x - 1, z.y + 0.01}, {z.x + 1, z.y}).count, static_cast<int>(enemies.size() - 1));
}

TEST_F(Spawning, SkeletonsAreReusedSoMemoryStaysFlat) {
  // Waves spawned, killed and trimmed away: the skeleton list holds the largest wave and the
  // player's, however many waves come.
  for (int wave = 0; wave < 20; ++wave) {
    for (int k = 0; k < 30; ++k) SpawnZombie(3.5);
    for (tenemy &e : enemies) e.active = 0;
    while (!enemies.empty() && !enemies.back().active) enemies.pop_back();
  }
  EXPECT_EQ(guys.size(), 31u);
}
