// What a replay proves: played headless by these rules on this data, the state it ends in and its
// four scores, or one line saying why it cannot be played here.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "game/scores.h"

struct tverdict {
  uint32_t rules = 0, seed = 0;
  size_t frames = 0;  // stepped, up to the frame the game ended on
  int32_t day = 0;
  double timeOfDay = 0;
  int32_t kills = 0;
  double supplies = 0;
  const char *ended = "unfinished";  // "rescued", "died", "base lost" or "unfinished"
  uint64_t hash = 0;                 // RuleStateHash() after the last frame
  tgamescores scores{};
};

// Reads the replay at `path` and plays it on the data folder set in baseDirectory. False with one
// line in `why` (naming the file) when the reader refuses it (not a replay, damaged, no frames),
// it was played by other rules or recorded with other data, or the data folder lacks a file the
// rules read.
bool VerifyReplay(const std::string &path, tverdict &verdict, std::string &why);
// The verdict as one line of JSON (no newline).
std::string VerdictJson(const tverdict &verdict);
