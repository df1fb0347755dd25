#include "game/scores.h"

#include <cmath>

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

void EnterGameScores(const std::string &name, const tgamescores &s, bool won) {
  InsertScore(scoreTables[SCORE_SURVIVE], name, s.survive);
  if (won) InsertScore(scoreTables[SCORE_RESCUE], name, s.rescue);
  InsertScore(scoreTables[SCORE_HORDE], name, s.horde);
  InsertScore(scoreTables[SCORE_SLAYER], name, s.slayer);
}
