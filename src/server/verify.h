// What a replay proves: played headless by these rules on this data, the state it ends in and its
// four scores, or one line saying why it cannot be played here.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "game/scores.h"
#include "persist/replay.h"

struct tverdict {
  uint32_t rules = 0, seed = 0;
  size_t frames = 0;  // stepped, up to the frame the game ended on
  int32_t day = 0;
  double timeOfDay = 0;
  int32_t kills = 0;
  double supplies = 0;
  const char *ended = "unfinished";  // "rescued", "died", "base lost" or "unfinished"
  bool won = false;
  double seconds = 0;  // game time played: the sum of the stepped frames' times
  bool cut = false;    // the file was cut short and only its whole blocks played
  uint64_t hash = 0;   // RuleStateHash() after the last frame
  tgamescores scores{};
};

// Why a replay cannot be played here, as the score server counts it.
enum tverifyrefusal { VERIFY_DAMAGED, VERIFY_CUT_SHORT, VERIFY_OTHER_RULES, VERIFY_OTHER_DATA, VERIFY_NO_DATA };
// "damaged", "cut short", "other rules", "other data", "no data" (the data folder lacks a file).
const char *VerifyRefusalCode(tverifyrefusal refusal);

// Reads the replay at `path` ("-" for standard input) and loads what the rules play it with from
// the data folder set in baseDirectory. False with one line in `why` (naming the file) and its
// kind when the reader refuses it (not a replay, damaged, no frames), it was played by other
// rules or recorded with other data, or the data folder lacks a file the rules read. A file cut
// short is read (`cut`): its whole blocks play.
bool ReadForVerify(const std::string &path, treplay &replay, bool &cut, std::string &why, tverifyrefusal &refusal);
// Plays a replay ReadForVerify read, opening no file.
tverdict PlayForVerify(const treplay &replay, bool cut);
// The verdict as one line of JSON (no newline).
std::string VerdictJson(const tverdict &verdict);
// A refusal as one line of JSON: {"refused": code, "reason": why}.
std::string RefusalJson(tverifyrefusal refusal, const std::string &why);
