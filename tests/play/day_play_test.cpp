// The day as a player meets it: when help comes, how the helicopter flies and lowers its rope,
// and how the losing endings slow the game, close the view and end in a blast.
#include <cmath>

#include "game/camera.h"
#include "scene.h"

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

// Both losing endings: the game slows to under a third of its speed and the view closes in to
// half its width, then a blast. The fallen player's kills every zombie within four units; the
// base's starts on the ground and reaches none.
TEST(PlayEndings, SlowMotionCloseUpAndTheClosingBlastsReach) {
  const struct {
    const char *name;
    bool death;  // else the base is lost
    int kills;
  } cases[] = {{"death", true, 2}, {"the base lost", false, 0}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    Play play;
    play.rushToNight();  // by night zombies far from the player stay
    Quiet();
    FlatGround();
    StandAt(basePos.x + 8);
    const tvector centre = c.death ? Player.body.pos : basePos;
    const double offsets[] = {-3.9, 3.9, -4.1, 4.1};
    std::vector<int> ids;
    std::vector<tvector> spots;
    for (double d : offsets) ids.push_back(ZombieAt(centre.x + d)), spots.push_back(enemies[ids.back()].body.pos);
    play.scene = [&] {
      for (size_t k = 0; k < ids.size(); ++k) Hold(ids[k], spots[k]);
    };
    (c.death ? Game.playerDamage : Game.supplies) = c.death ? 26 : -1;
    const struct { double second, speed, zoom; } moments[] = {{1, 0.8, 0.4}, {2, 0.6, 0.3}, {4.4, 0.3, 0.3}};
    double elapsed = 0;
    for (const auto &m : moments) {
      play.wait(m.second - elapsed), elapsed = m.second;
      EXPECT_NEAR(Game.timeScale, m.speed, 0.004) << m.second << " s in";
      EXPECT_NEAR(zoom, m.zoom, 0.004) << m.second << " s in";
    }
    EXPECT_EQ(Game.kills, 0);
    play.wait(0.2);
    EXPECT_EQ(Game.kills, c.kills);
    EXPECT_TRUE(enemies[ids[2]].active && enemies[ids[3]].active) << "the two beyond";
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
