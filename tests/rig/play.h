// A game played headless from a script of what a player does, on the built data folder with a
// fixed seed and 15 ms frames; nothing is drawn or heard, so a game day takes a fraction of a second.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/input.h"
#include "base/vector.h"
#include "persist/options.h"

enum tgametype { SHORT_GAME, LONG_GAME, ENDLESS_GAME };

// What two runs of a game are compared by: day, kills, survivors, supplies, clock, damage, and
// where the player stands.
std::vector<double> GameState();
// The nearest active zombie's position (by x from the player), or false when there is none.
bool NearestZombie(tvector &at);
class Play;
// Points the aim at the nearest zombie's chest (ahead of the player when there is none), as a
// player fighting does: a scene's step for a fight.
void AimAtNearestZombie(Play &play);

class Play {
 public:
  explicit Play(tgametype type = SHORT_GAME, uint32_t seed = 1);
  ~Play();

  // Each step plays frames until its time is up or the game has ended.
  Play &hold(uint16_t actions, double seconds) { return until(nullptr, seconds, actions), *this; }
  Play &wait(double seconds) { return hold(0, seconds); }
  Play &fire(double seconds) { return hold(ACTION_FIRE, seconds); }
  // Fire pressed and let go on alternate frames, for `seconds` or until `done` holds.
  Play &click(double seconds, const std::function<bool()> &done = nullptr);
  Play &cook(double seconds) { return hold(ACTION_GRENADE, seconds), frame(0), *this; }  // then the throw
  Play &press(uint16_t action);  // down for one frame, up for the next
  // The pointer in screen-plane units from the window centre (-5..5 across); it stays put.
  Play &aim(double x, double y) { return pointer_ = {x, y}, *this; }
  Play &aimAt(tvector world);  // sends shots from the shoulder through `world`
  // Insert held until night has fallen, or until day `day` has begun.
  Play &rushToNight();
  Play &rushToDay(int day);
  // Plays frames, choosing each frame's actions, until `done` holds (true) or `seconds` pass.
  bool until(const std::function<bool()> &done, double seconds, uint16_t actions = 0) {
    return drive([actions] { return actions; }, done, seconds);
  }
  bool drive(const std::function<uint16_t()> &actions, const std::function<bool()> &done, double seconds);
  // The seconds of play (whole frames) until `done` holds, `actions` held meanwhile; -1 when it
  // does not within `limit`, or the game ends first. What a player meets: "how soon", not "how
  // many frames".
  double secondsUntil(const std::function<bool()> &done, double limit = 60, uint16_t actions = 0);
  double secondsUntil(const std::function<bool()> &done, double limit, const std::function<uint16_t()> &actions);
  void frame(uint16_t held);

  // Runs before every frame: keeps the scene a test has set (a zombie held in place, say).
  std::function<void()> scene;
  bool ended = false, won = false;
  int frames = 0;
  double frameTime = 0.015;
  // When set, every frame's input is put on the replay's grids (as the window's game does) and kept.
  std::vector<tframeinput> *recording = nullptr;

 private:
  tvector pointer_{1, 0};
  uint16_t held_ = 0;
  std::string savedBase_;
  toptions savedOptions_;
};
