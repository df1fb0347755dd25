// How the pad's sticks, triggers and buttons become actions, an aim and a pointer's move. Pure
// functions of the pad's state, so they are pinned without a pad.
#include <SDL.h>

#include <cmath>

#include "platform/pad.h"

namespace {
// A sideways push of the left stick runs once past this much of its travel (after the dead
// zone): a stick pushed mostly up or down to look around must not walk the player off.
constexpr double RUN_PUSH = 0.2;
constexpr double TRIGGER_DOWN = 0.5, TRIGGER_UP = 1.0 / 3.0;

bool Button(const tpad &pad, int button) { return (pad.buttons >> button) & 1u; }
}  // namespace

tvector StickVector(int16_t x, int16_t y) {
  // SDL's y grows downward; the screen plane's grows upward.
  const tvector raw = {x / 32767.0, -y / 32767.0};
  const double length = veclength(raw, false);
  if (length <= STICK_DEAD_ZONE) return {0, 0};
  const double travel = std::fmin(1.0, (length - STICK_DEAD_ZONE) / (1.0 - STICK_DEAD_ZONE));
  return raw * (travel / length);
}

bool PadAxisLeant(int axis, int16_t value) {
  const double pull = value / 32767.0;
  if (axis == SDL_CONTROLLER_AXIS_TRIGGERLEFT || axis == SDL_CONTROLLER_AXIS_TRIGGERRIGHT) return pull > TRIGGER_DOWN;
  return axis >= 0 && axis < SDL_CONTROLLER_AXIS_MAX && std::fabs(pull) > STICK_DEAD_ZONE;
}

bool StickTakesAim(tvector stick, tvector whenMouseMoved) {
  return (stick.x != 0 || stick.y != 0) && veclength(stick - whenMouseMoved, false) > STICK_AIM_MOVE;
}

void PadAxis(tpad &pad, int axis, int16_t value) {
  if (axis < 0 || axis >= SDL_CONTROLLER_AXIS_MAX) return;
  pad.axes[axis] = value;
  const double pull = value / 32767.0;
  uint8_t *down = axis == SDL_CONTROLLER_AXIS_TRIGGERLEFT    ? &pad.leftTriggerDown
                  : axis == SDL_CONTROLLER_AXIS_TRIGGERRIGHT ? &pad.rightTriggerDown
                                                             : nullptr;
  if (!down) return;
  if (pull > TRIGGER_DOWN) *down = 1;
  if (pull < TRIGGER_UP) *down = 0;
}

uint16_t PadActions(const tpad &pad) {
  const tvector left = StickVector(pad.axes[SDL_CONTROLLER_AXIS_LEFTX], pad.axes[SDL_CONTROLLER_AXIS_LEFTY]);
  uint16_t a = 0;
  if (Button(pad, SDL_CONTROLLER_BUTTON_DPAD_LEFT) || left.x < -RUN_PUSH) a |= ACTION_LEFT;
  if (Button(pad, SDL_CONTROLLER_BUTTON_DPAD_RIGHT) || left.x > RUN_PUSH) a |= ACTION_RIGHT;
  if (Button(pad, SDL_CONTROLLER_BUTTON_A)) a |= ACTION_JUMP;
  if (Button(pad, SDL_CONTROLLER_BUTTON_X)) a |= ACTION_CHANGE;
  if (Button(pad, SDL_CONTROLLER_BUTTON_Y)) a |= ACTION_USE;
  if (pad.rightTriggerDown) a |= ACTION_FIRE;
  if (pad.leftTriggerDown) a |= ACTION_GRENADE;
  if (Button(pad, SDL_CONTROLLER_BUTTON_START)) a |= ACTION_PAUSE;
  if (Button(pad, SDL_CONTROLLER_BUTTON_BACK)) a |= ACTION_RUSH;
  return a;
}

tvector PadAimPointer(tvector stick, tvector last) {
  const double travel = veclength(stick, false);
  if (travel == 0) return last;
  // The pointer's 5 units (the window's half width) are the weapon's whole range.
  tvector p = stick * (5.0 * (0.2 + 0.8 * travel) / travel);
  // The rules take a bearing only from a pointer off both axes (a mouse is never exactly on one);
  // a stick held straight up or sideways is, so it is moved off by a hair nobody can see: one
  // step of the recorded pointer (1/4096), so a replay's rounding keeps it off the axis too.
  const double hair = 1.0 / 4096;
  if (std::fabs(p.x) < hair) p.x = std::copysign(hair, p.x);
  if (std::fabs(p.y) < hair) p.y = std::copysign(hair, p.y);
  return p;
}

tvector PadPointerStep(tvector stick, double seconds, int width) {
  // Speed grows with the square of the push: slow near the middle to land on a small button.
  const double travel = veclength(stick, false);
  const double pixels = width * travel * seconds;
  return {stick.x * pixels, -stick.y * pixels};
}
