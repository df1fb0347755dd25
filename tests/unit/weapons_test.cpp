#include "combat_world.h"
#include "game/rules.h"

namespace {

class Weapons : public CombatWorld {
 protected:
  // One frame of the weapon step, aiming straight right; returns the shots it fired.
  int Step(bool trigger, bool switchKey = false) {
    Player.aimOffset = {1, 0};
    Player.aimPoint = Player.body.pos + Player.aimOffset;
    Player.aimBearing = M_PI / 2;
    const int before = Active(shotList);
    PlayerWeaponStep(trigger, switchKey, {0, 0.15});
    return Active(shotList) - before;
  }
  tweaponslot &Slot() { return Player.weaponSlots[Player.activeSlot]; }
};

}  // namespace

TEST_F(Weapons, ClipSemiAutoAndTheReload) {
  Step(false);
  EXPECT_EQ(Slot().clip, 12) << "the first frame loads the first clip";
  // Semi-automatic: a held trigger fires once; released for a frame, it fires again.
  int fired = Step(true);
  for (int f = 0; f < 20; ++f) fired += Step(true);
  EXPECT_EQ(fired, 1);
  Step(false);
  EXPECT_EQ(Step(true), 1);
  EXPECT_EQ(Slot().reserve, -2) << "the first weapon never runs dry: its reserve goes below 0";

  // Emptying the clip starts a 750 ms reload at once: one placeholder round for 425 ms, none
  // for the last 325 ms, then a full clip, and no shot meanwhile.
  for (int k = 0; k < 10; ++k)
    for (int f = 0; f < 12; ++f) Step(f > 0);
  ASSERT_EQ(Slot().clip, 1);
  ASSERT_DOUBLE_EQ(Player.reloadTimer, 750);
  int frames = 0, placeholder = 0;
  for (; Slot().clip != 12 && frames < 100; ++frames) {
    fired = Step(true);
    placeholder += Slot().clip == 1;
    ASSERT_EQ(fired, 0);
  }
  EXPECT_EQ(frames, 50) << "750 ms at 15 ms a frame";
  EXPECT_EQ(placeholder, 28);
  Step(false);
  EXPECT_EQ(Step(true), 1);
}

TEST_F(Weapons, RatePelletsKickRunningDryAndSwitching) {
  Player.weaponSlots[0] = {W_AUTO, 100, 30};
  Step(false);
  int fired = 0;
  for (int f = 0; f < 100; ++f) fired += Step(true);
  EXPECT_EQ(fired, 6) << "rate 4: a shot per 250 ms at most over 1.5 s";

  Player.weaponSlots[0] = {W_SHOTGUN, 1, 6};
  Player.fireCooldown = 0;
  Player.armReach = 1;
  Player.aimSmoothed = M_PI / 2;
  Step(false);
  EXPECT_EQ(Step(true), 8) << "eight pellets";
  EXPECT_DOUBLE_EQ(Player.armReach, 1 - (0.2 + 0.1 * 0.5 * 8));
  EXPECT_DOUBLE_EQ(Player.aimSmoothed, M_PI / 2 - 0.05) << "aiming right, the kick lifts the arms";
  EXPECT_EQ(Slot().weapon, W_PISTOL) << "for one round, the last: back to the first weapon";
  EXPECT_EQ(Slot().clip, 5) << "the clip is left as it was";

  Player.weaponSlots[1] = {W_MACHINEGUN, 4, 2};
  TakeFrameInput({0.015, ACTION_CHANGE, ACTION_CHANGE, {1, 0}});
  Step(false, true);
  EXPECT_EQ(Player.activeSlot, 1);
  EXPECT_FALSE(ActionOn(ACTION_CHANGE)) << "a held key switches once";
  EXPECT_EQ(Player.currentWeapon.pierce, 2);
  Ending.playerControl = 0;
  EXPECT_EQ(Step(true), 0) << "no firing without control";
}

TEST_F(Weapons, GrenadeTappedAndHeld) {
  Player.grenades = 2;
  Player.grenadeCharge = 0.1;  // a tap throws at full strength with nearly the whole fuse
  Step(false);
  ASSERT_EQ(Active(grenadeList), 1);
  EXPECT_NEAR(grenadeList[0].body.vel.x, 6, 1e-9);
  EXPECT_NEAR(grenadeList[0].lifetime, 1.9, 1e-9);
  EXPECT_EQ(Player.grenadeCharge, 0);
  // Held for two seconds it goes off at the shoulder, 0.05 from the player.
  TakeFrameInput({0.015, ACTION_GRENADE, ACTION_GRENADE, {1, 0}});
  Player.grenadeCharge = 2.0;
  Step(false);
  EXPECT_EQ(Player.grenades, 0);
  EXPECT_FALSE(ActionOn(ACTION_GRENADE)) << "the button must be pressed again";
  EXPECT_NEAR(Game.playerDamage, 0.6 / 0.05 * 1.3, 1e-9);
}
