// Zombies as a player meets them: how far they see, how often they strike, how fast they walk,
// and how they stroll, leap and hop when left alone (how far a shot's noise calls them is each gun's,
// in the arms' test); and climbing out: where the day's groups come up around the player and from
// which side, the night's last groups, the day's cap, and the crates laid out each dawn.
#include <cmath>
#include <functional>
#include <vector>

#include "scene.h"
#include "world/particles.h"

// Seen from 6.5 away, not from 7.5, and not through a wall. By night a zombie looks for the
// base, by day for the player; one that has seen its prey walks to it.
TEST(PlayZombies, TheySeeSevenUnitsButNotThroughAWall) {
  const struct {
    const char *name;
    bool night;
    double distance;  // from the zombie's middle to what it hunts
    bool wall;
    bool comes;
  } cases[] = {{"base 6.5 away", true, 6.5, false, true},
               {"base 7.5 away", true, 7.5, false, false},
               {"player 2 away", false, 2, false, true},
               {"player 2 away behind a wall", false, 2, true, false}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    Play play;
    if (c.night) play.rushToNight();
    Quiet();
    const double floor = FlatGround();
    StandAt(basePos.x + 12);
    const tvector prey = c.night ? basePos + tvector{0, 0.3} : Player.body.pos;
    const double dy = floor + CHARACTER_HALF_HEIGHT - prey.y;
    const double x = prey.x + std::sqrt(c.distance * c.distance - dy * dy);
    if (c.wall) Wall((x + prey.x) / 2, floor);
    const int z = IdleZombieAt(x);
    ASSERT_NEAR(vecdistance(enemies[z].body.pos, prey, false), c.distance, 1e-9);
    play.wait(2);
    EXPECT_EQ(x - enemies[z].body.pos.x > 0.5, c.comes) << "moved " << x - enemies[z].body.pos.x;
  }
}

// Kept at the player's side, a zombie lands a blow each second, ten in ten seconds; it reaches
// 0.11 from its middle to his.
TEST(PlayZombies, AZombieAtThePlayersSideStrikesOnceASecond) {
  const struct {
    double apart;
    int blows;
  } cases[] = {{0.08, 10}, {0.108, 10}, {0.114, 0}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.apart);
    QuietPlay play;
    FlatGround();
    StandAt(Player.body.pos.x);
    const int z = ZombieAt(Player.body.pos.x + c.apart);
    const double y = enemies[z].body.pos.y;
    play.scene = [&] {
      tenemy &e = enemies[z];
      e.body.pos = {Player.body.pos.x + c.apart, y}, e.body.vel = e.body.accel = {0, 0}, e.anim.facing = 1;
    };
    play.wait(10);
    EXPECT_DOUBLE_EQ(Game.playerDamage, c.blows * 0.5);
  }
}

namespace {
// A hundred zombies left to themselves on level ground by night, far from the base.
struct Crowd {
  static constexpr int N = 100;
  Play play{SHORT_GAME, 1};  // the figures below are of this seed's draws
  double floor;
  explicit Crowd(double from = 12, double spacing = 0.2) {
    play.rushToNight();
    Quiet();
    floor = FlatGround();
    for (int k = 0; k < N; ++k) ZombieAt(basePos.x + from + spacing * k);
  }
  // Keeps each zombie walking, to the right until `right` from the base, then back.
  std::function<void()> walking(std::vector<int> &heading, double right) {
    return [&heading, right] {
      Game.timeOfDay = 0.7;  // a night that lasts
      for (int k = 0; k < N; ++k) {
        tenemy &e = enemies[k];
        if (e.body.pos.x > basePos.x + right) heading[k] = -1;
        if (e.body.pos.x < basePos.x + 10) heading[k] = 1;
        if (e.mode <= 1) e.mode = 1, e.timer = 5, e.target = {e.body.pos.x + 30 * heading[k], e.body.pos.y + 1};
      }
    };
  }
};

// Groups called up one a frame, each counted by the side of the player it climbed out on and
// its middle's distance from him, then cleared away with their dust.
struct Groups {
  int left = 0, right = 0;
  double leftDistance = 0, rightDistance = 0;
};
Groups CallGroups(Play &play, int groups) {
  Groups g;
  const double px = Player.body.pos.x;
  for (int k = 0; k < groups; ++k) {
    enemies.clear(), particleList.clear();
    Game.spawnTimer = 0;
    play.frame(0);
    double sum = 0;
    int n = 0;
    for (const tenemy &e : enemies)
      if (e.active) sum += e.body.pos.x - px, ++n;
    if (n == 0) continue;
    const double middle = sum / n;
    (middle < 0 ? g.left : g.right) += 1;
    (middle < 0 ? g.leftDistance : g.rightDistance) += std::fabs(middle);
  }
  enemies.clear();
  Game.spawnTimer = 1e9;
  return g;
}

// The first tile right of the base, from the second on, with or without a crate at dawn.
int TileRightOfTheBase(bool crate) {
  int tile = 2;
  auto hasCrate = [](int t) {
    for (const tcrate &k : crateList)
      if (tileindex(k.pos.x) == t) return true;
    return false;
  };
  while (tile < 7 && hasCrate(tile) != crate) ++tile;
  return tile;
}

// Zombies killed on a tile, which takes from its pull.
void KillOn(Play &play, int tile, int kills) {
  for (int k = 0; k < kills; ++k) enemies[ZombieAt(5.0 * tile - 1)].damage = 2;
  play.wait(0.1);
  ASSERT_EQ(Game.kills, kills);
  particleList.clear();
}
}  // namespace

// A minute of the crowd: how high and far they leap, how far and how long they stroll, and how
// fast they walk (what also brings one that has seen the player to him).
TEST(PlayZombies, LeftAloneTheyStrollAndLeap) {
  Crowd crowd;
  Play &play = crowd.play;
  constexpr int N = Crowd::N;
  std::vector<double> takeoff(N), peak(N);
  std::vector<int> prevMode(N, 0), walkFrom(N, 0);
  std::vector<bool> air(N, false);
  int leaps = 0, strolls = 0, walks = 0;
  double leapLength = 0, highest = 0, strollLength = 0, walkTime = 0, fastest = 0;
  play.scene = [] { Game.timeOfDay = 0.7; };  // a night that lasts
  play.until(
      [&] {
        for (int k = 0; k < N; ++k) {
          const tenemy &e = enemies[k];
          const double h = e.body.pos.y - crowd.floor - CHARACTER_HALF_HEIGHT;
          const bool up = h > 0.01;
          if (up && !air[k]) takeoff[k] = e.body.pos.x, peak[k] = 0;
          if (up) peak[k] = std::max(peak[k], h);
          if (!up && air[k])
            ++leaps, leapLength += std::fabs(e.body.pos.x - takeoff[k]), highest = std::max(highest, peak[k]);
          if (!up) fastest = std::max(fastest, std::fabs(e.body.vel.x));
          air[k] = up;
          // A stroll: from standing to walking towards a spot nearby, until it stands again.
          if (e.mode == 1 && prevMode[k] == 0) ++strolls, strollLength += std::fabs(e.target.x - e.body.pos.x);
          if (e.mode == 1 && prevMode[k] != 1) walkFrom[k] = play.frames;
          if (e.mode == 0 && prevMode[k] == 1) ++walks, walkTime += (play.frames - walkFrom[k]) * play.frameTime;
          prevMode[k] = e.mode;
        }
        return false;
      },
      60);
  const struct {
    const char *what;
    double value, expected, tolerance;
  } rows[] = {{"highest leap", highest, 0.632, 0.01},
              {"mean leap length", leapLength / leaps, 0.568, 0.025},
              {"mean stroll distance", strollLength / strolls, 1.19, 0.04},
              {"mean stroll time", walkTime / walks, 1.84, 0.05},
              {"walking speed", fastest, 2.33, 0.02}};
  for (const auto &r : rows) EXPECT_NEAR(r.value, r.expected, r.tolerance) << r.what;
  EXPECT_GT(leaps, 500);
  EXPECT_GT(strolls, 1400);
}

// Walking on and on over level ground, a zombie now and then stops to hop and turns back:
// about three times a minute.
TEST(PlayZombies, WalkingOnAndOnTheyHopNowAndThen) {
  Crowd crowd;
  constexpr int N = Crowd::N;
  std::vector<int> heading(N, 1), prevMode(N, 0);
  int hops = 0;
  const auto walk = crowd.walking(heading, 34);
  crowd.play.scene = [&] {
    for (int k = 0; k < N; ++k) {
      hops += enemies[k].mode == 3 && prevMode[k] != 3;
      prevMode[k] = enemies[k].mode;
    }
    walk();
  };
  crowd.play.wait(200);
  EXPECT_NEAR(hops / (N * 200 / 60.0), 3.2, 0.15) << hops;
}

// Walking up a stair of steps 0.3 high and a unit long, a zombie leaps for the next step once it
// is near enough to land on it: from 0.29 away on average.
TEST(PlayZombies, UpAStairTheyLeapForEachStepFromNearby) {
  Crowd crowd(2, 0.1);
  constexpr int N = Crowd::N;
  // From the tile's edge right of 12 from the base, 25 steps.
  const double first = 5 * tileindex(basePos.x + 12) + 2.5;
  for (int s = 0; s < 25; ++s)
    worldRow[7 + tileindex(first + s + 0.5)].collision.push_back(
        Block(first + s, crowd.floor - 3, first + s + 1, crowd.floor + 0.3 * (s + 1)));
  std::vector<int> heading(N, 1), prevMode(N, 0);
  int leaps = 0;
  double from = 0;
  const auto walk = crowd.walking(heading, 40);
  crowd.play.scene = [&] {
    for (int k = 0; k < N; ++k) {
      const tenemy &e = enemies[k];
      if (e.mode == 2 && prevMode[k] != 2 && e.body.pos.x > first - 1 && e.body.pos.x < first + 24) {
        const double face = first + std::max(0.0, std::ceil(e.body.pos.x - first));
        ++leaps, from += face - e.body.pos.x;
      }
      prevMode[k] = e.mode;
    }
    walk();
  };
  crowd.play.wait(15);
  EXPECT_GT(leaps, 800);
  EXPECT_NEAR(from / leaps, 0.286, 0.012);
}

TEST(PlaySpawning, TheDaysGroupsClimbOutTwoUnitsFromThePlayerEitherSide) {
  QuietPlay play;
  StandAt(basePos.x + 12);
  const Groups g = CallGroups(play, 400);
  EXPECT_GT(g.left, 100);
  EXPECT_GT(g.right, 100);
  EXPECT_NEAR(g.leftDistance / g.left, 2.0, 0.05);
  EXPECT_NEAR(g.rightDistance / g.right, 2.0, 0.05);
}

// Each day adds to every tile's pull and each kill on a tile takes from it: enough kills and
// the day's groups no longer come from there. A crate on a tile draws them more. A crate's
// carrier has them all come up behind him, on his side away from the base.
TEST(PlaySpawning, KillsOnATileKeepTheGroupsAwayCratesDrawThemAndCarriersAreCutOff) {
  const struct {
    const char *name;
    int day;
    bool crate;     // the tile right of the player has a crate at dawn
    int kills;      // zombies killed on it
    int fromRight;  // groups of 300 from it: 0 none, 1 some but not all, 2 all
  } cases[] = {{"day 1, 70 kills", 1, false, 70, 1},    {"day 1, 80 kills", 1, false, 80, 0},
               {"day 2, 110 kills", 2, false, 110, 1},  {"day 2, 120 kills", 2, false, 120, 0},
               {"a crate, 104 kills", 1, true, 104, 1}, {"a crate, 106 kills", 1, true, 106, 0}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    Play play;
    play.rushToDay(c.day);
    // The first tile right of the base, from the second on, with or without a crate as asked.
    const int tile = TileRightOfTheBase(c.crate);
    ASSERT_LT(tile, 7);
    Quiet();
    StandAt(5.0 * tile - 3);  // the day's groups come up on this tile and the one to the left
    KillOn(play, tile, c.kills);
    const Groups g = CallGroups(play, 300);
    EXPECT_EQ(g.right == 0 ? 0 : g.left == 0 ? 2 : 1, c.fromRight);
  }
  for (const double side : {-1, 1}) {
    SCOPED_TRACE(side < 0 ? "carrying left of the base" : "carrying right of the base");
    QuietPlay play;
    StandAt(basePos.x + 12 * side);
    crateList = {tcrate{1, Ground(Player.body.pos.x)}};
    ASSERT_TRUE(play.until([] { return Game.carryingCrate; }, 1));
    const Groups g = CallGroups(play, 50);
    EXPECT_EQ(side < 0 ? g.left : g.right, 50) << "all behind him, away from the base";
  }
}

// Standing on a tile draws the day's groups to it: on one where 150 were killed on the first
// day they climb out again after 56 to 59 s of standing there.
TEST(PlaySpawning, StandingOnATileDrawsTheGroupsBackToIt) {
  Play play;
  const int tile = TileRightOfTheBase(false);
  ASSERT_LT(tile, 7);
  Quiet();
  StandAt(5.0 * tile + 2);  // the day's groups come up on this tile and the one to the right
  const int from = play.frames;
  for (int k = 0; k < 150; ++k) enemies[ZombieAt(5.0 * tile + 1)].damage = 2;
  play.wait(55);
  ASSERT_EQ(Game.kills, 150);
  double back = 0;
  while (back == 0 && play.frames - from < 70 / play.frameTime)
    if (CallGroups(play, 1).left > 0) back = (play.frames - from) * play.frameTime;
  EXPECT_GT(back, 56.2) << "none before its pull is back";
  EXPECT_LT(back, 59.5);
}

// The day's groups stop coming once 150 zombies are about.
TEST(PlaySpawning, NoMoreThan150ZombiesByDay) {
  QuietPlay play;
  StandAt(basePos.x + 12);
  play.scene = [] { Game.spawnTimer = 0, Game.playerDamage = 0; };
  play.wait(0.5);
  EXPECT_EQ(Active(enemies), 150);
}

// From 21:45 (seven eighths of the night) each group waits longer for the next.
TEST(PlaySpawning, TheLastGroupsOfTheNightComeEverMoreSlowly) {
  const struct {
    double clock;  // the time of day a group came
    double gap;    // seconds until the next
  } cases[] = {{0.903, 3.585}, {0.92, 7.125}, {0.93, 9.69}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.clock);
    Play play;
    play.rushToNight();
    Quiet();
    play.scene = [] { Game.supplies = 3, Game.playerDamage = 0; };
    Game.timeOfDay = c.clock;
    Game.spawnTimer = 0;
    play.frame(0);
    const int n = Active(enemies);
    ASSERT_GT(n, 0);
    EXPECT_NEAR(play.secondsUntil([n] { return Active(enemies) > n + 2; }, 30), c.gap, 0.03);
  }
}

// Three tiles in five hold a supply crate each dawn.
TEST(PlaySpawning, ThreeTilesInFiveHoldACrateEachDawn) {
  Play play(ENDLESS_GAME);
  play.scene = [] { Game.spawnTimer = 1e9, Game.supplies = 3, Game.playerDamage = 0; };
  int crates = 0, days = 0, day = 0;
  play.until(
      [&] {
        if (Game.dayNumber != day) day = Game.dayNumber, crates += static_cast<int>(crateList.size()), ++days;
        return days == 200;
      },
      600, ACTION_RUSH);
  ASSERT_EQ(days, 200);
  EXPECT_NEAR(crates / (14.0 * days), 0.6, 0.02) << "of the 14 tiles besides the base's";
}
