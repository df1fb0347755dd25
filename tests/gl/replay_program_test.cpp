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
  int endAt = -1;
  std::vector<double> shown;
  run.at(Shown("replay") + 300, [&] { run.shoot("replay_playing"); });
  run.key(Shown("replay") + 301, SDL_SCANCODE_F);  // on at double speed
  run.at(Shown("end screen") + 1, [&] { endAt = run.passes, shown = GameState(), run.shoot("replay_end"); });
  ClickAt(run, Shown("end screen") + 2, 0, -0.7);  // "done"
  EXPECT_EQ(run.run(static_cast<int>(replay.frames.size()) + 600), 0);
  ASSERT_GE(endAt, 0) << "the replay never reached its end screen";
  EXPECT_LT(run.passes, endAt + 10) << "\"done\" leaves the program that was started to watch";
  EXPECT_EQ(shown, recorded);
  EXPECT_FALSE(FileExists(run.dir().file("survivescores.zsc"))) << "a replay enters no score";
  EXPECT_EQ(ReplayFilesIn(run.dir().path()).size(), 0u) << "watching is not a game of its own";

  // Refused with one line before any window opens: the program's own checks (what the file
  // reader refuses is the reader's test).
  run.clearActions();
  treplay otherData = replay, otherRules = replay;
  otherData.dataChecksum ^= 1;
  otherRules.rulesVersion = RULES_VERSION + 1;
  for (const auto &bytes : {EncodeReplay(otherData), EncodeReplay(otherRules)}) {
    run.dir().write("game.rsr", bytes);
    EXPECT_EQ(run.run(50), 1);
    EXPECT_EQ(run.passes, 0);
  }
  for (auto &m : recorder.messages) ADD_FAILURE() << m.caption << ": " << m.text;
}
