// The gamepad, through SDL's game-controller layer and its mapping database: pads plugged in or
// pulled out whenever, the one last pressed playing. In a game it adds to the frame input (the
// actions and the aim pointer); in menus it moves the pointer, clicks and stands in for Escape.
#pragma once
#include <cstdint>

#include "base/input.h"

union SDL_Event;

// What the pad holds, as its events left it. Buttons are bits by SDL's controller button
// numbers; axes are SDL's controller axes (sticks -32768..32767 with y downward, triggers 0..32767).
struct tpad {
  uint32_t buttons;
  int16_t axes[6];
  uint8_t leftTriggerDown, rightTriggerDown;
};

// ---- The pure mapping (no SDL state; the unit tests pin it) ----

// Below this fraction of a stick's travel it counts as at rest: a worn stick never rests at 0.
constexpr double STICK_DEAD_ZONE = 0.25;
// A stick in the screen plane (y up), its length 0 inside the dead zone rising to 1 at full travel.
tvector StickVector(int16_t x, int16_t y);
// Whether an axis at this value is pressed: a stick leant past its dead zone, a trigger pulled
// past where it fires. A pad that does so takes over from the one playing.
bool PadAxisLeant(int axis, int16_t value);
// Records one axis; a trigger goes down past half its travel and up again below a third, so a
// finger resting near the middle does not flicker fire or drop a cooking grenade.
void PadAxis(tpad &pad, int axis, int16_t value);
// The game's actions the pad holds: d-pad or left stick run, south jumps, west changes weapon,
// north uses, the right trigger fires, the left one cooks a grenade, Start pauses, Back rushes.
uint16_t PadActions(const tpad &pad);
// The aim pointer for the right stick: at the stick's angle, reaching from a fifth of the weapon's
// range just past the dead zone to all of it at full travel. At rest it keeps `last`.
tvector PadAimPointer(tvector rightStick, tvector last);
// A right stick takes the aim from the mouse when it is off centre and has moved this far (of its
// travel) from where it stood when the mouse last moved: held still, its jitter stays below.
constexpr double STICK_AIM_MOVE = 0.1;
bool StickTakesAim(tvector rightStick, tvector whenMouseMoved);
// How far, in pixels, the left stick moves the menu pointer in `seconds`: full travel crosses a
// window `width` pixels wide in one second, half travel at a quarter of that speed for fine work.
tvector PadPointerStep(tvector leftStick, double seconds, int width);

// ---- The pad of this run ----

extern tpad pad;
// True while a menu's screen loop runs: the pad's buttons then click and escape.
extern uint8_t padInMenu;

// Starts SDL's game-controller layer (the pads already plugged in arrive as added events).
void StartPads();
void StopPads();
// Whether a pad plays (plugged in; the one last pressed when there are several).
bool PadConnected();
// Handles a controller event (added, removed, button, axis); false for any other event.
bool PadEvent(const SDL_Event &e);
// The menus' loop and the game's switch the pad over. What it holds then stays unused until let
// go: the south button that clicked "resume" must not also jump.
void SetPadInMenu(bool menu);
// Menus: the left stick moves the pointer (mouseX, mouseY) by this many seconds' worth.
void MovePointerByPad(double seconds);
// A game frame: adds the pad's actions, and its aim when the right stick moved after the mouse.
void AddPadInput(tframeinput &in);
// The mouse moved: it aims again.
void MouseAims();
