// Whole-game combat runs: the real program from the main menu into a game, the scene set by
// actions between frames (zombies placed, weapons handed out, keys and buttons held) and
// screenshots taken when something happens.
#pragma once
#include <functional>
#include <string>

#include "game/objects.h"
#include "game/state.h"
#include "platform/window.h"
#include "rig/scripted_run.h"
#include "world/terrain.h"

// The first day's banner has faded by this pass.
constexpr int IN_GAME = 200;

class CombatRun : public ::testing::Test {
 protected:
  MessageRecorder recorder;
  ScriptedRun run;
  // Main menu "Begin", then a game type (1.4 short, 0.7 long, -0.1 infinite) in a window of
  // the given size.
  void StartGame(double typeY = -0.1, int width = 1024, int height = 768);
  // Runs the program, closing it at `last` unless it was closed before; no message box may
  // have been shown.
  void Play(int last);
  // fn(pass) on every pass from `from` up to and excluding `to`.
  void EachPass(int from, int to, const std::function<void(int)> &fn);
  // Late morning without new groups: the scene holds only what the test puts there.
  void QuietDay(int from, int to);
  // Flat ground (top at y = 0) in every tile; the base piece can carry extra blocks.
  void WriteArena(const tblkarray &baseExtras = {});
  // A smaller window for long runs that look at no picture (fill is most of a frame's cost).
  void UseWindowSize(int width, int height);
};

// The back buffer of this pass (already drawn) as a PNG in the screenshot folder.
void ShotNow(const std::string &name);
// Closes the window at once, as a player would.
void CloseNow();
// The pointer at a screen-plane point (x from -5 to 5 across the window).
void PointAt(double x, double y);
// The ground under x near the base's height.
tvector Ground(double x);
// A zombie idling at x on the ground; HoldZombie keeps it there.
int PlaceZombie(double x);
void HoldZombie(int i, double x);

// When the game's own frame stopped: its clock stood still for longer than a day's banner.
struct ClockWatch {
  double last = -1;
  int stillFor = 0, endedAt = -1;
  bool ended(int pass);
};
