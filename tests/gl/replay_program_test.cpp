// Replays through the whole program: played in the window, kept, and played again headless or
// with --replay to the very same state.
#include <SDL.h>

#include <cmath>
#include <filesystem>

#include "base/files.h"
#include "game/load.h"
#include "game/objects.h"
#include "game/rules_version.h"
#include "game/runner.h"
#include "game/state.h"
#include "persist/options.h"
#include "persist/replay_files.h"
#include "platform/window.h"
#include "rig/play.h"
#include "rig/screen_points.h"

namespace {
// The game's base directory for its lifetime.
struct BaseAt {
  explicit BaseAt(const std::string &folder) { baseDirectory = folder; }
  ~BaseAt() { baseDirectory = saved; }
  std::string saved = baseDirectory;
};

std::vector<std::string> ReplaysIn(const std::string &folder) {
  std::vector<std::string> names;
  for (const auto &e : std::filesystem::directory_iterator(folder))
    if (IsReplayName(e.path().filename().string())) names.push_back(e.path().string());
  return names;
}

}  // namespace

TEST(ReplayProgram, AGamePlayedInTheWindowReplaysHeadlessToTheSameState) {
  MessageRecorder recorder;
  ScriptedRun run;
  BeginGame(run);  // the short game
  std::vector<double> live;
  // Out and back with a jump, Insert into the second night, a fight, then Escape and "main menu".
  for (int p = 12; p <= 650; ++p)
    run.at(p, [&, p] {
      keyDown[Options.keyRight] = p < 60;
      keyDown[Options.keyLeft] = p >= 80 && p < 120;
      keyDown[Options.keyJump] = p == 70;
      keyDown[45] = p >= 120 && (Game.dayNumber < 2 || Game.timeOfDay < 0.7);
      tvector z{0, 0};
      mouseLeftDown = Game.dayNumber == 2 && NearestZombie(z) && std::fabs(z.x - Player.body.pos.x) < 3;
      if (mouseLeftDown) {
        int px, py;
        const tvector d = vecnormalise(z - Player.body.pos) * 2.5;
        ScreenPlaneToPixels(d.x, d.y, px, py);
        mouseX = px, mouseY = py;
      }
    });
  HoldKey(run, 650, SDL_SCANCODE_ESCAPE);
  run.at(654, [&] { live = GameState(); });
  ClickAt(run, 655, 0, 0.4);  // "main menu"
  run.closeWindow(665);
  EXPECT_EQ(run.run(800), 0);
  ASSERT_FALSE(live.empty());
  EXPECT_EQ(live[0], 2) << "the game never reached its second day";
  const std::vector<std::string> replays = ReplaysIn(run.dir().path());
  ASSERT_EQ(replays.size(), 1u) << "a game left through the pause menu is kept too";
  treplay replay;
  const std::vector<uint8_t> bytes = FileBytes(replays[0]);
  ASSERT_EQ(DecodeReplay(bytes.data(), bytes.size(), replay), REPLAY_OK);
  BaseAt base(run.dir().path());
  EXPECT_EQ(replay.dataChecksum, GameDataChecksum());
  size_t played = 0;
  EXPECT_FALSE(PlayHeadlessReplay(replay, &played).ended);
  EXPECT_EQ(played, replay.frames.size());
  EXPECT_EQ(GameState(), live);
  for (auto &m : recorder.messages) ADD_FAILURE() << m.caption << ": " << m.text;
}

TEST(ReplayProgram, AReplayPlaysInTheWindowToTheSameEndScreenAndDamagedOnesAreRefused) {
  // A short, quick death, recorded headless: out into the night, firing till the dead win.
  treplay replay;
  replay.rulesVersion = RULES_VERSION;
  replay.seed = 3;
  replay.helpBase = HELP_BASE[ENDLESS_GAME];
  replay.tutorial = 1;
  std::vector<double> recorded;
  {
    Play play(ENDLESS_GAME, 3);
    play.frameTime = 852.0 / 65536;
    play.recording = &replay.frames;
    play.aim(-3.3, -0.4).hold(ACTION_LEFT, 3).rushToNight().until(nullptr, 240, ACTION_FIRE | ACTION_LEFT);
    ASSERT_TRUE(play.ended);
    recorded = GameState();
  }
  MessageRecorder recorder;
  ScriptedRun run;
  replay.dataChecksum = (BaseAt(run.dir().path()), GameDataChecksum());
  const std::vector<uint8_t> good = EncodeReplay(replay);
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
  EXPECT_EQ(ReplaysIn(run.dir().path()).size(), 0u) << "watching is not a game of its own";

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
