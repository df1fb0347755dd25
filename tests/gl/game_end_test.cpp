// The end of a game in the real screen loop, with a finished game's results: verdict, name, tables.
#include <SDL.h>

#include <cstring>
#include <filesystem>

#include "app/game.h"
#include "game/state.h"
#include "persist/scores.h"
#include "platform/window.h"
#include "rig/screen_points.h"

namespace {
constexpr double DONE_Y = -0.7;
const char *const FILES[] = {"survivescores", "rescuescores", "hordescores", "slayerscores"};

// A finished game at pass 3: day 2 half gone, 3 survivors, 4.2 supplies, 50 kills.
void FinishGame(ScriptedRun &run, bool won) {
  run.at(3, [won] {
    Game = tgame{};
    Game.dayNumber = 2, Game.timeOfDay = 0.5, Game.survivors = 3, Game.supplies = 4.2, Game.kills = 50;
    keyDown['D'] = 1;  // still running right when the game ended: no 'd' in the name
    GameEndScreen(won);
  });
}

// Thirteen entries that no game of these tests can beat.
ScoreTable Unbeatable() {
  ScoreTable t = {};
  for (int i = 0; i < SCORE_ENTRIES; ++i) {
    t.entries[i].nameLength = 3, t.entries[i].score = 1000000 - i;
    std::memcpy(t.entries[i].name, "pro", 3);
  }
  return t;
}

class GameEnd : public ::testing::Test {
 protected:
  ScoreTable TableIn(const char *name) const {
    std::vector<uint8_t> b = FileBytes(run.dir().file(std::string(name) + ".zsc"));
    ScoreTable t = {};
    EXPECT_TRUE(DecodeScoreTable(b.data(), b.size(), t)) << name;
    return t;
  }
  MessageRecorder recorder;
  ScriptedRun run;
};
}  // namespace

TEST_F(GameEnd, ALostGameWithAHighScoreTakesTheTypedNameIntoItsTables) {
  FinishGame(run, false);
  run.screenshot(6, "game_end_lost_high_score");
  run.at(6, [&] { EXPECT_GT(InkIn(run, run.lastPixels, -1.9, 0.9, 1.9, 1.1), 300) << "high score!"; });
  int pass = 8;
  for (int key : {SDL_SCANCODE_A, SDL_SCANCODE_N, SDL_SCANCODE_N, SDL_SCANCODE_BACKSPACE, SDL_SCANCODE_E})
    run.key(pass, key), pass += 2;
  run.screenshot(pass + 1, "game_end_name_typed");
  ClickAt(run, pass + 2, 0, DONE_Y);
  run.closeWindow(pass + 7);
  EXPECT_EQ(run.run(300), 0);
  EXPECT_TRUE(recorder.messages.empty());
  for (auto [f, score] : {std::pair{"survivescores", 2500}, {"hordescores", 420}}) {
    EXPECT_EQ(ScoreName(TableIn(f).entries[0]), "ane") << f;
    EXPECT_EQ(TableIn(f).entries[0].score, score) << f;
  }
  EXPECT_EQ(ScoreName(TableIn("rescuescores").entries[0]), "") << "a lost game rescued nobody";
}

TEST_F(GameEnd, WithoutAHighScoreDoneRewritesTheTablesUnchanged) {
  for (const char *f : FILES) run.dir().write(std::string(f) + ".zsc", EncodeScoreTable(Unbeatable()));
  FinishGame(run, true);
  run.screenshot(6, "game_end_won_no_high_score");
  run.at(6, [&] {
    EXPECT_GT(InkIn(run, run.lastPixels, -2.5, 2.15, 2.5, 2.85), 1000) << "you win!";
    EXPECT_LT(InkIn(run, run.lastPixels, -1.9, 0.9, 1.9, 1.1), 20) << "no high score";
    for (const char *f : FILES) std::filesystem::remove(run.dir().file(std::string(f) + ".zsc"));
  });
  ClickAt(run, 8, 0, DONE_Y);
  run.closeWindow(12);
  EXPECT_EQ(run.run(300), 0);
  for (const char *f : FILES) EXPECT_EQ(EncodeScoreTable(TableIn(f)), EncodeScoreTable(Unbeatable())) << f;
  EXPECT_TRUE(recorder.messages.empty());
}

TEST_F(GameEnd, AFailedSaveIsReportedAndTheOtherTablesAreStillSaved) {
  // A folder where the temporary file would go: the survive table cannot be written.
  std::filesystem::create_directory(run.dir().file("survivescores.zsc.tmp"));
  FinishGame(run, false);
  ClickAt(run, 5, 0, DONE_Y);
  ClickAt(run, 10, 0, -0.7);  // quit from the main menu
  EXPECT_EQ(run.run(300), 0);
  EXPECT_LT(run.passes, 15);
  ASSERT_EQ(recorder.messages.size(), 1u);
  EXPECT_NE(recorder.messages[0].text.find("survivescores.zsc"), std::string::npos);
  EXPECT_EQ(TableIn("slayerscores").entries[0].score, 50);
}
