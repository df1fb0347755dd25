// One frame's input: all the rules of play read of the player's devices. The platform fills it
// from the keyboard and mouse, a test builds it by hand, a replay reads it back.
#pragma once
#include <cstdint>

#include "base/vector.h"

// The actions, one bit each: the five bound keys, the fixed keys and the mouse buttons.
enum : uint16_t {
  ACTION_LEFT = 1 << 0,
  ACTION_RIGHT = 1 << 1,
  ACTION_JUMP = 1 << 2,
  ACTION_CHANGE = 1 << 3,   // switch weapon slot
  ACTION_USE = 1 << 4,      // take a pickup
  ACTION_FIRE = 1 << 5,     // left button
  ACTION_GRENADE = 1 << 6,  // right button: cook, release to throw
  ACTION_PAUSE = 1 << 7,    // Escape
  ACTION_RUSH = 1 << 8,     // Insert: the day hurries by
};
constexpr int ACTION_COUNT = 9;

struct tframeinput {
  double frameTime;  // seconds of game time this frame
  uint16_t held;     // actions down at the frame
  uint16_t pressed;  // actions that went down since the last frame (a key's auto-repeat counts)
  tvector pointer;   // screen-plane units from the window centre, -5..5 across the window
};
