// Zombies by day and by night, their blows, crates carried home, defenders (how far they see,
// the rhythm of their bursts, how many rounds a zombie takes from them), and the two ways a game is
// lost, each played as a player would meet it.
#include <cmath>
#include <functional>
#include <vector>

#include "game/base_objects.h"
#include "game/camera.h"
#include "scene.h"

namespace {
double MeanX() {
  double sum = 0;
  for (const tenemy &e : enemies) sum += e.active ? e.body.pos.x : 0;
  return Active(enemies) ? sum / Active(enemies) : 0;
}
}  // namespace

// The spawn pressure of days 1, 5 and 10: how soon the first group comes, how big each is, how
// long until the next.
TEST(PlayZombies, DayAndNightGroupsGrowWithTheDays) {
  const struct {
    int day;
    bool night;
    int size;
    double gap;  // seconds from one group to the next
  } cases[] = {{1, false, 6, 15.75}, {5, false, 14, 7.365}, {10, false, 24, 6.315},
               {1, true, 8, 3.6},    {5, true, 20, 1.725},  {10, true, 35, 1.485}};
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::Message() << "day " << c.day << (c.night ? " night" : ""));
    Play play;
    play.rushToDay(c.day);
    const int dawn = play.frames;
    StandAt(basePos.x + 10);  // away from the base, where the day's groups come up
    if (c.night) play.rushToNight();
    enemies.clear();
    // A group is a jump in the number of zombies from one frame to the next.
    int first = -1, second = -1, size = 0, last = 0;
    play.scene = [] { Game.playerDamage = 0, Game.supplies = 3; };
    play.until(
        [&] {
          const int n = Active(enemies);
          if (first >= 0 && second < 0 && n > last + 2) second = play.frames;
          if (first < 0 && n > 0) first = play.frames, size = n;
          last = n;
          return second >= 0;
        },
        30);
    const double wait = (first - dawn) * play.frameTime;
    EXPECT_TRUE(c.night || std::fabs(wait - 3.0) < 0.02) << "the first group 3 s after dawn, not " << wait;
    EXPECT_EQ(size, c.size);
    EXPECT_NEAR((second - first) * play.frameTime, c.gap, 0.02);
  }
}

// Both ways of losing, by night: the game slows to under a third of its speed and the view
// closes in to half its width; a blast at 4.5 s, a fade from 5.5 s, the end at 6.5 s. The fallen
// player's blast kills every zombie within four units; the base's starts on the ground, reaches
// none and leaves the player walking.
TEST(PlayEndings, SlowMotionCloseUpBlastFadeAndEnd) {
  const struct {
    const char *name;
    std::function<void(Play &)> start;  // by night, until the ending's timer runs
    const double &timer;
    const uint8_t &blast;
    bool control;  // the player can still move after the blast
    int kills;     // by the blast: the one that struck and the two held within four units
  } cases[] = {
      {"death",
       [](Play &play) {
         Quiet();
         Game.playerDamage = 22;  // badly hurt already: the seventh blow is the last
         ZombieAt(Player.body.pos.x + 0.08);
         play.until([] { return Ending.deathTimer > 0; }, 60);
         EXPECT_DOUBLE_EQ(Game.playerDamage, 25.5) << "blows of half a point kill past 25";
       },
       Ending.deathTimer, Ending.deathBlast, false, 3},
      {"unopposed night",
       [](Play &play) {
         play.scene = [] { Game.playerDamage = 0; };
         play.until([] { return Active(enemies) > 0; }, 10);
         const double far = std::fabs(MeanX() - basePos.x), supplies = Game.supplies;
         EXPECT_NEAR(std::fabs(MeanX()), 3.5, 0.4) << "by night they climb out just outside the base";
         play.until([&] { return Game.supplies < supplies; }, 30);
         EXPECT_DOUBLE_EQ(Game.supplies, supplies - 0.25) << "each blow on the base takes a quarter supply";
         EXPECT_LT(std::fabs(MeanX() - basePos.x), far - 1) << "they close in on the base";
         play.until([] { return Ending.baseLossTimer > 0; }, 60);
       },
       Ending.baseLossTimer, Ending.baseLossBlast, true, 0},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    Play play;
    play.rushToNight();  // by night zombies far from the player stay
    FlatGround();
    StandAt(basePos.x - 9);
    c.start(play);
    ASSERT_GT(c.timer, 0);
    const tvector centre = &c.blast == &Ending.deathBlast ? Player.body.pos : basePos;
    std::vector<int> ids;
    std::vector<tvector> spots;
    for (double d : {-3.9, 3.9, -4.1, 4.1})
      ids.push_back(ZombieAt(centre.x + d)), spots.push_back(enemies[ids.back()].body.pos);
    play.scene = [&] {
      for (size_t k = 0; k < ids.size(); ++k) Hold(ids[k], spots[k]);
    };
    const int from = play.frames, kills = Game.kills;
    const struct { double second, speed, zoom; } moments[] = {{1, 0.8, 0.4}, {2, 0.6, 0.3}, {4.4, 0.3, 0.3}};
    int blast = -1, fade = -1, moment = 0, killed = 0;
    bool beyondStand = false;
    play.until(
        [&] {
          const double t = (play.frames - from + 1) * play.frameTime;  // the timer ran a frame before
          if (moment < 3 && t >= moments[moment].second) {
            EXPECT_NEAR(Game.timeScale, moments[moment].speed, 0.004) << t << " s in";
            EXPECT_NEAR(zoom, moments[moment++].zoom, 0.004) << t << " s in";
          }
          if (blast < 0 && c.blast) blast = play.frames;
          if (fade < 0 && Game.fadeOut) fade = play.frames;
          if (blast >= 0 && play.frames - blast == 14)  // the blast has done its work
            killed = Game.kills - kills, beyondStand = enemies[ids[2]].active && enemies[ids[3]].active;
          return false;
        },
        10);
    EXPECT_TRUE(play.ended && !play.won);
    EXPECT_NEAR((blast - from) * play.frameTime, 4.5, 0.02);
    EXPECT_NEAR((fade - from) * play.frameTime, 5.5, 0.02);
    EXPECT_NEAR((play.frames - from) * play.frameTime, 6.5, 0.02);
    EXPECT_EQ(Ending.playerControl, c.control) << "the player can still walk after the blast";
    EXPECT_EQ(killed, c.kills) << "the blast kills the zombies near it";
    EXPECT_TRUE(beyondStand) << "the two beyond";
  }
}

TEST(PlayBase, CratesCarriedHomeOneAtATimeBringSuppliesAndDefenders) {
  QuietPlay play;
  crateList = {tcrate{1, Ground(basePos.x + 1.5)}, tcrate{1, Ground(basePos.x + 1.55)}};
  const double supplies = Game.supplies;
  EXPECT_EQ(supplies, 3.5) << "a game begins with three and a half";
  for (int trip = 1; trip <= 2; ++trip) {
    SCOPED_TRACE(trip);
    EXPECT_TRUE(play.until([] { return Game.carryingCrate; }, 5, ACTION_RIGHT));
    EXPECT_EQ(Active(crateList), 2 - trip) << "one crate at a time";
    EXPECT_TRUE(play.until([trip] { return Game.survivors == trip; }, 5, ACTION_LEFT));
    EXPECT_DOUBLE_EQ(Game.supplies, supplies + trip);
    ASSERT_EQ(defenderList.size(), static_cast<size_t>(trip));
    EXPECT_EQ(defenderList.back().pos.x < basePos.x, trip == 1) << "the first on the left, the next on the right";
  }

  // A zombie in sight of the left one: he shoots it.
  const tdefender &d = defenderList[0];
  const int z = ZombieAt(d.pos.x + 0.5);
  play.scene = [&, spot = enemies[z].body.pos] { Hold(z, spot); };
  EXPECT_TRUE(play.until([] { return Game.kills == 1; }, 5));

  // One that cannot be killed, kept at his side, fells him with the sixth blow.
  StandAt(d.pos.x + 1);
  const int brute = ZombieAt(d.pos.x - 0.03);
  enemies[brute].damage = -1e9;
  play.scene = [&, side = enemies[brute].body.pos] {
    enemies[brute].body.pos = side, enemies[brute].body.vel = {0, 0}, enemies[brute].anim.facing = 0;
  };
  EXPECT_TRUE(play.until([&] { return !d.active; }, 60));
  EXPECT_DOUBLE_EQ(d.damage, 6);
  EXPECT_EQ(Game.survivors, 1);
  EXPECT_EQ(defenderList.size(), 2u) << "the roll keeps the fallen";
}

TEST(PlayBase, UseTakesOnePickupAPressGrenadesNeedNoKey) {
  QuietPlay play;
  const uint8_t pack = static_cast<uint8_t>(weapons.size());
  LayPickup(Player.body.pos, 1);
  LayPickup(Player.body.pos, 4);
  play.hold(ACTION_USE, 1);
  EXPECT_EQ(Active(pickupList), 1) << "a held key takes one";
  play.press(ACTION_USE);
  EXPECT_EQ(Active(pickupList), 0);
  const struct { int before, after; } packs[] = {{0, 3}, {3, 6}, {4, 9}, {7, 9}};
  for (const auto &c : packs) {
    Player.grenades = c.before;
    LayPickup(Player.body.pos, pack);
    play.wait(0.2);
    EXPECT_EQ(Player.grenades, c.after) << c.before;
  }
}

// By day zombies left 3.5 behind wander off, and every 3 x day + 2 of them bring a group at once.
TEST(PlayZombies, LeftBehindByDayTheyWanderOff) {
  const struct {
    bool night;
    double behind;    // how far behind the player
    int left, after;  // zombies left behind, and active a moment later
  } cases[] = {{false, 3.4, 5, 5}, {false, 3.6, 4, 0}, {false, 3.6, 5, 6}, {true, 3.6, 5, 5}};
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::Message() << c.left << " left " << c.behind << (c.night ? " by night" : " by day"));
    Play play;
    if (c.night) play.rushToNight();
    StandAt(basePos.x + 10);
    Quiet();
    // A hair apart, so they do not push each other away.
    for (int k = 0; k < c.left; ++k) ZombieAt(Player.body.pos.x - c.behind + 0.01 * (k - 2));
    play.wait(0.1);
    EXPECT_EQ(Active(enemies), c.after);
    EXPECT_EQ(Game.kills, 0);
  }
}

// One defender on level ground with his gun from the weapon table; one zombie held where the row
// puts it from his gun (to his left, the way he faces, unless the row says otherwise). The frames of his rounds are
// counted from the zombie's arrival.
TEST(PlayDefenders, RangeBurstsRateAndDamage) {
  const struct {
    const char *what, *gun;
    tvector at;               // the zombie, from his gun
    double arrives;           // seconds after him
    bool unharmed;            // a zombie nothing can fell
    double seconds;           // watched
    std::vector<int> rounds;  // the frames of his rounds
    int kills;
  } cases[] = {
      {"pistol, just inside his range", "pistol", {-3.70, 0}, 0.5, true, 0.5, {16, 29}, 0},
      {"pistol, just outside", "pistol", {-3.72, 0}, 0.5, true, 0.5, {}, 0},
      // Rounds 13 frames apart, bursts of two or three, pauses of a third to half a second.
      {"pistol, his bursts and pauses",
       "pistol",
       {-2, 0},
       0.5,
       true,
       4,
       {16, 29, 42, 76, 89, 118, 131, 168, 181, 204, 217, 251, 264},
       0},
      // Arriving in a burst: level he fires at once, high up behind him he turns first.
      {"pistol, a zombie level", "pistol", {-2, 0}, 0.8, true, 0.5, {1, 14, 27}, 0},
      {"pistol, a zombie high up behind him", "pistol", {0.638, 1.358}, 0.8, true, 0.5, {16}, 0},
      {"machine gun, rounds to fell a zombie",
       "machine gun",
       {-2, 0},
       0.5,
       false,
       4,
       {16, 24, 32, 40, 71, 79, 87, 95},
       1},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.what);
    QuietPlay play;
    FlatGround();
    defenderList.clear();
    const tvector foot = Ground(basePos.x - 1);
    tdefender &d = defenderList[CreateDefender(foot)];
    d.weapon = WeaponNamed(c.gun);
    const tvector gun = foot + tvector{0, 0.175}, spot = gun + c.at;
    StandAt(spot.x - 0.5);  // near it, or by day it wanders off
    play.wait(c.arrives);
    const int z = ZombieAt(spot.x);
    if (c.unharmed) enemies[z].damage = -1e9;
    play.scene = [&] { Hold(z, spot); };
    std::vector<int> rounds;
    const int from = play.frames;
    double cooldown = d.cooldown;
    play.until(
        [&] {
          if (d.cooldown > cooldown) rounds.push_back(play.frames - from);
          cooldown = d.cooldown;
          return false;
        },
        c.seconds);
    EXPECT_EQ(rounds, c.rounds);
    EXPECT_EQ(Game.kills, c.kills);
  }
}
