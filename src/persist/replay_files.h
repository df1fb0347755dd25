// The replays in the records folder: their names, which high-score entry each one is behind, and
// which are kept. The score files keep their layout; the links live in "replays.idx" beside them.
#pragma once
#include <set>
#include <string>
#include <vector>

#include "persist/replay.h"
#include "persist/scores.h"

// The newest replays kept whatever they are; those behind a high-score entry are kept besides.
constexpr size_t REPLAYS_KEPT = 20;

// "replay-YYYYMMDD-HHMMSS-SEED.rsr", in universal time: names sort as the games ended.
std::string NewReplayName(uint32_t seed);
// A name NewReplayName could have made (and so one safe to join to the records folder).
bool IsReplayName(const std::string &name);

// The replay file behind each entry of each table ("" for none), rank for rank.
extern std::string scoreReplays[SCORE_CATEGORIES][SCORE_ENTRIES];
// An entry was inserted at `rank`: the links below it move down with their entries.
void LinkScoreReplay(ScoreCategory table, int rank, const std::string &file);
// The links of "replays.idx", each kept only where its table still holds the same name and score
// at that rank (a table copied from elsewhere loses its links, never takes a wrong one).
void LoadReplayLinks();
bool SaveReplayLinks();
// Every replay linked from a table.
std::set<std::string> LinkedReplays();

// Of the replay names (any order), those to delete: all but the newest `keep` and the linked.
std::vector<std::string> ReplaysToRemove(std::vector<std::string> names, const std::set<std::string> &linked,
                                         size_t keep = REPLAYS_KEPT);
// Writes the replay into the records folder through a temporary and a rename, then deletes the
// replays no longer kept. False (and one line on stderr) when it could not be written.
bool SaveReplay(const treplay &replay, const std::string &name);
