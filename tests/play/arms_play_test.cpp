// Each gun of the weapon table as a player meets it: how fast it fires, how many rounds a clip
// holds, how long a reload takes, how far the crosshair reaches, how far its noise carries, where
// its shots land and how many hits a zombie takes; the grenade's throw and blast.
#include <algorithm>
#include <cmath>
#include <vector>

#include "game/player.h"
#include "scene.h"
#include "world/terrain.h"

namespace {
// A wall of that height across the ground at x, whole inside its tile.
void Wall(double x, double width, double height) {
  const double floor = Ground(x).y;
  worldRow[7 + tileindex(x)].collision.push_back(Block(x, floor, x + width, floor + height));
}

// The trigger as fast as a finger can work it: held for an automatic, clicked every other frame
// for a gun that fires once a click.
uint16_t Trigger(bool &down) { return (down = !down || !Player.currentWeapon.semiauto) ? ACTION_FIRE : 0; }
}  // namespace

// Rounds in a second of firing (the first frame's round and the frame of the second), how far the
// crosshair reaches at the screen's edge, and how far the shots' noise calls zombies: one just
// inside it walks to the sound, one just outside stays. Low walls hide the player from both.
TEST(PlayArms, EachGunsRateReachAndNoise) {
  const struct {
    const char *name;
    int inSecond, gap;  // rounds in a second of firing; frames from the first round to the second
    double reach, noise;
  } guns[] = {
      {"pistol", 6, 12, 3.5, 3.5},   {"shotgun", 2, 52, 2.5, 6},   {"sub-machine gun", 12, 6, 3.5, 5},
      {"assault rifle", 8, 9, 5, 7}, {"machine gun", 12, 6, 5, 9}, {"sniper rifle", 2, 62, 8, 10},
      {"revolver", 3, 24, 4, 6},
  };
  for (const auto &g : guns) {
    SCOPED_TRACE(g.name);
    // By night, away from the base: by day zombies this far off wander away, and by night
    // they make for the base when they see it.
    Play play;
    play.rushToNight();
    Quiet();
    StandAt(basePos.x + 20);
    FlatGround();
    Arm(play, g.name);
    const double x = Player.body.pos.x;
    Wall(x + 0.8, 0.1, 0.4), Wall(x - 0.9, 0.1, 0.4);
    const int near = ZombieAt(x + g.noise - 0.15), far = ZombieAt(x - g.noise - 0.15);
    play.scene = [&, a = enemies[near].body.pos, b = enemies[far].body.pos] { Hold(near, a), Hold(far, b); };
    play.aim(3, 4).wait(0.2);  // up over the wall into the empty sky
    play.scene = nullptr;
    EXPECT_NEAR(veclength(Player.aimOffset, false), g.reach, 1e-9) << "the crosshair at the screen's edge";

    const tvector nearAt = enemies[near].body.pos, farAt = enemies[far].body.pos;
    std::vector<int> rounds;
    int before = Reserve();
    bool down = false;
    const int from = play.frames;
    play.drive([&] { return Trigger(down); },
               [&] {
                 if (Reserve() < before) rounds.push_back(play.frames - from - 1);
                 before = Reserve();
                 return false;
               },
               1);
    ASSERT_GE(rounds.size(), 2u);
    EXPECT_EQ(static_cast<int>(rounds.size()), g.inSecond);
    EXPECT_EQ(rounds[0], 0);
    EXPECT_EQ(rounds[1] - rounds[0], g.gap);
    EXPECT_LT(enemies[near].body.pos.x, nearAt.x - 0.3) << "the one inside the noise comes";
    EXPECT_EQ(enemies[far].body.pos.x, farAt.x) << "the one outside stays";
  }
}

// Where one round's shots end, from the shoulder: on a wall ahead or on level ground. The drop
// and the reach show the shots' speed, their fall and the air's drag; a shotgun's pellets on a
// wall show its spread.
TEST(PlayArms, WhereARoundsShotsLand) {
  const struct {
    const char *what, *gun;
    tvector aim;   // the pointer
    double wall;   // a wall this far ahead (0: none)
    tvector land;  // where the shots end on average, from the shoulder
    double span;   // from the lowest to the highest
  } cases[] = {
      {"pistol, at a wall 3 ahead", "pistol", {4, 1}, 3, {3, 0.7125}, 0},
      {"pistol, high into the sky", "pistol", {1, 3}, 0, {23.803, -0.175}, 0},
      {"sniper rifle, level", "sniper rifle", {5, 0.01}, 0, {9.870, -0.175}, 0},
      {"shotgun, at a wall 2 ahead", "shotgun", {4, 1}, 2, {2, 0.527}, 0.610},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.what);
    QuietPlay play;
    FlatGround();
    Arm(play, c.gun);
    const tvector shoulder = PlayerShoulder();
    if (c.wall > 0) Wall(Player.body.pos.x + c.wall, 0.2, 3);
    play.aim(c.aim.x, c.aim.y).wait(0.3);
    shotList.clear();
    play.frame(ACTION_FIRE);
    play.until([] { return Active(shotList) == 0; }, 15);
    ASSERT_FALSE(shotList.empty());
    tvector sum{0, 0};
    double low = 1e9, high = -1e9;
    for (const tshot &s : shotList) {
      sum = sum + (s.body.pos - shoulder);
      low = std::min(low, s.body.pos.y), high = std::max(high, s.body.pos.y);
    }
    const tvector mean = sum / static_cast<double>(shotList.size());
    EXPECT_NEAR(mean.x, c.land.x, 0.002);
    EXPECT_NEAR(mean.y, c.land.y, 0.002);
    EXPECT_NEAR(high - low, c.span, 0.002);
  }
}

// A grenade at the feet, a zombie standing 0.55 from where it goes off and another 0.65: the
// blast's reach is 0.6, and what it deals there is about twice what fells a zombie. The ground
// shields a third beneath it.
TEST(PlayArms, AGrenadesBlastReachesAndHowHardItHits) {
  QuietPlay play;
  FlatGround();
  Player.grenades = 1;
  const double floor = Ground(Player.body.pos.x).y;
  const struct {
    double distance, damage;
  } zombies[] = {{-0.55, 3.273}, {-0.65, 0}, {0.45, 0}};  // the last behind a wall
  std::vector<int> ids;
  for (const auto &z : zombies) ids.push_back(ZombieAt(Player.body.pos.x + z.distance));
  play.scene = [&] {
    if (grenadeList.empty() || !grenadeList[0].active) return;
    const tvector c = grenadeList[0].body.pos;
    const double dy = floor + CHARACTER_HALF_HEIGHT - c.y;
    for (size_t k = 0; k < ids.size(); ++k) {
      const double d = zombies[k].distance;
      Hold(ids[k], c + tvector{std::copysign(std::sqrt(d * d - dy * dy), d), dy});
    }
  };
  play.aim(0.01, -5).cook(0.2).wait(1);  // landed by now
  ASSERT_TRUE(grenadeList[0].active);
  Wall(grenadeList[0].body.pos.x + 0.25, 0.05, 1);
  play.until([] { return !grenadeList[0].active; }, 3);
  for (size_t k = 0; k < ids.size(); ++k) {
    SCOPED_TRACE(zombies[k].distance);
    EXPECT_NEAR(enemies[ids[k]].damage, zombies[k].damage, 0.002);
    EXPECT_EQ(enemies[ids[k]].active, zombies[k].damage == 0) << "felled";
  }
}

// A reload shows its last placeholder round until the emptied clip's casings fall, 0.425 s in.
TEST(PlayArms, TheRevolversEmptiedClipFallsOutPartWayThroughTheReload) {
  QuietPlay play;
  Arm(play, "revolver");
  play.aim(3, 4).wait(0.2);
  bool down = false;
  play.drive([&] { return Trigger(down); }, [] { return Player.reloadTimer > 0; }, 5);
  ASSERT_EQ(Player.weaponSlots[Player.activeSlot].clip, 1);
  EXPECT_DOUBLE_EQ(play.secondsUntil([] { return Player.weaponSlots[Player.activeSlot].clip == 0; }, 1),
                   29 * play.frameTime);
}

TEST(PlayWeapons, RateClipReloadPelletsAndRunningDry) {
  const struct {
    const char *name;
    int clip, pellets;
    double reload;      // seconds from a clip's last round to the next one
    int heldOneSecond;  // rounds fired with the trigger held for a second
    int fromCrate;      // rounds until it runs dry (0: never)
  } guns[] = {
      {"pistol", 12, 1, 0.75, 1, 0},
      {"shotgun", 6, 8, 0.78, 1, 24},  // the pump outlasts the reload
      {"machine gun", 100, 1, 0.75, 12, 150},
  };
  for (const auto &g : guns) {
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
    play.drive([&] { return Trigger(down); },
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
