#include <gtest/gtest.h>

#include <functional>
#include <tuple>

#include "base/files.h"
#include "game/scores.h"
#include "persist/folders.h"
#include "persist/replay_files.h"
#include "rig/rig.h"

namespace {
treplay Sample() {
  treplay r;
  r.seed = 0xdeadbeef, r.helpBase = -10, r.tutorial = 1, r.skyScroll = 0.625, r.dataChecksum = 0x0123456789abcdefull;
  // Steady frames, a long one, every action, the pointer still, crawling, leaping and far out.
  const double times[] = {0.013, 0.0131, 0.0129, 0.017, 1.5, 0.013, 0.0135};
  for (int i = 0; i < 300; ++i) {
    tframeinput in{times[i % 7],
                   static_cast<uint16_t>((i * 37) & 0x1ff),
                   static_cast<uint16_t>(i % 5 ? 0 : 0x101),
                   {i < 100 ? 0.5 : -4.9 + 0.01 * i, i % 50 == 0 ? -300.0 : 3.7}};
    QuantiseFrameInput(in);
    r.frames.push_back(in);
  }
  return r;
}
}  // namespace

TEST(ReplayFile, ReadsBackExactlyAndRefusesWhatItCannotPlay) {
  const treplay sample = Sample();
  const std::vector<uint8_t> good = EncodeReplay(sample);
  using Edit = std::function<void(std::vector<uint8_t> &)>;
  const auto flip = [](size_t at) -> Edit { return [at](std::vector<uint8_t> &b) { b[at] ^= 0x10; }; };
  const auto cut = [](size_t size) -> Edit { return [size](std::vector<uint8_t> &b) { b.resize(size); }; };
  // {what, edit, status, frames read when it plays}
  const std::tuple<const char *, Edit, treplaystatus, size_t> cases[] = {
      {"as written", [](std::vector<uint8_t> &) {}, REPLAY_OK, 300},
      {"empty", cut(0), REPLAY_NOT_A_REPLAY, 0},
      {"another file", flip(2), REPLAY_NOT_A_REPLAY, 0},
      {"format 3", [](std::vector<uint8_t> &b) { b[8] = 3; }, REPLAY_OTHER_VERSION, 0},
      {"header cut", cut(REPLAY_HEADER_SIZE - 1), REPLAY_DAMAGED, 0},
      {"seed changed", flip(12), REPLAY_DAMAGED, 0},
      {"a frame changed", flip(REPLAY_HEADER_SIZE + 40), REPLAY_DAMAGED, 0},
      {"bytes after the frames", [](std::vector<uint8_t> &b) { b.push_back(0); }, REPLAY_DAMAGED, 0},
      {"no frames left", cut(REPLAY_HEADER_SIZE), REPLAY_TRUNCATED, 0},
      {"cut inside the only block", cut(good.size() - 1), REPLAY_TRUNCATED, 0},
  };
  for (const auto &[what, edit, status, frames] : cases) {
    std::vector<uint8_t> bytes = good;
    edit(bytes);
    treplay read;
    read.seed = 7;
    EXPECT_EQ(DecodeReplay(bytes.data(), bytes.size(), read), status) << what;
    if (status == REPLAY_OK || status == REPLAY_TRUNCATED) {
      treplay expected = sample;  // every header field and the frames that are whole, exactly
      expected.frames.resize(frames);
      EXPECT_EQ(EncodeReplay(read), EncodeReplay(expected)) << what;
    } else {
      EXPECT_EQ(read.seed, 7u) << what << ": a refused file changes nothing";
      EXPECT_FALSE(ReplayRefusal(status).empty()) << what;
    }
  }
  // The grids are fine enough that nobody could feel them.
  tframeinput in{0.0130001, 0, 0, {1.23456, -2.5}};
  QuantiseFrameInput(in);
  EXPECT_NEAR(in.frameTime, 0.013, FRAME_TIME_STEP);
  EXPECT_NEAR(in.pointer.x, 1.23456, POINTER_STEP);
}

TEST(ReplayFile, KeepsTheLastTwentyAndThoseBehindHighScores) {
  TempDir dir;
  const std::string savedRecords = recordsDirectory;
  recordsDirectory = dir.path();
  for (ScoreTable &t : scoreTables) t = ScoreTable{};
  LoadReplayLinks();
  // 23 games, one a second; the second and the fifth made the tables.
  std::vector<std::string> names;
  for (int i = 0; i < 23; ++i) names.push_back("replay-20260101-1200" + std::to_string(10 + i) + "-0000000" + "1.rsr");
  for (const std::string &n : names) ASSERT_TRUE(IsReplayName(n)) << n;
  EnterGameScores("ann", {500, 0, 10, 3}, false, names[1]);
  EnterGameScores("bob", {900, 0, 5, 3}, false, names[4]);
  EXPECT_EQ(scoreReplays[SCORE_SURVIVE][0], names[4]);
  EXPECT_EQ(scoreReplays[SCORE_SURVIVE][1], names[1]) << "moved down with its entry";
  EXPECT_EQ(scoreReplays[SCORE_HORDE][0], names[1]);
  EXPECT_EQ(scoreReplays[SCORE_SLAYER][0], names[4]) << "an equal score goes above";
  std::vector<std::string> removed = ReplaysToRemove(names, LinkedReplays());
  EXPECT_EQ(removed, (std::vector<std::string>{names[2], names[0]}));
  // The links come back from their file, but only onto the entries they were made for.
  ASSERT_TRUE(SaveReplayLinks());
  scoreReplays[SCORE_HORDE][0].clear();
  LoadReplayLinks();
  EXPECT_EQ(scoreReplays[SCORE_HORDE][0], names[1]);
  InsertScore(scoreTables[SCORE_SURVIVE], "cyd", 1000);  // a table changed behind the index's back
  LoadReplayLinks();
  EXPECT_EQ(scoreReplays[SCORE_SURVIVE][0], "");
  EXPECT_EQ(scoreReplays[SCORE_SURVIVE][1], "") << "bob's link was made for rank 0";
  EXPECT_EQ(scoreReplays[SCORE_HORDE][0], names[1]);
  for (const char *bad :
       {"replay-2026.rsr", "../replay-20260101-120010-00000001.rsr", "replay-20260101-120010-0000000g.rsr"})
    EXPECT_FALSE(IsReplayName(bad)) << bad;
  for (ScoreTable &t : scoreTables) t = ScoreTable{};
  LoadReplayLinks();
  recordsDirectory = savedRecords;
}
