// The golden replays: a few recorded games kept under tests/data/golden with how each ended and
// the rule state's hash after every frame. Every build on every machine must play them to the
// very same hashes; a change that moves the game fails them until they are recorded again
// (`cmake --build build --target goldens`) and the rules version is raised.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "persist/replay.h"
#include "rig/play.h"

// How a game ended, as pinned in ends.txt: one line a game, after the line "rules N" naming the
// rules version that recorded them.
struct tgoldenend {
  std::string name;
  int32_t day = 0, kills = 0;
  double supplies = 0;
  std::string ending;      // "rescue", "death", "base", or "none" when the frames ran out first
  int32_t scores[4] = {};  // survive, rescue, horde, slayer
  uint64_t frames = 0;
  uint64_t chain = 0;  // FNV-1a over every frame's hash, in order
};

struct tgoldenrun {
  tgoldenend end;
  std::vector<uint64_t> hashes;  // RuleStateHash after each frame
  std::string missing;           // a data file the game could not start without
  uint64_t dataChecksum = 0;     // of the data folder it was played on
};

// A scripted game played headless and kept as the window keeps a game: every frame's input on the
// replay's grid (`frameTime` should lie on it), the seed, the game type's help day, the hints on,
// the background's phase the game began with (Game.skyScroll) and the built data's checksum. The
// game's state after the script is left for the caller to read.
treplay RecordGame(tgametype type, uint32_t seed, double frameTime, const std::function<void(Play &)> &script);

// Plays a replay headless on the built data folder, hashing the rule state after every frame.
tgoldenrun PlayGolden(const std::string &name, const treplay &replay, bool particlesOff = false);

std::string GoldenDir();
std::string EndLine(const tgoldenend &end);
// False on a line that is not one EndLine wrote.
bool ParseEndLine(const std::string &line, tgoldenend &end);
// The per-frame list: each frame's hash's low 32 bits, little-endian (the chain holds all 64).
std::string HashList(const std::vector<uint64_t> &hashes);
std::vector<uint32_t> ParseHashList(const std::string &text);
