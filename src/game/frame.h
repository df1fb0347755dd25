// One frame of a game's rules, from one frame's input: the clock, posing, then the simulation
// and the closing sequences. The window hands in what it draws in between; the headless runner
// hands in nothing.
#pragma once
#include <cstdint>

#include "base/input.h"

struct tframehooks {
  // The next day has begun; `built` when a whole new world was built (its drawing is to be made).
  void (*dayBegun)(bool built);
  // The world as posed this frame, before the simulation moves it.
  void (*drawWorld)();
  // The thrown grenades, where the world's update has just moved them.
  void (*drawGrenades)();
  // The muzzle and explosion flashes of this frame, over everything, on the frame they happen.
  void (*drawFlashes)();
};

struct tframeresult {
  uint8_t ended;  // a closing sequence finished: the game is over
  uint8_t won;    // ... by the rescue
  uint8_t pause;  // Escape was pressed
};

// A new game from `seed`: state reset, the help day drawn, the first day begun. helpDay holds
// the game type's base day.
void SetupGame(uint32_t seed, const tframehooks &hooks);
// Empties the day's lists, builds the next day's world and places the player.
void NextDay(const tframehooks &hooks);
tframeresult GameFrame(const tframeinput &in, const tframehooks &hooks);
