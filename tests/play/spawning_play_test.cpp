// Zombies climbing out: where the day's groups come up around the player and from which side,
// the night's last groups, the day's cap, and the crates laid out each dawn.
#include <cmath>

#include "scene.h"
#include "world/particles.h"

namespace {
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
