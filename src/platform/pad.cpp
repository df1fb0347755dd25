// The pad of this run: opening and closing it as it comes and goes, its events, and what it adds
// to a game frame or does to a menu.
#include "platform/pad.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/window.h"

tpad pad = {};
uint8_t padInMenu = 1;

namespace {
// Every pad plugged in is open; the one last pressed plays (an idle receiver plugged in first
// must not leave the pad in the player's hands dead).
std::vector<SDL_GameController *> opened;
SDL_GameController *controller = nullptr;  // the pad that plays, one of `opened`
SDL_JoystickID controllerId = -1;
bool started = false;
uint16_t pressedSinceFrame = 0;  // actions that went down since the last game frame
uint16_t lastHeld = 0;           // the pad's actions at the last game frame
uint16_t spent = 0;              // held across a switch between menu and game: unused until let go
tvector aim = {0, 0};
bool padAims = false;
tvector stickAtMouse = {0, 0};  // the right stick when the mouse last moved

bool Held(int button) { return (pad.buttons >> button) & 1u; }
SDL_JoystickID IdOf(SDL_GameController *c) { return SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(c)); }
tvector RightStick() { return StickVector(pad.axes[SDL_CONTROLLER_AXIS_RIGHTX], pad.axes[SDL_CONTROLLER_AXIS_RIGHTY]); }

// In menus: south is the left button, east and Start are Escape, the d-pad the arrow keys.
void MenuButton(int button, bool down) {
  const uint8_t d = down ? 1 : 0;
  switch (button) {
    case SDL_CONTROLLER_BUTTON_A: MouseButton(true, down); return;
    case SDL_CONTROLLER_BUTTON_B:
    case SDL_CONTROLLER_BUTTON_START: {
      const int other = button == SDL_CONTROLLER_BUTTON_B ? SDL_CONTROLLER_BUTTON_START : SDL_CONTROLLER_BUTTON_B;
      if (!down && Held(other)) return;  // the other one still holds Escape down
      keyDown[27] = d;
      if (down) keyPressed[27] = 1;
      return;
    }
    default: break;
  }
  int arrow = 0;
  switch (button) {
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT: arrow = 37; break;
    case SDL_CONTROLLER_BUTTON_DPAD_UP: arrow = 38; break;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT: arrow = 39; break;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN: arrow = 40; break;
    default: return;
  }
  keyDown[arrow] = d;
  if (down) keyPressed[arrow] = 1;
}

// Lets go of whatever the pad holds in a menu's terms, so nothing stays down without it.
void ReleaseMenuButtons() {
  const uint32_t held = pad.buttons;
  pad.buttons = 0;
  for (int b = 0; b < SDL_CONTROLLER_BUTTON_MAX; ++b)
    if ((held >> b) & 1u) MenuButton(b, false);
  pad.buttons = held;
}

// Lets go of everything the playing pad held (nothing it held stays held) and plays none.
void LetGo() {
  if (padInMenu) ReleaseMenuButtons();
  pad = {};
  spent = 0;
  pressedSinceFrame = 0;
  controller = nullptr;
  controllerId = -1;
}

void Play(SDL_GameController *c) {
  LetGo();
  controller = c;
  controllerId = c ? IdOf(c) : -1;
}

SDL_GameController *Opened(SDL_JoystickID id) {
  for (SDL_GameController *c : opened)
    if (IdOf(c) == id) return c;
  return nullptr;
}

void Open(int deviceIndex) {
  if (Opened(SDL_JoystickGetDeviceInstanceID(deviceIndex))) return;
  SDL_GameController *c = SDL_GameControllerOpen(deviceIndex);
  if (!c) return;
  opened.push_back(c);
  if (!controller) Play(c);  // the first plugged in plays until another is pressed
}

// A pulled pad is closed; when it was playing, another still plugged in takes over.
void Close(SDL_JoystickID id) {
  SDL_GameController *c = Opened(id);
  if (!c) return;
  opened.erase(std::find(opened.begin(), opened.end(), c));
  SDL_GameControllerClose(c);
  if (c == controller) Play(opened.empty() ? nullptr : opened.front());
}

// An idle pad pressed (a button, or a stick or trigger leant past its dead zone) takes over.
bool TakesOver(const SDL_Event &e) {
  const SDL_JoystickID id = e.type == SDL_CONTROLLERAXISMOTION ? e.caxis.which : e.cbutton.which;
  if (id == controllerId) return true;
  const bool pressed = e.type == SDL_CONTROLLERBUTTONDOWN ||
                       (e.type == SDL_CONTROLLERAXISMOTION && PadAxisLeant(e.caxis.axis, e.caxis.value));
  SDL_GameController *c = pressed ? Opened(id) : nullptr;
  if (c) Play(c);
  return c != nullptr;
}

// Records a change of the pad and remembers which actions it started.
template <typename Change>
void Update(Change change) {
  const uint16_t before = PadActions(pad);
  change();
  const uint16_t begun = static_cast<uint16_t>(PadActions(pad) & ~before);
  pressedSinceFrame |= begun;
  spent &= static_cast<uint16_t>(~begun);  // let go and pressed again between two frames
}
}  // namespace

void StartPads() {
  pad = {};
  padInMenu = 1;
  spent = lastHeld = pressedSinceFrame = 0;
  aim = stickAtMouse = {0, 0};
  padAims = false;
  // Without the layer the game plays on with the keyboard and mouse alone.
  started = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
}

void StopPads() {
  for (SDL_GameController *c : opened) SDL_GameControllerClose(c);
  opened.clear();
  controller = nullptr;
  controllerId = -1;
  pad = {};
  padAims = false;  // no pad: the mouse aims
  if (started) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
  started = false;
}

bool PadConnected() { return controller != nullptr; }

bool PadEvent(const SDL_Event &e) {
  switch (e.type) {
    case SDL_CONTROLLERDEVICEADDED: Open(e.cdevice.which); return true;
    case SDL_CONTROLLERDEVICEREMOVED: Close(e.cdevice.which); return true;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP: {
      if (e.cbutton.button >= 32 || !TakesOver(e)) return true;
      const bool down = e.type == SDL_CONTROLLERBUTTONDOWN;
      const uint32_t bit = 1u << e.cbutton.button;
      Update([&] { pad.buttons = down ? pad.buttons | bit : pad.buttons & ~bit; });
      if (padInMenu) MenuButton(e.cbutton.button, down);
      return true;
    }
    case SDL_CONTROLLERAXISMOTION:
      if (TakesOver(e)) Update([&] { PadAxis(pad, e.caxis.axis, e.caxis.value); });
      return true;
    default: return false;
  }
}

void SetPadInMenu(bool menu) {
  if ((padInMenu != 0) == menu) return;
  if (!menu) {
    ReleaseMenuButtons();
    // Running may go on straight away; everything else waits for a fresh press.
    spent = static_cast<uint16_t>(PadActions(pad) & ~(ACTION_LEFT | ACTION_RIGHT));
    pressedSinceFrame = 0;
  }
  padInMenu = menu ? 1 : 0;
}

void MovePointerByPad(double seconds) {
  if (!controller) return;
  const tvector stick = StickVector(pad.axes[SDL_CONTROLLER_AXIS_LEFTX], pad.axes[SDL_CONTROLLER_AXIS_LEFTY]);
  if (stick.x == 0 && stick.y == 0) return;
  const tvector step = PadPointerStep(stick, seconds, clientWidth);
  mouseX = std::fmin(std::fmax(mouseX + step.x, 0.0), clientWidth - 1.0);
  mouseY = std::fmin(std::fmax(mouseY + step.y, 0.0), clientHeight - 1.0);
}

void AddPadInput(tframeinput &in) {
  const uint16_t held = PadActions(pad);
  spent &= held;
  // Pressed and let go since the last frame: held for this one, as a tap of the mouse is.
  const uint16_t used = static_cast<uint16_t>((held | pressedSinceFrame) & ~spent);
  in.held |= used;
  in.pressed |= static_cast<uint16_t>(pressedSinceFrame | (used & ~lastHeld));
  lastHeld = used;
  pressedSinceFrame = 0;
  // Whichever of the mouse and the right stick moved last aims: a stick merely held off centre
  // leaves a moving mouse alone.
  const tvector stick = RightStick();
  if (!padAims && StickTakesAim(stick, stickAtMouse)) padAims = true;
  if (padAims) {
    aim = PadAimPointer(stick, aim);
    in.pointer = aim;
  }
}

void MouseAims() {
  padAims = false;
  stickAtMouse = RightStick();
}
