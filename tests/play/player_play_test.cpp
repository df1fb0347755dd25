// How far the player gets in a second: running either way, jumping standing and running, and
// how high a jump lifts him.
#include <algorithm>

#include "scene.h"

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
