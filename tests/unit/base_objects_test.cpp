#include "combat_world.h"
#include "game/base_objects.h"
#include "game/rules.h"

namespace {

class BaseObjects : public CombatWorld {
 protected:
  static void Pickup(tvector p, uint8_t item) {
    tpickup k{};
    k.active = 1;
    k.body.pos = p;
    k.body.accel = {0, -6};
    k.item = item;
    pickupList.push_back(k);
  }
  static void Crate(tvector p) { crateList.push_back(tcrate{1, p}); }
};

}  // namespace

TEST_F(BaseObjects, PickupsNeedTheUseKeyGrenadesDoNot) {
  Pickup({0.05, 0.1}, W_SHOTGUN);
  Pickup({-0.05, 0.1}, W_COUNT);  // three grenades
  Pickup({0.0, 0.12}, W_COUNT);
  Player.grenades = 4;
  CollectPickups();
  EXPECT_TRUE(pickupList[0].active) << "no use key, no weapon";
  EXPECT_EQ(Player.grenades, 9) << "4 + 3 is more than 6: a full belt of 9";

  keyDown[Options.keyUse] = 1;
  CollectPickups();
  EXPECT_FALSE(pickupList[0].active);
  EXPECT_EQ(keyDown[Options.keyUse], 0) << "a held key takes one pickup";
  const tweaponslot &s = Player.weaponSlots[0];
  EXPECT_EQ(s.weapon, W_SHOTGUN);
  EXPECT_EQ(s.reserve, 10) << "1.5 x 7 = 10.5, truncated";
  EXPECT_EQ(s.clip, 6);

  // The same weapon again adds to the reserve (capped at 1.5 x 20) and keeps the clip.
  Player.weaponSlots[0].clip = 2;
  Pickup({0, 0.1}, W_SHOTGUN);
  Pickup({0, 0.1}, W_SHOTGUN);
  for (int k = 0; k < 2; ++k) {
    keyDown[Options.keyUse] = 1;
    CollectPickups();
  }
  EXPECT_EQ(s.reserve, 30);
  EXPECT_EQ(s.clip, 2);

  // Pickups in view fall and settle on the ground; out of view they wait.
  Pickup({1.0, 0.5}, W_AUTO);
  Pickup({9.0, 0.5}, W_AUTO);
  for (int f = 0; f < 120; ++f) StepPickups();
  EXPECT_NEAR(pickupList[pickupList.size() - 2].body.pos.y, 0.075, 0.01);
  EXPECT_DOUBLE_EQ(pickupList.back().body.pos.y, 0.5);
}

TEST_F(BaseObjects, OneCrateAtATimeAndDeliveriesBringDefenders) {
  Crate({0.05, 0.0});
  Crate({-0.05, 0.0});
  Player.body.pos = {0.0, 0.1};
  basePos = {-10, 0};  // out of reach for now
  CarryCrates();
  EXPECT_EQ(Game.carryingCrate, 1);
  EXPECT_EQ(crateList[0].active + crateList[1].active, 1) << "the second crate is not taken and lost";

  // Deliveries: +1.0 supplies and a defender, first on the left, then on the right.
  basePos = {0, 0};
  CarryCrates();
  EXPECT_EQ(Game.carryingCrate, 0);
  EXPECT_DOUBLE_EQ(Game.supplies, 4.5);
  EXPECT_EQ(Game.survivors, 1);
  ASSERT_EQ(defenderList.size(), 1u);
  EXPECT_LE(defenderList[0].pos.x, 0);
  EXPECT_DOUBLE_EQ(defenderList[0].pos.y, 0) << "standing on the ground";
  EXPECT_DOUBLE_EQ(defenderList[0].aim, -M_PI / 2);
  CarryCrates();  // picks up the second crate where it lies
  CarryCrates();
  ASSERT_EQ(defenderList.size(), 2u);
  EXPECT_GE(defenderList[1].pos.x, 0);
  EXPECT_EQ(Game.leftDefenders, 1);
  EXPECT_EQ(Game.rightDefenders, 1);
}

TEST_F(BaseObjects, DefendersShootZombiesInSightAndFallToTheSixthBlow) {
  Game.survivors = 1;
  Game.rightDefenders = 1;
  tdefender d{};
  d.active = 1;
  d.pos = {1.0, 0};
  d.aim = M_PI / 2;
  d.weapon = W_AUTO;
  d.burst = 0.1;
  defenderList.push_back(d);
  const tweapon &w = weapons[W_AUTO];

  EXPECT_EQ(FindTarget({1.0, 0.175}, w), NO_TARGET) << "nobody about";
  // A zombie behind a wall is not seen; one in the open is.
  Wall(2.0, 0, 2.1, 1.0);
  const int hidden = Zombie(2.5);
  EXPECT_EQ(FindTarget({1.0, 0.175}, w), NO_TARGET);
  const int open = Zombie(0.0);
  EXPECT_NEAR(FindTarget({1.0, 0.175}, w), bearing(-1.0, -0.075), 1e-12);
  // Out of range (3.5^2 + 1.5 squared) is out of mind.
  enemies[open].body.pos.x = 1.0 - std::sqrt(3.5 * 3.5 + 1.5) - 0.01;
  EXPECT_EQ(FindTarget({1.0, 0.175}, w), NO_TARGET);
  enemies[open].body.pos.x = -0.5;
  (void)hidden;

  int shots = 0;
  for (int f = 0; f < 200; ++f) {
    const int before = ActiveShots();
    UpdateBaseObjects();
    shots += ActiveShots() > before;
    for (tshot &t : shotList) t.active = 0;
  }
  EXPECT_GT(shots, 5) << "he turns to the zombie and fires bursts at it";
  EXPECT_LT(std::sin(defenderList[0].aim), 0) << "aiming left now";

  // With nobody in sight his cooldown stays where it is.
  enemies[open].active = 0;
  defenderList[0].cooldown = 0.2;
  UpdateBaseObjects();
  EXPECT_DOUBLE_EQ(defenderList[0].cooldown, 0.2);

  defenderList[0].damage = 5.0;
  UpdateBaseObjects();
  EXPECT_TRUE(defenderList[0].active) << "5.0 he survives";
  defenderList[0].damage = 6.0;
  UpdateBaseObjects();
  EXPECT_FALSE(defenderList[0].active);
  EXPECT_EQ(Game.survivors, 0);
  EXPECT_EQ(Game.rightDefenders, 0);
}
