// The golden replays play to the very rule states they were recorded with, frame by frame: on
// any build, compiler or C library. A change that moves the game fails here until the goldens are
// recorded again (`cmake --build build --target goldens`) and RULES_VERSION is raised.
#include <gtest/gtest.h>

#include <sstream>

#include "game/rules_version.h"
#include "rig/golden.h"
#include "rig/rig.h"

namespace {

// The first frame whose hash differs from the pinned list, or -1.
long FirstDifference(const std::vector<uint64_t> &played, const std::vector<uint32_t> &pinned) {
  for (size_t i = 0; i < played.size() || i < pinned.size(); ++i)
    if (i >= played.size() || i >= pinned.size() || static_cast<uint32_t>(played[i]) != pinned[i])
      return static_cast<long>(i);
  return -1;
}

}  // namespace

TEST(GoldenReplays, PlayToThePinnedStateOnEveryFrame) {
  const std::string ends = FileText(GoldenDir() + "/ends.txt");
  ASSERT_FALSE(ends.empty()) << "no " << GoldenDir() << "/ends.txt";
  std::istringstream lines(ends);
  std::string line;
  ASSERT_TRUE(std::getline(lines, line));
  EXPECT_EQ(line, "rules " + std::to_string(RULES_VERSION)) << "recorded by other rules: record the goldens again";
  int games = 0;
  while (std::getline(lines, line)) {
    tgoldenend pinned;
    ASSERT_TRUE(ParseEndLine(line, pinned)) << "ends.txt: " << line;
    SCOPED_TRACE(pinned.name);
    const std::vector<uint8_t> bytes = FileBytes(GoldenDir() + "/" + pinned.name + ".rsr");
    treplay replay;
    ASSERT_EQ(DecodeReplay(bytes.data(), bytes.size(), replay), REPLAY_OK);
    // Aiming at a new zombie every frame and running about costs a few bytes a frame at most.
    EXPECT_LT(bytes.size(), 5 * replay.frames.size()) << "a few bytes a frame";
    EXPECT_EQ(RulesRefusal(replay.rulesVersion), "");
    const tgoldenrun run = PlayGolden(pinned.name, replay);
    ASSERT_EQ(run.missing, "");
    EXPECT_EQ(replay.dataChecksum, run.dataChecksum) << "the game's data changed: record the goldens again";
    const long first =
        FirstDifference(run.hashes, ParseHashList(FileText(GoldenDir() + "/" + pinned.name + ".hashes")));
    EXPECT_EQ(first, -1) << "the rule state first differs on frame " << first << " (from 0) of " << run.hashes.size();
    EXPECT_EQ(EndLine(run.end), EndLine(pinned));
    ++games;
  }
  EXPECT_EQ(games, 3);
}
