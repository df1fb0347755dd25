// A replay played through the whole program with --replay to the very state its game ended in.
// (A game played in the window, kept and played again headless is the played game's test.)
#include <SDL.h>

#include "base/files.h"
#include "game/rules_version.h"
#include "game/state.h"
#include "rig/golden.h"
#include "rig/play.h"
#include "rig/screen_points.h"

TEST(ReplayProgram, AReplayPlaysInTheWindowToTheSameEndScreenAndDamagedOnesAreRefused) {
  // The golden game lost at night, and the state it ends in when played headless.
  const std::vector<uint8_t> good = FileBytes(GoldenDir() + "/lost.rsr");
  treplay replay;
  ASSERT_EQ(DecodeReplay(good.data(), good.size(), replay), REPLAY_OK);
  ASSERT_NE(PlayGolden("lost", replay).end.ending, "none");
  const std::vector<double> recorded = GameState();
  MessageRecorder recorder;
  ScriptedRun run;  // on a copy of the built data, which the golden was recorded on
  run.dir().write("game.rsr", good);
  run.commandLine = {"--data", run.dir().path(), "--user", run.dir().path(), "--replay", run.dir().file("game.rsr")};
  int still = 0, endAt = -1;
  double lastClock = -1;
  std::vector<double> shown;
  const int MAX = static_cast<int>(replay.frames.size()) + 600;
  for (int p = 1; p < MAX; ++p)
    run.at(p, [&, p] {
      if (p == 300) run.shoot("replay_playing");
      if (p == 301) PushKeyNow(SDL_SCANCODE_F, true);  // on at double speed
      if (p == 302) PushKeyNow(SDL_SCANCODE_F, false);
      if (endAt < 0) {
        still = Game.timeOfDay == lastClock ? still + 1 : 0;
        lastClock = Game.timeOfDay;
        if (still > 170 && Game.dayNumber >= 1) endAt = p, shown = GameState(), run.shoot("replay_end");
        return;
      }
      if (p == endAt + 1) PushMouseNow(0, -0.7, true);  // "done"
      if (p == endAt + 2) PushMouseNow(0, -0.7, false);
    });
  EXPECT_EQ(run.run(MAX), 0);
  ASSERT_GE(endAt, 0) << "the replay never reached its end screen";
  EXPECT_LT(run.passes, endAt + 10) << "\"done\" leaves the program that was started to watch";
  EXPECT_EQ(shown, recorded);
  EXPECT_FALSE(FileExists(run.dir().file("survivescores.zsc"))) << "a replay enters no score";
  EXPECT_EQ(ReplayFilesIn(run.dir().path()).size(), 0u) << "watching is not a game of its own";

  // Refused with one line before any window opens.
  treplay otherData = replay, otherRules = replay, empty = replay;
  otherData.dataChecksum ^= 1;
  otherRules.rulesVersion = RULES_VERSION + 1;
  empty.frames.clear();
  std::vector<uint8_t> otherVersion = good, damaged = good;
  otherVersion[8] = 9;
  damaged[REPLAY_HEADER_SIZE + 30] ^= 0x40;
  for (const auto &bytes :
       {EncodeReplay(otherData), EncodeReplay(otherRules), EncodeReplay(empty), otherVersion, damaged}) {
    run.dir().write("game.rsr", bytes);
    EXPECT_EQ(run.run(50), 1);
    EXPECT_EQ(run.passes, 0);
  }
  for (auto &m : recorder.messages) ADD_FAILURE() << m.caption << ": " << m.text;
}
