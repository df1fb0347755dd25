#include "combat_world.h"
#include "game/combat.h"
#include "game/rules.h"
#include "game/zombies.h"

namespace {

class Zombies : public CombatWorld {
 protected:
  void Frames(int n) {
    for (int f = 0; f < n; ++f) {
      Game.thinkSlot = (Game.thinkSlot + 1) % 4;
      PoseZombies();
      UpdateZombies();
    }
  }
};

}  // namespace

TEST_F(Zombies, NewZombiesStartAtARandomWalkFrame) {
  // Each spawn draws its key frame from the generator: two in a row under a fixed seed land
  // where the generator says, and their skeletons take the walk's pose, not zeros.
  const uint32_t seed = randomState;
  const int a = SpawnZombie(1.0), b = SpawnZombie(1.2);
  randomState = seed;
  const int frameA = randomint(3);
  for (int k = 0; k < 5 * (2 * 2 + 4 * 4); ++k) randomreal();  // the climbing-out bursts
  const int frameB = randomint(3);
  for (int i : {a, b}) {
    EXPECT_EQ(enemies[i].anim.anim, 0) << "walking";
    EXPECT_EQ(enemies[i].anim.target.values[4], animations[0].frames[enemies[i].anim.frame].values[4]);
  }
  EXPECT_EQ(enemies[a].anim.frame, frameA);
  EXPECT_EQ(enemies[b].anim.frame, frameB);
  enemies[a].anim.time = 0.001;
  AnimateZombie(enemies[a]);
  EXPECT_NEAR(guys[enemies[a].guy].parts[1].angle, animations[0].frames[frameA].values[1], 1e-6)
      << "a blend of zero lands on the key frame at once";
}

TEST_F(Zombies, WalkingPushFacingAndDaytimeLeash) {
  const int i = Zombie(1.0);
  tenemy &e = enemies[i];
  e.target = {0.5, 0.1};
  ZombieWalkForce(e);
  EXPECT_NEAR(e.body.accel.x, -200.0 / 3, 1e-12);
  EXPECT_EQ(e.anim.facing, 1);
  e.target.x = 1.0;
  ZombieWalkForce(e);
  EXPECT_EQ(e.body.accel.x, 0) << "at its target x no push";

  // By day a zombie more than 3.5 from the player in x wanders off, uncounted.
  const int near = Zombie(3.49), far = Zombie(-3.51);
  EXPECT_TRUE(MoveZombie(enemies[near]));
  EXPECT_FALSE(MoveZombie(enemies[far]));
  EXPECT_EQ(Game.despawnCount, 1);
  EXPECT_EQ(Game.kills, 0);
  // Five of them on day 1 bring the next group at once.
  Game.spawnTimer = 9;
  for (int k = 0; k < 4; ++k) MoveZombie(enemies[Zombie(-3.6)]);
  EXPECT_EQ(Game.despawnCount, 0);
  EXPECT_EQ(Game.spawnTimer, 0);
  // Nor by night, nor during the rescue.
  Game.timeOfDay = 0.7;
  EXPECT_TRUE(MoveZombie(enemies[Zombie(-3.6)]));
}

TEST_F(Zombies, StrikesWhatStandsInFront) {
  // The player exactly at the zombie's x: struck only by one facing -x.
  const int right = Zombie(0.0, 0), left = Zombie(0.0, 1);
  ZombieContact(enemies[right]);
  EXPECT_EQ(enemies[right].mode, 1);
  Player.body.vel = {3, 2};
  ZombieContact(enemies[left]);
  EXPECT_EQ(enemies[left].mode, 4);
  EXPECT_DOUBLE_EQ(enemies[left].timer, 1);
  EXPECT_DOUBLE_EQ(Game.playerDamage, 0.5);
  EXPECT_DOUBLE_EQ(Game.hurtFlash, 0.25);
  EXPECT_EQ(Player.body.vel.x, 0);
  EXPECT_EQ(Player.body.vel.y, 2) << "only the sideways speed is lost";

  // The base, not during the rescue; then a defender.
  Player.body.pos = {5, 0.1};
  const int atBase = Zombie(0.05, 1, 0.05);
  ZombieContact(enemies[atBase]);
  EXPECT_DOUBLE_EQ(Game.supplies, 3.25);
  tdefender guard{};
  guard.active = 1;
  guard.pos = {1.0, 0.05};
  defenderList.push_back(guard);
  const int atDefender = Zombie(0.95, 0, 0.05);
  ZombieContact(enemies[atDefender]);
  EXPECT_DOUBLE_EQ(defenderList[0].damage, 1.0);
  Ending.rescueActive = 1;
  const int later = Zombie(0.05, 1, 0.05);
  ZombieContact(enemies[later]);
  EXPECT_EQ(enemies[later].mode, 1);
}

TEST_F(Zombies, EachThinksOnItsQuarterOfTheFrames) {
  // Four walkers whose walk has timed out: on each frame only the one whose index matches the
  // think slot stops to idle.
  for (int k = 0; k < 4; ++k) {
    const int i = Zombie(-1.5 + k);
    enemies[i].timer = -1;
    enemies[i].target = {5, 0.1};
  }
  Game.timeOfDay = 0.7;  // by night they look for the base, which none of them sees from the ground
  basePos = {0, -50};
  Game.thinkSlot = 1;
  UpdateZombies();
  for (int k = 0; k < 4; ++k) EXPECT_EQ(enemies[k].mode, k == 1 ? 0 : 1) << k;
  Game.thinkSlot = 2;
  UpdateZombies();
  EXPECT_EQ(enemies[2].mode, 0);
  EXPECT_EQ(enemies[3].mode, 1);
}

TEST_F(Zombies, SightingByDayHuntsThePlayer) {
  const int i = Zombie(1.5);
  enemies[i].mode = 0;
  enemies[i].timer = 5;
  Player.anim.facing = 0;
  for (int f = 0; f < 40 && enemies[i].mode == 0; ++f) ZombieThink(i);
  EXPECT_EQ(enemies[i].mode, 1);
  EXPECT_NEAR(enemies[i].target.x, 0.1, 1e-12) << "the player's x, nudged by his facing";

  // A wall between them hides the player.
  const int hidden = Zombie(-1.5);
  enemies[hidden].mode = 0;
  enemies[hidden].timer = 5;
  Wall(-1.0, 0, -0.8, 1.0);
  for (int f = 0; f < 40; ++f) ZombieThink(hidden);
  EXPECT_EQ(enemies[hidden].mode, 0);
}

TEST_F(Zombies, CrowdedZombiesArePushedApart) {
  const int first = Zombie(1.0), second = Zombie(1.05);
  enemies[first].timer = enemies[second].timer = 1;
  ZombieThink(second);
  EXPECT_NEAR(enemies[second].body.accel.x, 1 / 0.015, 1e-9) << "pushed away from the lower index";
  ZombieThink(first);
  EXPECT_EQ(enemies[first].body.accel.x, 0) << "its own slot comes first and pushes nothing";
}

TEST_F(Zombies, HopsOntoAStepAndLands) {
  // A step up 0.3 high just ahead: walking at it, the zombie stops to look for a hop, leaps
  // and ends up on top.
  Wall(1.3, 0, 2.5, 0.3);
  const int i = Zombie(1.0, 0);
  enemies[i].target = {2.0, 0.4};
  enemies[i].timer = 30;
  Player.body.pos = {2.0, 0.4};
  CameraPos = Player.body.pos;
  bool leapt = false;
  for (int f = 0; f < 400 && enemies[i].body.pos.x < 1.4; ++f) {
    Frames(1);
    leapt = leapt || enemies[i].mode == 2;
    enemies[i].timer = std::max(enemies[i].timer, 0.5);  // keep it walking at the step
  }
  EXPECT_TRUE(leapt);
  EXPECT_GT(enemies[i].body.pos.x, 1.3);
  EXPECT_GT(enemies[i].body.pos.y, 0.3);
}
