#include "combat_world.h"
#include "game/base_objects.h"
#include "game/rules.h"

namespace {
class BaseObjects : public CombatWorld {};
}  // namespace

TEST_F(BaseObjects, PickupsTakeTheUseKeyGrenadesDoNot) {
  for (uint8_t item : {W_SHOTGUN, W_COUNT, W_SHOTGUN, W_SHOTGUN}) {
    tpickup k{};
    k.active = 1;
    k.body.pos = Player.body.pos;  // squarely on the player: touching all the same
    k.item = item;
    pickupList.push_back(k);
  }
  Player.grenades = 4;
  CollectPickups();
  EXPECT_TRUE(pickupList[0].active) << "no use key, no weapon";
  EXPECT_EQ(Player.grenades, 9) << "4 + 3 is above 6: a full belt of 9";
  const tweaponslot &s = Player.weaponSlots[0];
  for (int k = 0; k < 3; ++k) {
    TakeFrameInput({0.015, ACTION_USE, ACTION_USE, {1, 0}});
    CollectPickups();
    EXPECT_FALSE(ActionOn(ACTION_USE)) << "a held key takes one pickup";
    if (k == 0) {
      EXPECT_EQ(s.reserve, 10) << "1.5 x 7 = 10.5, truncated";
      EXPECT_EQ(s.clip, 6);
      Player.weaponSlots[0].clip = 2;
    }
  }
  EXPECT_EQ(s.reserve, 30) << "the same weapon again adds, up to 1.5 x 20";
  EXPECT_EQ(s.clip, 2);
}

TEST_F(BaseObjects, OneCrateAtATimeAndDeliveriesBringDefenders) {
  crateList = {tcrate{1, {0.05, 0}}, tcrate{1, {0.0, 0}}};
  basePos = {-10, 0};
  CarryCrates();
  EXPECT_EQ(Game.carryingCrate, 1);
  EXPECT_EQ(Active(crateList), 1) << "the second crate stays where it lies";
  basePos = {0, 0};
  CarryCrates();
  EXPECT_EQ(Game.carryingCrate, 0);
  EXPECT_DOUBLE_EQ(Game.supplies, 4.5);
  EXPECT_EQ(Game.survivors, 1);
  ASSERT_EQ(defenderList.size(), 1u);
  EXPECT_LE(defenderList[0].pos.x, 0) << "the first on the left";
  EXPECT_DOUBLE_EQ(defenderList[0].pos.y, 0) << "standing on the ground";
  CarryCrates();  // the second crate, squarely under the player
  CarryCrates();
  ASSERT_EQ(defenderList.size(), 2u);
  EXPECT_GE(defenderList[1].pos.x, 0) << "the next on the right";
}

TEST_F(BaseObjects, DefendersShootZombiesInSightAndFallToTheSixthBlow) {
  Game.survivors = Game.rightDefenders = 1;
  tdefender d{};
  d.active = 1;
  d.pos = {1.0, 0};
  d.aim = M_PI / 2;
  d.weapon = W_AUTO;
  defenderList.push_back(d);
  const tweapon &w = weapons[W_AUTO];
  const tvector gun{1.0, 0.175};
  Wall(2.0, 0, 2.1, 1.0);
  Zombie(2.5);
  EXPECT_EQ(FindTarget(gun, w), NO_TARGET) << "behind a wall";
  const int open = Zombie(1.0 - std::sqrt(3.5 * 3.5 + 1.5) - 0.01);
  EXPECT_EQ(FindTarget(gun, w), NO_TARGET) << "beyond range";
  enemies[open].body.pos.x = -0.5;
  EXPECT_NEAR(FindTarget(gun, w), bearing(-1.5, -0.075), 1e-12);

  int shots = 0;
  for (int f = 0; f < 200; ++f) {
    const int before = Active(shotList);
    UpdateBaseObjects();
    shots += Active(shotList) > before;
    shotList.clear();
  }
  EXPECT_GT(shots, 5) << "he turns to the zombie and fires bursts at it";
  EXPECT_LT(std::sin(defenderList[0].aim), 0);
  enemies[open].active = 0;
  defenderList[0].cooldown = 0.2;
  UpdateBaseObjects();
  EXPECT_DOUBLE_EQ(defenderList[0].cooldown, 0.2) << "frozen with nobody in sight";

  defenderList[0].damage = 5.0;
  UpdateBaseObjects();
  EXPECT_TRUE(defenderList[0].active);
  defenderList[0].damage = 6.0;
  UpdateBaseObjects();
  EXPECT_FALSE(defenderList[0].active);
  EXPECT_EQ(Game.survivors, 0);
  EXPECT_EQ(Game.rightDefenders, 0);
}
