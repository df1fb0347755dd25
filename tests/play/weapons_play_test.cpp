// The guns and grenades as a player meets them: how fast each fires, how many rounds a clip
// holds, how long a reload takes, how many hits a zombie takes, what a grenade does.
#include <algorithm>

#include "scene.h"

namespace {
struct Gun {
  const char *name;
  int clip, pellets;
  double reload;      // seconds from a clip's last round to the next one
  int heldOneSecond;  // rounds fired with the trigger held for a second
  int fromCrate;      // rounds until it runs dry (0: never)
};
}  // namespace

TEST(PlayWeapons, RateClipReloadPelletsAndRunningDry) {
  const Gun guns[] = {
      {"pistol", 12, 1, 0.75, 1, 0},
      {"shotgun", 6, 8, 0.78, 1, 24},  // the pump outlasts the reload
      {"machine gun", 100, 1, 0.75, 12, 150},
  };
  for (const Gun &g : guns) {
    SCOPED_TRACE(g.name);
    QuietPlay play;
    Arm(play, g.name);
    play.aim(2, 4).wait(0.1);  // up into the empty sky
    int before = Reserve();
    play.fire(1);
    EXPECT_EQ(before - Reserve(), g.heldOneSecond);
    play.wait(1);

    // Clicking as fast as a finger can (the machine gun's trigger held): the frame of each round
    // and whether it emptied the clip, until the gun runs dry or two clips are spent.
    shotList.clear();
    std::vector<int> rounds;
    int pellets = -1, lastOfClip = -1;
    const int total = g.fromCrate ? g.fromCrate - g.heldOneSecond : 2 * g.clip;
    before = Reserve();
    bool down = false;
    play.drive([&] { return (down = !Player.currentWeapon.semiauto || !down) ? ACTION_FIRE : 0; },
               [&] {
                 if (Reserve() < before) {
                   rounds.push_back(play.frames);
                   if (lastOfClip < 0 && Player.reloadTimer > 700) lastOfClip = static_cast<int>(rounds.size()) - 1;
                 }
                 if (pellets < 0 && !rounds.empty()) pellets = Active(shotList);
                 before = Reserve();
                 return static_cast<int>(rounds.size()) >= total;
               },
               60);
    ASSERT_EQ(static_cast<int>(rounds.size()), total);
    EXPECT_EQ(pellets, g.pellets);
    EXPECT_EQ(lastOfClip + 1, g.clip - g.heldOneSecond) << "what the second's firing left of the clip";
    EXPECT_NEAR((rounds[lastOfClip + 1] - rounds[lastOfClip]) * play.frameTime, g.reload, 0.016);
    play.wait(1);
    if (g.fromCrate) {
      EXPECT_EQ(Player.currentWeapon.pellets, 1);
      EXPECT_EQ(Player.weaponSlots[0].weapon, WeaponNamed("pistol")) << "run dry: back to the pistol";
    } else {
      const int left = Reserve();
      play.fire(0.05);
      EXPECT_EQ(left - Reserve(), 1) << "the pistol never runs dry";
    }
  }
}

TEST(PlayWeapons, ChangeKeySwitchesOncePerPressAndCratesAddUpToTheCap) {
  QuietPlay play;
  Arm(play, "shotgun");
  EXPECT_EQ(Reserve(), 24) << "one and a half times the crate's 16";
  play.hold(ACTION_CHANGE, 1).wait(0.1);
  EXPECT_EQ(Player.currentWeapon.pellets, 1) << "the other hand: the pistol";
  play.press(ACTION_CHANGE);
  EXPECT_EQ(Player.currentWeapon.pellets, 8);
  Arm(play, "shotgun");
  EXPECT_EQ(Reserve(), 48);
  Arm(play, "shotgun");
  EXPECT_EQ(Reserve(), 60) << "capped at one and a half times 40";
  Arm(play, "machine gun");
  EXPECT_EQ(Reserve(), 150);
  EXPECT_EQ(Player.weaponSlots[0].clip, 100) << "a new gun comes loaded";
}

// Where the shots strike decides how many a zombie takes; a piercing round goes on into the next.
// The machine gun's head, body and legs sit nearest a zombie's toughness; a pistol round to the
// head after one of the machine gun's shows the pistol's own damage.
TEST(PlayWeapons, HitsToKillByWhereTheyStrike) {
  const struct {
    const char *name, *gun;
    double dy;                    // aimed this far above the zombies' middle, at their near side
    std::vector<double> zombies;  // their distances ahead
    int rounds, kills, struck;    // rounds until the first kill; kills and zombies hurt then
    const char *first = nullptr;  // a gun that put a round in the head before
  } cases[] = {
      {"pistol, head", "pistol", 0.08, {1.2}, 2, 1, 1},
      {"pistol, body", "pistol", 0, {1.2}, 3, 1, 1},
      {"pistol, legs", "pistol", -0.065, {1.2}, 6, 1, 1},
      {"pistol, a queue", "pistol", 0, {1.2, 1.5}, 3, 1, 1},
      {"shotgun, close", "shotgun", 0, {0.5}, 1, 1, 1},
      {"machine gun, a queue", "machine gun", 0, {1.0, 1.3, 1.6, 1.9}, 4, 2, 3},  // the 4th untouched
      {"machine gun, head", "machine gun", 0.075, {0.5}, 3, 1, 1},
      {"machine gun, body", "machine gun", 0, {0.5}, 4, 1, 1},
      {"machine gun, legs", "machine gun", -0.075, {0.5}, 7, 1, 1},
      {"pistol, head, after the machine gun's", "pistol", 0.075, {0.5}, 2, 1, 1, "machine gun"},
      {"revolver, just above the shoulders", "revolver", 0.0525, {0.5}, 1, 1, 1},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    QuietPlay play;
    Arm(play, c.first ? c.first : c.gun);
    std::vector<int> ids;
    std::vector<tvector> spots;
    for (double d : c.zombies)
      ids.push_back(ZombieAt(Player.body.pos.x + d)), spots.push_back(enemies[ids.back()].body.pos);
    play.scene = [&] {
      for (size_t k = 0; k < ids.size(); ++k) Hold(ids[k], spots[k]);
    };
    play.aimAt(spots[0] + tvector{-0.05, c.dy}).wait(0.2);
    if (c.first) play.frame(ACTION_FIRE), play.wait(0.3).press(ACTION_CHANGE).wait(0.3);
    ASSERT_EQ(Player.currentWeapon.name, c.gun);
    const int before = Reserve();
    EXPECT_TRUE(play.drive([&, down = false]() mutable { return (down = !down) ? ACTION_FIRE : 0; },
                           [] { return Game.kills > 0; }, 10));
    EXPECT_EQ(before - Reserve(), c.rounds);
    play.wait(0.1);
    EXPECT_EQ(Game.kills, c.kills);
    EXPECT_EQ(std::count_if(ids.begin(), ids.end(), [](int i) { return enemies[i].damage > 0; }), c.struck);
  }
}

TEST(PlayGrenades, ATapThrowsFullCookingShortensFlightAndFuse) {
  const struct {
    double held;
    double fuse;      // seconds from the release to the blast
    double distance;  // how far ahead it went off
  } cases[] = {{0.015, 1.985, 4.39}, {0.5, 1.5, 1.69}, {1.2, 0.8, 2.60}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.held);
    QuietPlay play;
    Player.grenades = 3;
    play.aim(3, 3).wait(0.2).cook(c.held);
    const double from = Player.body.pos.x;
    EXPECT_NEAR(play.secondsUntil([] { return !grenadeList.empty() && !grenadeList[0].active; }, 5), c.fuse, 0.02);
    EXPECT_NEAR(grenadeList[0].body.pos.x - from, c.distance, 0.1);
    EXPECT_EQ(Player.grenades, 2);
  }
}

// One thrown at the feet spares the player; held for two seconds it goes off at the shoulder,
// once however long the button stays down. (Where a thrown one's blast reaches is the arms' test.)
TEST(PlayGrenades, AThrownOneSparesThePlayerAndOneHeldTooLongGoesOffAtTheShoulder) {
  QuietPlay play;
  Player.grenades = 2;
  play.aim(0.01, -5).cook(0.2).until([] { return !grenadeList[0].active; }, 3);
  EXPECT_EQ(Game.playerDamage, 0) << "a thrown grenade spares the player";
  play.cook(3);
  EXPECT_EQ(Player.grenades, 0);
  EXPECT_NEAR(Game.playerDamage, 10.45, 0.01) << "the blast's full power at the shoulder, 0.075 from the body";
}
