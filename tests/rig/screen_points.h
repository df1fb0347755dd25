// Screen-plane helpers for scripted runs of the menus: pointer moves, clicks and ink counts by
// screen-plane position, in whatever window is current (a re-created window may have another size).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "rig/scripted_run.h"

// Pushes, now, the pointer's move to the screen-plane point and the left button going down or up.
void PushMouseNow(double x, double y, bool down);
// Moves the pointer there and presses the left button at the given pass; releases it one pass later.
void ClickAt(ScriptedRun &run, Pass pass, double x, double y);
// Clicks a text field at the screen-plane point, erases `erase` characters and types the digits,
// one key every other pass. Returns the first pass after the typing.
Pass TypeDigits(ScriptedRun &run, Pass pass, double x, double y, int erase, const std::string &digits);
// Presses a key at the given pass and keeps it down (no release).
void HoldKey(ScriptedRun &run, Pass pass, int scancode);
// Main menu "Begin" at pass 4, then at pass 8 the game type whose button stands at line y
// (1.4 the short game, 0.7 the rescue, -0.1 the endless one).
void BeginGame(ScriptedRun &run, double typeY = 1.4);
// Dark pixels of the run's last screenshot inside the screen-plane rectangle.
int InkIn(const ScriptedRun &run, const std::vector<uint8_t> &rgb, double x0, double y0, double x1, double y1);
