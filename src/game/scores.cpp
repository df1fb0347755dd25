#include "game/scores.h"

#include <cmath>

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
