// Scripted runs of the whole program: the real start-up, screen loops and shutdown, with SDL
// events pushed frame by frame, a fixed frame time and screenshots of chosen frames.
#pragma once
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "rig/rig.h"

class ScriptedRun {
 public:
  // Runs in a fresh copy of the built data folder (or an empty folder when copyData is false).
  explicit ScriptedRun(bool copyData = true);
  ~ScriptedRun();
  const TempDir &dir() const { return dir_; }

  // Actions run after the given pass has been drawn, before its swap; events they push arrive
  // before the next frame.
  void at(int pass, std::function<void()> action);
  void key(int pass, int scancode) { hold(pass, scancode, 1); }
  void hold(int pass, int scancode, int passes);  // press now, release `passes` later
  void closeWindow(int pass);
  void screenshot(int pass, const std::string &name);
  // Takes this pass's picture now as the last screenshot, and saves it.
  void shoot(const std::string &name);

  // Runs the program; a run still going after maxPasses is closed (so no test can hang).
  int run(int maxPasses = 2000);

  // The program's arguments after its name; empty: the run's folder holds the data and the
  // player's files (--data and --user both name it).
  std::vector<std::string> commandLine;
  // The world's seed: every reseed of the run repeats (-1: from the clock).
  int64_t seed = 1;
  int passes = 0;        // passes that reached flush and swap
  std::string lastShot;  // path of the last screenshot taken
  std::vector<uint8_t> lastPixels;
  int shotWidth = 0, shotHeight = 0;

 private:
  TempDir dir_;
  std::map<int, std::vector<std::function<void()>>> actions_;
  std::string oldCwd_;
};

// Pixel coordinates of a screen-plane point in the current window.
void ScreenPlaneToPixels(double px, double py, int &x, int &y);
// The current window's id, for the events a test pushes.
uint32_t MainWindowId();
// Pushes, now, a key going down or up.
void PushKeyNow(int scancode, bool down);
