#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "base/files.h"
#include "game/scores.h"
#include "persist/folders.h"
#include "persist/replay_files.h"
#include "rig/rig.h"

namespace {
// A records folder of its own, with empty tables, for one test.
struct Records {
  TempDir dir;
  std::string saved = recordsDirectory;
  Records() {
    recordsDirectory = dir.path();
    for (ScoreTable &t : scoreTables) t = ScoreTable{};
    LoadReplayLinks();
  }
  ~Records() {
    for (ScoreTable &t : scoreTables) t = ScoreTable{};
    LoadReplayLinks();
    recordsDirectory = saved;
  }
  std::set<std::string> Files() const { return ReplayFilesIn(dir.path()); }
};

treplay Played(uint32_t seed) {
  treplay r;
  r.rulesVersion = 2, r.seed = seed;
  r.frames.assign(3, tframeinput{0.0125, 0, 0, {0, 0}});
  return r;
}

// Games ending a second apart on the given day.
std::string NameOn(const char *day, int second) {
  char name[64];
  std::snprintf(name, sizeof name, "replay-%s-1200%02d-0000abcd.rsr", day, second);
  return name;
}

std::vector<std::string> SaveGames(const char *day, int count) {
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i) names.push_back(SaveReplay(Played(i), NameOn(day, i)));
  return names;
}
}  // namespace

TEST(ReplayKeeping, KeepsTheLastTwentySavedWhateverTheClockSays) {
  Records records;
  std::vector<std::string> names = SaveGames("20271208", 2);
  EnterGameScores("ann", {500, 0, 10, 3}, false, names[1]);
  ASSERT_TRUE(SaveReplayLinks());
  for (int i = 2; i < 22; ++i) names.push_back(SaveReplay(Played(i), NameOn("20271208", i)));
  // The clock battery died: the next game ends a year before the newest name.
  const std::string behind = SaveReplay(Played(99), NameOn("20261208", 0));
  ASSERT_EQ(behind, NameOn("20261208", 0));
  std::set<std::string> expected(names.begin() + 3, names.end());
  expected.insert(names[1]);  // behind a high score
  expected.insert(behind);
  EXPECT_EQ(records.Files(), expected);
  // The next game, on a clock still behind, pushes out the oldest saved, not the oldest named.
  SaveReplay(Played(100), NameOn("20261208", 1));
  EXPECT_TRUE(records.Files().count(behind));
  EXPECT_FALSE(records.Files().count(names[3]));
  // Watch is offered only for a replay that is there.
  EnterGameScores("bob", {400, 0, 5, 2}, false, behind);
  std::filesystem::remove(records.dir.file(names[1]));
  ForgetMissingReplays();
  EXPECT_EQ(scoreReplays[SCORE_SURVIVE][0], "");
  EXPECT_EQ(scoreReplays[SCORE_SURVIVE][1], behind);
}

TEST(ReplayKeeping, NeverWritesOverAnotherGame) {
  Records records;
  const std::string name = NameOn("20261208", 5);
  const std::string first = SaveReplay(Played(1), name), second = SaveReplay(Played(2), name);
  EXPECT_EQ(first, name);
  EXPECT_EQ(second, "replay-20261208-120005-0000abcd-2.rsr");
  for (const auto &[file, seed] : {std::pair{first, 1u}, std::pair{second, 2u}}) {
    std::vector<uint8_t> bytes;
    treplay read;
    ASSERT_TRUE(ReadFileBytes(records.dir.file(file), bytes));
    ASSERT_EQ(DecodeReplay(bytes.data(), bytes.size(), read), REPLAY_OK) << file;
    EXPECT_EQ(read.seed, seed) << file;
  }
  for (const char *bad : {"replay-20261208-120005-0000abcd-1.rsr", "replay-20261208-120005-0000abcd-02.rsr",
                          "replay-20261208-120005-0000abcd-.rsr", "../replay-20261208-120005-0000abcd.rsr",
                          "replay-20261208-120005-0000abcg.rsr", "replay-2026.rsr"})
    EXPECT_FALSE(IsReplayName(bad)) << bad;
}

TEST(ReplayKeeping, LinksFollowTheirEntriesAndSurviveADamagedIndex) {
  const struct {
    const char *what;
    void (*damage)(std::vector<uint8_t> &);
  } damages[] = {
      {"cut short", [](std::vector<uint8_t> &b) { b.resize(b.size() / 2); }},
      {"a line garbled", [](std::vector<uint8_t> &b) { b[b.size() / 3] = 0xff; }},
      {"emptied", [](std::vector<uint8_t> &b) { b.clear(); }},
      {"overwritten", [](std::vector<uint8_t> &b) { std::fill(b.begin(), b.end(), 0); }},
  };
  for (const auto &d : damages) {
    Records records;
    std::vector<std::string> names = SaveGames("20261208", 5);
    EnterGameScores("ann", {500, 0, 10, 3}, false, names[1]);
    EnterGameScores("bob", {900, 0, 5, 3}, false, names[4]);
    ASSERT_TRUE(SaveReplayLinks());
    // A better game entered while the index was not written: the links are found by name and
    // score wherever their entries now stand.
    InsertScore(scoreTables[SCORE_SURVIVE], "cyd", 1000);
    LoadReplayLinks();
    EXPECT_EQ(scoreReplays[SCORE_SURVIVE][1], names[4]) << d.what;
    EXPECT_EQ(scoreReplays[SCORE_SURVIVE][2], names[1]) << d.what;
    EXPECT_EQ(scoreReplays[SCORE_HORDE][0], names[1]) << d.what;

    std::vector<uint8_t> index;
    ASSERT_TRUE(ReadFileBytes(records.dir.file("replays.idx"), index));
    d.damage(index);
    records.dir.write("replays.idx", index);
    LoadReplayLinks();
    SaveGames("20261209", 30);
    for (const std::string &n : names) EXPECT_TRUE(records.Files().count(n)) << d.what << ": " << n;
    EXPECT_EQ(records.Files().size(), names.size() + REPLAYS_KEPT) << d.what << ": the new ones are pruned again";
  }
}
