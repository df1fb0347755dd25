#include "combat_world.h"
#include "game/rules.h"
#include "game/zombies.h"

namespace {
class Zombies : public CombatWorld {};
}  // namespace

TEST_F(Zombies, NewZombiesStartAtARandomWalkFrame) {
  // Two spawned in a row under a fixed seed take their key frames from the generator, and
  // their skeletons the walk's pose, not zeros.
  const uint32_t seed = randomState;
  const int a = SpawnZombie(1.0), b = SpawnZombie(1.2);
  randomState = seed;
  const int frameA = randomint(3);
  for (int k = 0; k < 5 * (2 * 2 + 4 * 4); ++k) randomreal();  // the climbing-out bursts
  const int frameB = randomint(3);
  EXPECT_EQ(enemies[a].anim.frame, frameA);
  EXPECT_EQ(enemies[b].anim.frame, frameB);
  EXPECT_EQ(enemies[b].anim.anim, 0);
  enemies[a].anim.time = 0.001;
  AnimateZombie(enemies[a]);
  EXPECT_NEAR(guys[enemies[a].guy].parts[1].angle, animations[0].frames[frameA].values[1], 1e-9);
}

TEST_F(Zombies, EachThinksOnItsQuarterOfTheFrames) {
  // Walkers whose walk has timed out: on each frame only the one whose index matches the
  // think slot stops to idle.
  for (int k = 0; k < 4; ++k) {
    const int i = Zombie(-1.5 + k);
    enemies[i].timer = -1;
    enemies[i].target = {5, 0.1};
  }
  Game.timeOfDay = 0.7;
  basePos = {0, -50};  // by night they look for a base none of them can see
  Game.thinkSlot = 1;
  UpdateZombies();
  for (int k = 0; k < 4; ++k) EXPECT_EQ(enemies[k].mode, k == 1 ? 0 : 1) << k;
  Game.thinkSlot = 2;
  UpdateZombies();
  EXPECT_EQ(enemies[2].mode, 0);
  EXPECT_EQ(enemies[3].mode, 1);
}

TEST_F(Zombies, StrikesWhatStandsInFront) {
  // The player exactly at a zombie's x: struck only by one facing -x.
  const int right = Zombie(0.0, 0), left = Zombie(0.0, 1);
  ZombieContact(enemies[right]);
  EXPECT_EQ(enemies[right].mode, 1);
  Player.body.vel = {3, 2};
  ZombieContact(enemies[left]);
  EXPECT_EQ(enemies[left].mode, 4);
  EXPECT_DOUBLE_EQ(Game.playerDamage, 0.5);
  EXPECT_EQ(Player.body.vel.x, 0);
  EXPECT_EQ(Player.body.vel.y, 2);
  // The base (not during the rescue), then a defender.
  Player.body.pos = {5, 0.1};
  ZombieContact(enemies[Zombie(0.05, 1, 0.05)]);
  EXPECT_DOUBLE_EQ(Game.supplies, 3.25);
  defenderList.push_back(tdefender{});
  defenderList[0].active = 1;
  defenderList[0].pos = {1.0, 0.05};
  ZombieContact(enemies[Zombie(0.95, 0, 0.05)]);
  EXPECT_DOUBLE_EQ(defenderList[0].damage, 1.0);
  Ending.rescueActive = 1;
  const int later = Zombie(0.05, 1, 0.05);
  ZombieContact(enemies[later]);
  EXPECT_EQ(enemies[later].mode, 1);
}

TEST_F(Zombies, WanderOffByDayOnly) {
  EXPECT_TRUE(MoveZombie(enemies[Zombie(3.49)]));
  EXPECT_FALSE(MoveZombie(enemies[Zombie(-3.51)])) << "gone, without a kill";
  EXPECT_EQ(Game.kills, 0);
  Game.spawnTimer = 9;
  for (int k = 0; k < 4; ++k) MoveZombie(enemies[Zombie(-3.6)]);
  EXPECT_EQ(Game.spawnTimer, 0) << "five gone on day 1 bring the next group at once";
  Game.timeOfDay = 0.7;
  EXPECT_TRUE(MoveZombie(enemies[Zombie(-3.6)]));
}

TEST_F(Zombies, HopOntoAStep) {
  // A step 0.3 high just ahead: walking at it, the zombie looks for a hop, leaps and lands on top.
  Wall(1.3, 0, 2.5, 0.3);
  const int i = Zombie(1.0, 0);
  enemies[i].target = {2.0, 0.4};
  Player.body.pos = CameraPos = {2.0, 0.4};
  bool leapt = false;
  for (int f = 0; f < 400 && enemies[i].body.pos.x < 1.4; ++f) {
    Game.thinkSlot = (Game.thinkSlot + 1) % 4;
    PoseZombies();
    UpdateZombies();
    leapt = leapt || enemies[i].mode == 2;
    enemies[i].timer = std::max(enemies[i].timer, 0.5);  // keep it walking at the step
  }
  EXPECT_TRUE(leapt);
  EXPECT_GT(enemies[i].body.pos.y, 0.3);
}
