// A finished game's four scores and their entry into the high-score tables.
#pragma once
#include <cstdint>
#include <string>

#include "game/state.h"

struct tgamescores {
  int32_t survive;  // (dayNumber + timeOfDay) x 1000
  int32_t rescue;   // survivors; counted only for a won game
  int32_t horde;    // supplies x 100, negative once the base is lost
  int32_t slayer;   // kills
};

// Truncated towards zero; values beyond the int32 range stop at its ends and a NaN counts as 0.
int32_t ScoreFromValue(double value);
tgamescores GameScores(const tgame &game);
// Whether any table would take one of these scores (the rescue table only when won).
bool AnyScoreQualifies(const tgamescores &scores, bool won);
// Inserts the scores under one name into the survive, rescue (won only), horde and slayer tables;
// each entry made is linked to the game's replay file ("" for none).
void EnterGameScores(const std::string &name, const tgamescores &scores, bool won, const std::string &replay = "");
