// A whole game without a window, GL or a sound device: set up from a seed and the game type's
// base help day, then stepped frame by frame from inputs, its day transitions and closing
// sequences included. Tests play it from scripts; a replay is its seed and its inputs.
#pragma once
#include <cstdint>
#include <string>

#include "base/input.h"
#include "game/frame.h"
#include "persist/replay.h"

// Loads what the rules need from the data folder (the figure, its animations, the weapon table)
// and sets the game up. Returns the missing data file, or an empty string when the game began.
std::string StartHeadlessGame(uint32_t seed, int32_t helpBase);
// One frame of the rules. Once a result says `ended`, the game is over.
tframeresult StepHeadlessGame(const tframeinput &in);

// Sets a game up as the replay's was set up: its game type, the background's phase, its seed.
void SetupReplayGame(const treplay &replay, const tframehooks &hooks);
// Plays a replay headless from its start until its frames end or the game does. Returns the last
// frame's result (all zero for no frames); `played` counts the frames stepped. A missing data file
// is named in `missing`, and nothing is played.
tframeresult PlayHeadlessReplay(const treplay &replay, size_t *played, std::string *missing = nullptr);
// The same once LoadGameRules has loaded the data: plays the frames alone.
tframeresult PlayLoadedReplay(const treplay &replay, size_t *played);
