// Scripted runs of the whole program: the real start-up, screen loops and shutdown, with SDL
// events pushed frame by frame, a fixed frame time and screenshots of chosen frames.
#pragma once
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "rig/rig.h"

// A pass of a run: a number counted from the start, or counted from the first pass of a named
// screen ("day banner", "game", "pause menu", "end screen", "replay", "main menu": the names
// the program's screen loops give). `Shown("game") + 2` is the game's third pass, however long
// the start-up and the day's banner took.
struct Pass {
  Pass(int pass) : offset(pass) {}  // NOLINT: a pass number is a pass
  Pass(std::string screen, int offset) : screen(std::move(screen)), offset(offset) {}
  std::string screen;  // "": from the run's start
  int offset;
};
inline Pass Shown(const std::string &screen) { return {screen, 0}; }
inline Pass operator+(Pass p, int n) { return p.offset += n, p; }
inline Pass operator-(Pass p, int n) { return p.offset -= n, p; }

class ScriptedRun {
 public:
  // Runs in a fresh copy of the built data folder (or an empty folder when copyData is false).
  explicit ScriptedRun(bool copyData = true);
  ~ScriptedRun();
  const TempDir &dir() const { return dir_; }

  // Actions run after the given pass has been drawn, before its swap; events they push arrive
  // before the next frame.
  // Actions at a pass counted from a screen run only once that screen shows: run() fails the
  // test, naming the screen, when the run ended before it.
  void at(Pass pass, std::function<void()> action);
  void key(Pass pass, int scancode) { hold(pass, scancode, 1); }
  void hold(Pass pass, int scancode, int passes);  // press now, release `passes` later
  void closeWindow(Pass pass);
  void screenshot(Pass pass, const std::string &name);
  void clearActions() { actions_.clear(); }  // before running again without them
  // Takes this pass's picture now as the last screenshot, and saves it.
  void shoot(const std::string &name);

  // Runs the program; a run still going after maxPasses is closed (so no test can hang).
  int run(int maxPasses = 2000);

  // The program's arguments after its name; empty: the run's folder holds the data and the
  // player's files (--data and --user both name it).
  std::vector<std::string> commandLine;
  // The world's seed: every reseed of the run repeats (-1: from the clock).
  int64_t seed = 1;
  int passes = 0;  // passes that reached flush and swap
  // The pass each named screen first showed in the last run (none: it never did).
  std::map<std::string, int> firstShown;
  std::vector<uint8_t> lastPixels;
  int shotWidth = 0, shotHeight = 0;

 private:
  TempDir dir_;
  // By the screen they count from ("": the start), then by pass.
  std::map<std::string, std::map<int, std::vector<std::function<void()>>>> actions_;
  std::string oldCwd_;
};

// Pixel coordinates of a screen-plane point in the current window.
void ScreenPlaneToPixels(double px, double py, int &x, int &y);
// The current window's id, for the events a test pushes.
uint32_t MainWindowId();
// Pushes, now, a key going down or up.
void PushKeyNow(int scancode, bool down);
