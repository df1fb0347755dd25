// A finished game's scores meet the player's high-score tables (kept in the player's folders, so
// apart from the rules, which play without them).
#include "game/scores.h"
#include "persist/replay_files.h"
#include "persist/scores.h"

bool AnyScoreQualifies(const tgamescores &s, bool won) {
  bool any = Qualifies(scoreTables[SCORE_SURVIVE], s.survive);
  if (won) any = any || Qualifies(scoreTables[SCORE_RESCUE], s.rescue);
  any = any || Qualifies(scoreTables[SCORE_HORDE], s.horde);
  return any || Qualifies(scoreTables[SCORE_SLAYER], s.slayer);
}

void EnterGameScores(const std::string &name, const tgamescores &s, bool won, const std::string &replay) {
  const struct {
    ScoreCategory table;
    int32_t score;
  } entries[] = {
      {SCORE_SURVIVE, s.survive}, {SCORE_RESCUE, s.rescue}, {SCORE_HORDE, s.horde}, {SCORE_SLAYER, s.slayer}};
  for (const auto &e : entries) {
    if (e.table == SCORE_RESCUE && !won) continue;
    const int rank = InsertScore(scoreTables[e.table], name, e.score);
    if (rank >= 0) LinkScoreReplay(e.table, rank, replay);
  }
}
