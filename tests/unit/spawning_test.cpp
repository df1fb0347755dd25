#include "combat_world.h"
#include "game/rules.h"
#include "game/zombies.h"
#include "world/collision.h"

namespace {

class Spawning : public CombatWorld {
 protected:
  // Runs the day spawner until it sends a group; returns the frames it took.
  int UntilGroup() {
    const size_t before = enemies.size();
    int frames = 0;
    do {
      DaySpawner();
      ++frames;
    } while (frames < 5000 && enemies.size() == before);
    return frames;
  }
  static double MeanX(size_t from) {
    double sum = 0;
    for (size_t i = from; i < enemies.size(); ++i) sum += enemies[i].body.pos.x;
    return sum / (enemies.size() - from);
  }
};

}  // namespace

TEST_F(Spawning, DayGroupsTimersAndTheRightSide) {
  Player.body.pos = {10, 0.1};
  // Pressure only on the right: the group must come up on the right, not be lost.
  Game.spawnweight[7 + tileindex(8.5)] = 0;
  Game.spawnweight[7 + tileindex(11.5)] = 10;
  const int first = UntilGroup();
  EXPECT_NEAR(first * 0.015, 3.0, 0.016) << "the first group 3 s after dawn";
  ASSERT_EQ(enemies.size(), 6u) << "2 x day + 4";
  EXPECT_GT(MeanX(0), 11.0);
  EXPECT_LT(MeanX(0), 13.0);
  // (3 + 6 + overshoot) x 1.75 later the next.
  EXPECT_NEAR(Game.spawnTimer, (3 + 6) * 1.75, 0.05);

  // A right-hand point in the base tile falls back to the left.
  enemies.clear();
  Player.body.pos = {-3.9, 0.1};
  Game.spawnweight[7 + tileindex(-5.9)] = 0;
  Game.spawnweight[7] = 10;
  Game.spawnTimer = 0;
  DaySpawner();
  ASSERT_EQ(enemies.size(), 6u);
  EXPECT_LT(MeanX(0), -5.0);
}

TEST_F(Spawning, DayCapWorldEndsAndTheBaseTile) {
  // Both candidate points in the base tile: nothing.
  Player.body.pos = {0.5, 0.1};
  Game.spawnTimer = 0;
  DaySpawner();
  EXPECT_TRUE(enemies.empty());

  // Near the right end the choice is forced left.
  Player.body.pos = {35.5, 0.1};
  Game.spawnweight[7 + tileindex(34)] = 0;
  Game.spawnTimer = 0;
  DaySpawner();
  ASSERT_EQ(enemies.size(), 6u);
  EXPECT_LT(MeanX(0), 35.5);

  // 150 entries, active or not: no more by day.
  enemies.resize(150);
  Game.spawnTimer = 0;
  Player.body.pos = {10, 0.1};
  DaySpawner();
  EXPECT_EQ(enemies.size(), 150u);
}

TEST_F(Spawning, NightGroupsHaveNoCapAndEveryZombieCanBeStruck) {
  Game.timeOfDay = 0.7;
  Game.spawnTimer = 0;
  NightSpawner();
  ASSERT_EQ(enemies.size(), 8u) << "3 x day + 5 just outside the base";
  EXPECT_NEAR(std::fabs(MeanX(0)), 3.5, 0.4);
  EXPECT_NEAR(Game.spawnTimer, (1 + 1.875) * 1.25, 0.05);
  // Late in the night the groups come ever more slowly.
  Game.timeOfDay = 0.95;
  Game.spawnTimer = -0.001;
  NightSpawner();
  EXPECT_NEAR(Game.spawnTimer, (1 + 1.875) * 1.25 + (0.95 - 0.90625) * 256, 0.05);
  EXPECT_EQ(Game.fadeOut, 0);
  Game.timeOfDay = 0.997;
  NightSpawner();
  EXPECT_EQ(Game.fadeOut, 1);

  // Well past 256 zombies a shot still names the one it strikes.
  while (enemies.size() < 300) {
    Game.spawnTimer = 0;
    Game.timeOfDay = 0.7;
    NightSpawner();
  }
  for (size_t i = 0; i + 1 < enemies.size(); ++i) enemies[i].active = 0;
  const tvector z = enemies.back().body.pos;
  const thit h = segmentcharacters({z.x - 1, z.y + 0.01}, {z.x + 1, z.y});
  EXPECT_EQ(h.count, static_cast<int>(enemies.size() - 1));
}

TEST_F(Spawning, SkeletonsAreReusedSoMemoryStaysFlat) {
  // Waves spawned, killed and trimmed away as the game step does: the skeleton list stops
  // growing once it holds the largest wave.
  size_t afterFirst = 0;
  for (int wave = 0; wave < 20; ++wave) {
    for (int k = 0; k < 30; ++k) SpawnZombie(3.5);
    for (tenemy &e : enemies) e.active = 0;
    while (!enemies.empty() && !enemies.back().active) enemies.pop_back();
    if (wave == 0) afterFirst = guys.size();
  }
  EXPECT_EQ(guys.size(), afterFirst);
  EXPECT_EQ(guys.size(), 31u);
}
