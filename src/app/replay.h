// Replays in the window: every game recorded as it is played, and a replay played back.
#pragma once
#include <string>

#include "base/input.h"
#include "persist/replay.h"

// ---- recording (run_game.cpp's game)

// A game is about to be set up from `seed`: notes what the replay's header holds.
void BeginRecording(uint32_t seed);
// Puts the frame's input on the replay's grids and records it.
void RecordFrame(tframeinput &in);
// Writes the game's replay into the records folder, once, however the game ended. A game shorter
// than a couple of seconds is not kept. Returns the file's name ("" when none was written).
std::string FinishRecording();

// ---- playback (replay_screen.cpp)

// Reads a replay file (LoadReplay: bounded, every field checked) and checks it was played by these
// rules with this data. False with one line saying why not.
bool ReadReplayFile(const std::string &path, treplay &replay, std::string &why);
// Plays a replay in the window as it was played, its end screen included (no score is entered).
// Escape leaves; F switches double speed. Returns the frames played.
size_t WatchReplay(const treplay &replay);
// Reads and plays a replay file, or says in a message box why it cannot.
void WatchReplayFile(const std::string &path);
// The game data loaded and the level folder checked, as a game needs them; false after a message box.
bool PrepareGameData();
