// Zombies as a player meets them: how far they see, how often they strike, how fast they walk,
// and how they stroll, leap and hop when left alone. (How far a shot's noise calls them is each gun's,
// in the arms' test.)
#include <cmath>
#include <functional>
#include <vector>

#include "scene.h"

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
