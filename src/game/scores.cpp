#include "game/scores.h"

#include <cmath>

#include "persist/replay_files.h"
#include "persist/scores.h"

int32_t ScoreFromValue(double value) {
  // A plain cast of a value outside the int32 range is undefined; the game's doubles can be
  // anything (an endless game, or NaN after a division by zero).
  if (std::isnan(value)) return 0;
  if (value >= 2147483647.0) return INT32_MAX;
  if (value <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(value);
}

tgamescores GameScores(const tgame &game) {
  tgamescores s;
  s.survive = ScoreFromValue((game.dayNumber + game.timeOfDay) * 1000);
  s.rescue = game.survivors;
  s.horde = ScoreFromValue(game.supplies * 100);
  s.slayer = game.kills;
  return s;
}

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
