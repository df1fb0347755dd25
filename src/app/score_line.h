// One line of a high-score table as the high-score screen shows it.
#pragma once
#include <string>

#include "persist/scores.h"

// " 1. name ......... 1234": place, name (only what the font can draw), then dots running the
// score out to the 48th character unless the name is too long for that.
std::string ScoreLine(int index, const ScoreEntry &entry);
// The same for a place counted from 1 (a world board's rank), any name and score.
std::string ScoreLine(int64_t place, const std::string &name, int64_t score);
