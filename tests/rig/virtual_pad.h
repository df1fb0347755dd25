// SDL's virtual joystick standing in for a gamepad in scripted runs: plugged in and pulled out
// while the program runs, its buttons pressed and sticks leant from a run's actions.
#pragma once
#include <cstdint>

#include "base/vector.h"

class VirtualPad {
 public:
  ~VirtualPad() { unplug(); }
  // Attaches a pad SDL takes for a game controller (the program must have started its pads).
  bool plug();
  void unplug();
  int32_t id() const;  // SDL's instance id, which the pad's events carry
  void button(int button, bool down);
  void axis(int axis, int16_t value);
  // Leans a stick (SDL's x axis of it: the left or right stick) towards `direction`, in the
  // screen plane, by `lean` of its travel past the dead zone (0 lets it go).
  void stick(int xAxis, tvector direction, double lean);
  // For this many of the updates SDL asks of the pad, each moves its left stick within the dead
  // zone: a stream of events, as a real stick's jitter sends.
  int jitterUpdates = 0;

 private:
  struct _SDL_Joystick *joystick_ = nullptr;
};

// Moves the menu pointer towards the screen-plane point with the left stick, slowing as it
// nears; true once it is there (the stick then rests).
bool StickPointerTo(VirtualPad &pad, tvector target);
