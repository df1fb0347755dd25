// Feeds arbitrary bytes to the score-table decoder: every 364-byte image must come back
// unchanged, names must stay within 20 characters, and inserting must keep the table whole.
#include <cstdlib>
#include <cstring>

#include "fuzz_common.h"
#include "persist/scores.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  messageHandler = QuietMessage;
  ScoreTable t = {};
  bool ok = DecodeScoreTable(data, size, t);
  if (ok != (size >= SCORE_TABLE_SIZE)) std::abort();
  if (!ok) return 0;
  std::vector<uint8_t> again = EncodeScoreTable(t);
  if (again.size() != SCORE_TABLE_SIZE || std::memcmp(again.data(), data, SCORE_TABLE_SIZE) != 0) std::abort();
  for (const ScoreEntry &e : t.entries)
    if (ScoreName(e).size() > SCORE_NAME_SIZE) std::abort();
  // A damaged table may be in any order; inserting must still only move entries within it.
  int32_t score = 0;
  if (size >= SCORE_TABLE_SIZE + 4) std::memcpy(&score, data + SCORE_TABLE_SIZE, 4);
  bool fits = Qualifies(t, score);
  InsertScore(t, "fuzz", score);
  if (fits) {
    bool found = false;
    for (const ScoreEntry &e : t.entries) found = found || (e.score == score && ScoreName(e) == "fuzz");
    if (!found) std::abort();
  }
  return 0;
}
