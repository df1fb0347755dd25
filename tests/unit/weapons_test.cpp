#include "combat_world.h"
#include "game/combat.h"
#include "game/rules.h"

namespace {

class Weapons : public CombatWorld {
 protected:
  tvector shoulder{0, 0.15};
  // One frame of the weapon step, aiming straight right.
  void Step(bool trigger, bool switchKey = false) {
    Player.aimOffset = {1, 0};
    Player.aimPoint = Player.body.pos + Player.aimOffset;
    Player.aimBearing = M_PI / 2;
    PlayerWeaponStep(trigger, switchKey, shoulder);
  }
  tweaponslot &Slot() { return Player.weaponSlots[Player.activeSlot]; }
};

}  // namespace

TEST_F(Weapons, PistolClipSemiAutoAndTheReload) {
  Step(false);
  EXPECT_EQ(Slot().clip, 12) << "the first frame loads the first clip";

  // Semi-automatic: holding the trigger fires once; one frame up and it fires again once the
  // cooldown (1000 / 6 ms) has run out.
  Step(true);
  EXPECT_EQ(ActiveShots(), 1);
  for (int f = 0; f < 20; ++f) Step(true);
  EXPECT_EQ(ActiveShots(), 1);
  Step(false);
  Step(true);
  EXPECT_EQ(ActiveShots(), 2);
  EXPECT_EQ(Slot().clip, 10);
  EXPECT_EQ(Slot().reserve, -2) << "the first weapon never runs out: its reserve goes below 0";
  EXPECT_EQ(Slot().weapon, W_PISTOL);

  while (Slot().clip > 1) {
    Step(false);
    for (int f = 0; f < 12; ++f) Step(true);
  }
  Step(false);
  const int beforeLast = ActiveShots();
  for (int f = 0; f < 12 && ActiveShots() == beforeLast; ++f) Step(true);
  // The shot that empties the clip starts the 750 ms reload in the same frame: the clip shows
  // one placeholder round for 425 ms, nothing for the last 325 ms, then the full clip.
  ASSERT_DOUBLE_EQ(Player.reloadTimer, 750);
  EXPECT_EQ(Slot().clip, 1);
  int frames = 0, placeholderFrames = 0, shotsBefore = ActiveShots();
  while (Slot().clip != 12) {
    Step(true);
    ++frames;
    placeholderFrames += Slot().clip == 1;
    ASSERT_LT(frames, 100);
  }
  EXPECT_EQ(frames, 50) << "750 ms at 15 ms a frame";
  EXPECT_EQ(placeholderFrames, 28);
  EXPECT_EQ(ActiveShots(), shotsBefore) << "nothing fires during the reload";
  Step(false);
  Step(true);
  EXPECT_EQ(ActiveShots(), shotsBefore + 1) << "firing resumes once the reload is over";
}

TEST_F(Weapons, RateLimitPelletsKickAndPlayerControl) {
  Player.weaponSlots[0] = {W_AUTO, 100, 30};
  Step(false);
  int fired = 0;
  for (int f = 0; f < 100; ++f) {  // 1.5 s with the trigger held
    const int before = ActiveShots();
    Step(true);
    fired += ActiveShots() > before;
    UpdateShots();
  }
  EXPECT_EQ(fired, 6) << "rate 4: one shot per 250 ms at most";

  shotList.clear();
  Player.weaponSlots[0] = {W_SHOTGUN, 10, 6};
  Player.fireCooldown = 0;
  Player.armReach = 1;
  Player.aimSmoothed = M_PI / 2;
  Step(false);
  Step(true);
  EXPECT_EQ(ActiveShots(), 8) << "eight pellets";
  EXPECT_EQ(Slot().clip, 5) << "for one round";
  EXPECT_EQ(Slot().reserve, 9);
  EXPECT_DOUBLE_EQ(Player.armReach, 1 - (0.2 + 0.1 * 0.5 * 8));
  EXPECT_DOUBLE_EQ(Player.aimSmoothed, M_PI / 2 - 0.05) << "aiming right, the kick lifts the arms";

  Ending.playerControl = 0;
  Player.fireCooldown = 0;
  Step(false);
  Step(true);
  EXPECT_EQ(ActiveShots(), 8) << "no firing without control";
}

TEST_F(Weapons, RunningDryAndSwitching) {
  Player.weaponSlots[0] = {W_AUTO, 1, 5};
  Player.weaponSlots[1] = {W_SHOTGUN, 4, 2};
  Step(false);
  Step(true);
  EXPECT_EQ(Slot().weapon, W_PISTOL) << "the last reserve round spent: back to the first weapon";
  EXPECT_EQ(Slot().clip, 4) << "the clip is not touched";

  keyDown[Options.keyChange] = 1;
  Step(false, true);
  EXPECT_EQ(Player.activeSlot, 1);
  EXPECT_EQ(keyDown[Options.keyChange], 0) << "a held key switches once";
  EXPECT_EQ(Player.currentWeapon.pellets, 8);
}

TEST_F(Weapons, GrenadeThrowAndHeldGrenade) {
  Player.grenades = 2;
  // A tap shorter than 0.15 s throws at full strength with nearly the whole fuse.
  Player.grenadeCharge = 0.1;
  Step(false);
  ASSERT_EQ(ActiveCount(grenadeList), 1);
  EXPECT_NEAR(grenadeList[0].body.vel.x, 6, 1e-9);
  EXPECT_NEAR(grenadeList[0].lifetime, 1.9, 1e-9);
  EXPECT_EQ(Player.grenades, 1);
  EXPECT_EQ(Player.grenadeCharge, 0);

  // Held for two seconds it goes off at the shoulder and hurts the player.
  mouseRightDown = 1;
  Player.grenadeCharge = 2.0;
  Step(false);
  EXPECT_EQ(Player.grenades, 0);
  EXPECT_EQ(mouseRightDown, 0) << "the button must be pressed again";
  EXPECT_NEAR(Game.playerDamage, 0.6 / 0.05 * 1.3, 1e-9);
}
