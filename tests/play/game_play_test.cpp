// A game's course: running and jumping, walking and the camera, the clock and Insert's rush, the
// tutorial's hints, the day help comes, the rescue and a month of days.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>

#include "game/camera.h"
#include "game/tutorial.h"
#include "rig/blocks.h"
#include "scene.h"
#include "world/particles.h"
#include "world/terrain.h"

TEST(PlayCourse, WalkingJumpingOntoAStepAndTheCameraFollowing) {
  QuietPlay play;
  const tvector start = Player.body.pos;
  const double floor = start.y - CHARACTER_HALF_HEIGHT;
  // A step 0.3 high, 0.5 ahead.
  worldRow[7 + tileindex(start.x + 1)].collision.push_back(Block(start.x + 0.5, floor - 1, start.x + 2, floor + 0.3));
  play.aim(2, 0.5).wait(0.5);
  const double camera = CameraPos.x;
  play.hold(ACTION_RIGHT, 1);
  EXPECT_NEAR(Player.body.pos.x, start.x + 0.45, 0.01) << "stopped by the step's face";
  EXPECT_NEAR(Player.body.pos.y, start.y, 0.01);
  EXPECT_EQ(Player.anim.facing, 0);
  play.press(ACTION_JUMP).hold(ACTION_RIGHT, 1).wait(0.5);
  EXPECT_GT(Player.body.pos.x, start.x + 0.6);
  EXPECT_NEAR(Player.body.pos.y, start.y + 0.3, 0.01) << "on top of the step";
  EXPECT_NEAR(CameraPos.x - camera, Player.body.pos.x - start.x, 0.05) << "the camera came along";
  // The pointer at the exact centre keeps the last aim.
  const double aim = Player.aimOffset.x;
  play.aim(0, 0).wait(0.5);
  EXPECT_EQ(Player.aimOffset.x, aim);
  play.hold(ACTION_LEFT, 2);
  EXPECT_LT(Player.body.pos.x, start.x);
  EXPECT_EQ(Player.anim.facing, 1);
}

// Night falls 89.3 s after dawn: a group called up just before climbs out by the player, one
// just after by the base. The next dawn comes at 142.9 s; Insert held rushes a day by in 35 frames.
TEST(PlayCourse, NightFallsAfter89SecondsADayLasts143AndInsertRushesIt) {
  QuietPlay play;
  StandAt(basePos.x + 12);
  const struct {
    double second;
    bool byTheBase;
  } moments[] = {{89.2, false}, {89.4, true}};
  for (const auto &m : moments) {
    play.until([&] { return play.frames * play.frameTime >= m.second; }, 100);
    Game.spawnTimer = 0;
    play.frame(0);
    Game.spawnTimer = 1e9;
    tvector at;
    ASSERT_TRUE(NearestZombie(at));
    EXPECT_EQ(std::fabs(at.x - basePos.x) < 5, m.byTheBase) << m.second << " s after dawn";
    enemies.clear();
  }
  play.until([] { return Game.dayNumber == 2; }, 60);
  EXPECT_NEAR(play.frames * play.frameTime, 142.86, 0.02) << "the next dawn";
  EXPECT_DOUBLE_EQ(play.secondsUntil([] { return Game.dayNumber == 3; }, 1, ACTION_RUSH), 35 * play.frameTime);
}

TEST(PlayCourse, TheTutorialPointsAtWhatMattersNow) {
  const struct {
    const char *moment;
    std::function<void(Play &)> script;
    const char *hint;
    bool urgent;
  } cases[] = {
      {"at the start", [](Play &p) { p.wait(0.1); }, "this is your base.", false},
      {"a supply crate in view",
       [](Play &p) {
         crateList = {tcrate{1, Ground(Player.body.pos.x + 0.6)}}, p.wait(0.1);
       },
       "this is a supply crate.", false},
      {"carrying it",
       [](Play &p) {
         crateList = {tcrate{1, Ground(basePos.x + 1.5)}};
         p.until([] { return Game.carryingCrate; }, 3, ACTION_RIGHT);
       },
       "good job!", false},
      {"a weapon crate in view",
       [](Play &p) {
         LayPickup(Player.body.pos + tvector{0.6, 0}, 1), p.wait(0.1);
       },
       "this is a weapon crate.", false},
      {"out exploring", [](Play &p) { StandAt(basePos.x + 12), p.wait(1); }, "explore your surroundings", false},
      {"dusk, far out",
       [](Play &p) {
         StandAt(basePos.x + 12);
         p.until([] { return Game.timeOfDay > 0.51; }, 5, ACTION_RUSH);
         p.wait(1);
       },
       "oh no! night is coming!", true},
      {"night at the base", [](Play &p) { p.rushToNight().wait(0.5); }, "keep the zombies off", false},
      {"near dawn", [](Play &p) { p.until([] { return Game.timeOfDay > 0.88; }, 5, ACTION_RUSH); }, "dawn is coming",
       false},
      {"the helicopter",
       [](Play &p) {
         p.scene = [] { Game.supplies = 3, Game.playerDamage = 0; };
         p.rushToDay(Game.helpDay).until([] { return OnScreen(heli.pos); }, 40);
       },
       "help has arrived!", true},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.moment);
    QuietPlay play;
    c.script(play);
    const thint h = ChooseHint();
    EXPECT_EQ(std::strncmp(h.line1, c.hint, std::strlen(c.hint)), 0) << h.line1;
    EXPECT_EQ(h.urgent, c.urgent);
  }
}

// The hints show all the first day; after it, only while the helicopter is in view from its day.
TEST(PlayCourse, AfterTheFirstDayHintsShowOnlyWithTheHelicopterInView) {
  Play play(SHORT_GAME, 1);  // help comes on day 4
  play.scene = [] { Game.spawnTimer = 1e9, Game.supplies = 3, Game.playerDamage = 0; };
  const struct {
    const char *moment;
    std::function<void(Play &)> script;
    bool shown;
  } moments[] = {
      {"day 1 at dusk", [](Play &p) { p.until([] { return Game.timeOfDay > 0.6; }, 5, ACTION_RUSH); }, true},
      {"day 2", [](Play &p) { p.rushToDay(2); }, false},
      {"day 4, the helicopter far off", [](Play &p) { p.rushToDay(4); }, false},
      {"the helicopter in view", [](Play &p) { p.until([] { return OnScreen(heli.pos); }, 40); }, true},
  };
  for (const auto &m : moments) {
    m.script(play);
    EXPECT_EQ(TutorialShown(), m.shown) << m.moment;
  }
  Options.tutorial = 0;
  EXPECT_FALSE(TutorialShown()) << "hints turned off";
}

TEST(PlayRescue, TheHelicopterComesOnItsDayAndFliesThePlayerOut) {
  Play play(SHORT_GAME, 1);  // help comes on day 4
  play.scene = [] { Game.supplies = 3, Game.playerDamage = 0; };
  play.rushToDay(4);
  ASSERT_TRUE(Ending.heliActive);
  play.scene = [] {
    Quiet();
    EXPECT_TRUE(std::fabs(heli.pos.x - basePos.x) <= 1.5 || heli.rope <= 0.02)
        << "the rope comes down only over the base";
  };
  EXPECT_NEAR(play.secondsUntil([] { return heli.rope > 0; }), 18.26, 0.1) << "from the world's end to the rope";
  play.wait(0.4);
  EXPECT_NEAR(heli.rope, 0.42, 0.015) << "the rope comes down a unit a second";
  // Walk to the rope.
  EXPECT_TRUE(play.drive(
      [] {
        const double dx = heli.pos.x - Player.body.pos.x;
        return dx > 0.02 ? ACTION_RIGHT : dx < -0.02 ? ACTION_LEFT : 0;
      },
      [] { return Ending.rescueActive; }, 10));
  // Once the player is aboard the view widens to twice its width in 1.2 s.
  int aboard = -1, wide = -1;
  play.scene = [&] {
    Quiet();
    if (aboard < 0 && heli.rope <= 0) aboard = play.frames;
    if (wide < 0 && zoom >= 1.2) wide = play.frames;
  };
  // Insert during the flight out turns the clock over midnight, but no new day begins.
  const int day = Game.dayNumber;
  play.hold(ACTION_RUSH, 1);
  EXPECT_EQ(Game.dayNumber, day);
  EXPECT_LT(Game.timeOfDay, 1.0);
  const int rescued = play.frames;
  play.wait(60);
  EXPECT_NEAR((wide - aboard) * play.frameTime, 1.2, 0.02) << "the view widening";
  EXPECT_TRUE(play.ended && play.won);
  EXPECT_GT(heli.pos.x, 30);
  EXPECT_NEAR((play.frames - rescued) * play.frameTime, 17.9, 0.5) << "the flight out";
}

// A month rushed through with Insert, fighting at noon and at night: the day's lists start
// empty each dawn and never hold many more entries than are in use; defenders come only by crate.
TEST(PlayCourse, ThirtyDaysKeepEveryListBounded) {
  Play play(ENDLESS_GAME);
  Quiet();
  crateList = {tcrate{1, Ground(basePos.x + 1.5)}};
  play.until([] { return Game.carryingCrate; }, 3, ACTION_RIGHT);
  play.until([] { return Game.survivors == 1; }, 3, ACTION_LEFT);
  Player.weaponSlots[0] = {4, 100000, 100};  // the machine gun
  size_t zombies = 0, shots = 0, particles = 0, zombieSlots = 0, shotSlots = 0, particleSlots = 0;
  int day = Game.dayNumber;
  bool dawnsEmpty = true;
  play.scene = [&] {
    Game.playerDamage = 0, Game.supplies = std::max(Game.supplies, 1.0);
    AimAtNearestZombie(play);
    zombies = std::max<size_t>(zombies, Active(enemies)), zombieSlots = std::max(zombieSlots, enemies.size());
    shots = std::max<size_t>(shots, Active(shotList)), shotSlots = std::max(shotSlots, shotList.size());
    particles = std::max<size_t>(particles, Active(particleList));
    particleSlots = std::max(particleSlots, particleList.size());
  };
  bool rushing = true;
  play.drive(
      [&] {
        const double t = Game.timeOfDay;
        const bool pause = (t >= 0.30 && t < 0.307) || (t >= 0.75 && t < 0.757);
        if (pause && rushing) Game.spawnTimer = 0;  // a group at once, to fight
        rushing = !pause;
        return ACTION_FIRE | (rushing ? ACTION_RUSH : 0);
      },
      [&] {
        if (Game.dayNumber != day) {
          day = Game.dayNumber;
          dawnsEmpty = dawnsEmpty && Active(enemies) == 0 && grenadeList.empty() && shotList.size() <= 2;
        }
        return day == 30;
      },
      2000);
  ASSERT_EQ(day, 30);
  EXPECT_TRUE(dawnsEmpty);
  EXPECT_GT(Game.kills, 30);
  EXPECT_LE(zombieSlots, zombies + 2);
  EXPECT_LE(shotSlots, shots + 2);
  EXPECT_LE(particleSlots, particles * 1.1);
  EXPECT_LE(guys.size(), zombieSlots + 1) << "one skeleton per zombie slot and the player's";
  EXPECT_EQ(defenderList.size(), 1u);
}

// From rest on the flat ground of the base; the actions of each frame by its time.
TEST(PlayPlayer, RunningAndJumpingDistancesInASecond) {
  const struct {
    const char *what;
    uint16_t (*actions)(double t);
    double ahead, rise;  // how far right he is after a second; how high his feet went
    double frameTime = 0.015;
  } cases[] = {
      {"running right", [](double) -> uint16_t { return ACTION_RIGHT; }, 1.337, 0},
      {"running left", [](double) -> uint16_t { return ACTION_LEFT; }, -1.337, 0},
      {"a standing jump", [](double t) -> uint16_t { return t < 0.05 ? ACTION_JUMP : 0; }, 0, 0.630},
      // Pressed again in the air: no second lift.
      {"jump pressed twice", [](double t) -> uint16_t { return t < 0.05 || (t > 0.3 && t < 0.35) ? ACTION_JUMP : 0; },
       0, 0.630},
      {"a running jump", [](double t) -> uint16_t { return ACTION_RIGHT | (t < 0.05 ? ACTION_JUMP : 0); }, 1.337,
       0.630},
      // A slower machine's 17 ms frames each damp a little more, which keeps the run within a
      // tenth of the 15 ms one.
      {"running right, 17 ms frames", [](double) -> uint16_t { return ACTION_RIGHT; }, 1.481, 0, 0.017},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.what);
    QuietPlay play;
    play.frameTime = c.frameTime;
    FlatGround();
    play.wait(0.3);
    const tvector start = Player.body.pos;
    double top = start.y;
    const int from = play.frames;
    play.drive([&] { return c.actions((play.frames - from) * play.frameTime); },
               [&] { return top = std::max(top, Player.body.pos.y), false; }, 1);
    EXPECT_NEAR(Player.body.pos.x - start.x, c.ahead, 0.005);
    EXPECT_NEAR(top - start.y, c.rise, 0.005);
  }
}

// The day the helicopter comes: the game type's day and up to two later, never in the endless
// game. The seeds are chosen to show each end of the spread.
TEST(PlayDay, HelpComesOnItsDay) {
  const struct {
    tgametype type;
    uint32_t seed;
    int day;  // 0: not in the first twelve days
  } cases[] = {{SHORT_GAME, 2, 2}, {SHORT_GAME, 1, 4}, {LONG_GAME, 2, 7}, {LONG_GAME, 1, 9}, {ENDLESS_GAME, 1, 0}};
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::Message() << "game " << c.type << " seed " << c.seed);
    Play play(c.type, c.seed);
    play.scene = [] { Game.spawnTimer = 1e9, Game.supplies = 3, Game.playerDamage = 0; };
    play.until([] { return Ending.heliActive || Game.dayNumber > 12; }, 60, ACTION_RUSH);
    EXPECT_EQ(Ending.heliActive ? Game.dayNumber : 0, c.day);
  }
}

// Flying in, the helicopter speeds up to 2.38 a second with 15 ms frames; a 60 Hz display's
// longer frames would take it past 2.5, where it is held.
TEST(PlayRescue, TheHelicopterFliesInNoFasterThanTwoAndAHalf) {
  const struct { double frameTime, top; } cases[] = {{0.015, 2.38}, {1 / 60.0, 2.5}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.frameTime);
    Play play(SHORT_GAME, 2);  // help comes on day 2
    play.scene = [] { Game.spawnTimer = 1e9, Game.supplies = 3, Game.playerDamage = 0; };
    play.rushToDay(2);
    play.frameTime = c.frameTime;
    double top = 0, last = heli.pos.x;
    EXPECT_TRUE(play.until(
        [&] {
          top = std::max(top, (heli.pos.x - last) / play.frameTime), last = heli.pos.x;
          return heli.pos.x > basePos.x - 3;
        },
        30));
    EXPECT_NEAR(top, c.top, 0.01);
  }
}
