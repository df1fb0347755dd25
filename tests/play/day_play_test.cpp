// The day as a player meets it: when help comes and how fast the helicopter flies in.
#include <algorithm>

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
