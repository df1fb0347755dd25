// The replays in the records folder: their names, which high-score entry each one is behind, and
// which are kept. The score files keep their layout; the links live in "replays.idx" beside them,
// with the kept replays in the order they were saved (the wall clock may stand still or go back).
#pragma once
#include <set>
#include <string>
#include <vector>

#include "persist/replay.h"
#include "persist/scores.h"

// The newest replays kept whatever they are; those behind a high-score entry are kept besides.
constexpr size_t REPLAYS_KEPT = 20;

// "replay-YYYYMMDD-HHMMSS-SEED.rsr", in universal time. SaveReplay adds "-2", "-3", ... before
// ".rsr" when the name is taken.
std::string NewReplayName(uint32_t seed);
// A name SaveReplay could have written (and so one safe to join to the records folder).
bool IsReplayName(const std::string &name);

// The replay file behind each entry of each table ("" for none), rank for rank.
extern std::string scoreReplays[SCORE_CATEGORIES][SCORE_ENTRIES];
// An entry was inserted at `rank`: the links below it move down with their entries.
void LinkScoreReplay(ScoreCategory table, int rank, const std::string &file);
// Reads "replays.idx": each link goes to the entry of its table with the same name and score,
// wherever that entry now stands (a table copied from elsewhere loses its links, never takes a
// wrong one). A damaged index gives what its whole lines hold, and nothing saved before it is
// pruned again: only replays the index names as kept are ever pruned.
void LoadReplayLinks();
// Writes the index: save it before the tables, so a table never holds an entry whose link was
// not written.
bool SaveReplayLinks();
// Every replay linked from a table.
std::set<std::string> LinkedReplays();
// Forgets the links whose file is gone, so "watch" shows only for a replay there is.
void ForgetMissingReplays();

// Of the kept replays, oldest first, those to delete: all but the newest `keep` and the linked.
std::vector<std::string> ReplaysToRemove(const std::vector<std::string> &keptOldestFirst,
                                         const std::set<std::string> &linked, size_t keep = REPLAYS_KEPT);
// Writes the replay into the records folder under `name`, or the first free variant of it (never
// over another file, though another program saves at the same second), then deletes the kept
// replays no longer kept. Returns the name written, "" (and one line on stderr) when none was.
std::string SaveReplay(const treplay &replay, const std::string &name);
