#include "rig/virtual_pad.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>

#include "platform/pad.h"
#include "platform/window.h"

namespace {
void Update(void *self) {
  VirtualPad &pad = *static_cast<VirtualPad *>(self);
  if (pad.jitterUpdates > 0) pad.axis(SDL_CONTROLLER_AXIS_LEFTX, --pad.jitterUpdates % 2 ? 1000 : 6000);
}
}  // namespace

bool VirtualPad::plug() {
  if (joystick_) return true;
  SDL_VirtualJoystickDesc d = {};
  d.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  d.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;  // SDL makes it a mapping in its own button order
  d.naxes = SDL_CONTROLLER_AXIS_MAX;
  d.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
  d.name = "test pad";
  d.userdata = this;
  d.Update = Update;
  const int index = SDL_JoystickAttachVirtualEx(&d);
  if (index < 0) return false;
  joystick_ = SDL_JoystickOpen(index);
  if (!joystick_) return false;
  // A virtual trigger's axis starts in the middle of its travel: let it rest.
  axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, -32768);
  axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, -32768);
  return true;
}

void VirtualPad::unplug() {
  if (!joystick_) return;
  const SDL_JoystickID id = SDL_JoystickInstanceID(joystick_);
  for (int i = 0; i < SDL_NumJoysticks(); ++i)
    if (SDL_JoystickGetDeviceInstanceID(i) == id) SDL_JoystickDetachVirtual(i);
  SDL_JoystickClose(joystick_);
  joystick_ = nullptr;
}

int32_t VirtualPad::id() const { return joystick_ ? SDL_JoystickInstanceID(joystick_) : -1; }

void VirtualPad::button(int b, bool down) {
  if (joystick_) SDL_JoystickSetVirtualButton(joystick_, b, down ? 1 : 0);
}

void VirtualPad::axis(int a, int16_t value) {
  if (!joystick_) return;
  // A virtual trigger spans the whole axis; a real one's 0..32767 is its upper half.
  const bool trigger = a == SDL_CONTROLLER_AXIS_TRIGGERLEFT || a == SDL_CONTROLLER_AXIS_TRIGGERRIGHT;
  SDL_JoystickSetVirtualAxis(joystick_, a, trigger && value >= 0 ? static_cast<int16_t>(value * 2 - 32767) : value);
}

void VirtualPad::stick(int xAxis, tvector direction, double lean) {
  const double length = veclength(direction, false);
  if (lean <= 0 || length == 0) {
    axis(xAxis, 0);
    axis(xAxis + 1, 0);
    return;
  }
  const double raw = 32767 * (STICK_DEAD_ZONE + (1 - STICK_DEAD_ZONE) * std::min(lean, 1.0)) / length;
  axis(xAxis, static_cast<int16_t>(std::lround(direction.x * raw)));
  axis(xAxis + 1, static_cast<int16_t>(std::lround(-direction.y * raw)));  // SDL's y grows downward
}

bool StickPointerTo(VirtualPad &pad, tvector target) {
  const tvector at = PointerOnPlane(mouseX, mouseY);
  const tvector gap = target - at;
  const double pixels = veclength(gap, false) * clientWidth / 10;
  if (pixels < 2) {
    pad.stick(SDL_CONTROLLER_AXIS_LEFTX, {0, 0}, 0);
    return true;
  }
  // A lean whose step of 13 ms covers about half the gap, so the pointer settles without circling.
  const double lean = std::sqrt(pixels / (2 * clientWidth * 0.013));
  pad.stick(SDL_CONTROLLER_AXIS_LEFTX, gap, std::clamp(lean, 0.2, 1.0));
  return false;
}
