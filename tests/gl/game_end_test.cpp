// The end of a game, run from inside the real screen loop with the game's results set as a
// finished game leaves them: the verdict, name entry, and the tables saved and shown again.
#include <SDL.h>

#include <cstring>
#include <filesystem>

#include "app/game.h"
#include "base/files.h"
#include "game/state.h"
#include "persist/scores.h"
#include "platform/window.h"
#include "rig/screen_points.h"

namespace {
constexpr double DONE_Y = -0.7, HIGH_SCORES_Y = -0.1, QUIT_Y = -0.7;

// A finished game: day 2 half gone, 3 survivors, 4.2 supplies, 50 kills.
void FinishGame() {
  Game = tgame{};
  Game.dayNumber = 2;
  Game.timeOfDay = 0.5;
  Game.survivors = 3;
  Game.supplies = 4.2;
  Game.kills = 50;
}

std::vector<uint8_t> FileBytes(const std::string &path) {
  std::vector<uint8_t> b;
  ReadFileBytes(path, b);
  return b;
}

ScoreTable TableIn(const ScriptedRun &run, const char *name) {
  std::vector<uint8_t> b = FileBytes(run.dir().file(std::string(name) + ".zsc"));
  ScoreTable t = {};
  EXPECT_TRUE(DecodeScoreTable(b.data(), b.size(), t)) << name;
  return t;
}

// Thirteen entries that no game of these tests can beat.
ScoreTable Unbeatable() {
  ScoreTable t = {};
  for (int i = 0; i < SCORE_ENTRIES; ++i) {
    t.entries[i].nameLength = 3;
    std::memcpy(t.entries[i].name, "pro", 3);
    t.entries[i].score = 1000000 - i;
  }
  return t;
}

const char *const FILES[] = {"survivescores", "rescuescores", "hordescores", "slayerscores"};
}  // namespace

TEST(GameEnd, LostGameWithAHighScoreTakesANameSavesAndShowsItAfterARestart) {
  MessageRecorder recorder;
  ScriptedRun run;
  ScoreTable rescueBefore = Unbeatable();
  rescueBefore.entries[12].score = 0;  // a lost game must not touch it even though 3 would fit
  run.dir().write("rescuescores.zsc", EncodeScoreTable(rescueBefore));
  run.at(3, [] {
    FinishGame();
    keyDown['D'] = 1;  // still running right when the game ended
    GameEndScreen(false);
  });
  run.screenshot(6, "game_end_lost_high_score");
  run.at(6, [&] {
    EXPECT_GT(InkIn(run, run.lastPixels, -2.5, 2.15, 2.5, 2.85), 1000) << "game over";
    EXPECT_GT(InkIn(run, run.lastPixels, -3, 1.6, 3, 1.8), 500) << "the scores";
    EXPECT_GT(InkIn(run, run.lastPixels, -1.9, 0.9, 1.9, 1.1), 300) << "high score!";
  });
  run.key(8, SDL_SCANCODE_A);
  run.key(10, SDL_SCANCODE_N);
  run.key(12, SDL_SCANCODE_N);
  run.key(14, SDL_SCANCODE_BACKSPACE);
  run.key(16, SDL_SCANCODE_E);
  run.screenshot(19, "game_end_name_typed");
  ClickAt(run, 20, 0, DONE_Y);
  run.closeWindow(25);
  EXPECT_EQ(run.run(300), 0);
  EXPECT_TRUE(recorder.messages.empty());

  ScoreTable survive = TableIn(run, "survivescores"), horde = TableIn(run, "hordescores"),
             slayer = TableIn(run, "slayerscores");
  EXPECT_EQ(ScoreName(survive.entries[0]), "ane");
  EXPECT_EQ(survive.entries[0].score, 2500);
  EXPECT_EQ(ScoreName(horde.entries[0]), "ane");
  EXPECT_EQ(horde.entries[0].score, 420);
  EXPECT_EQ(slayer.entries[0].score, 50);
  EXPECT_EQ(EncodeScoreTable(TableIn(run, "rescuescores")), EncodeScoreTable(rescueBefore));

  // The next start-up reads the tables back and the high-score screen shows the name.
  ScriptedRun again;
  for (const char *f : FILES)
    std::filesystem::copy_file(run.dir().file(std::string(f) + ".zsc"), again.dir().file(std::string(f) + ".zsc"),
                               std::filesystem::copy_options::overwrite_existing);
  ClickAt(again, 3, 0, HIGH_SCORES_Y);
  again.screenshot(6, "high_scores_after_a_game");
  again.at(6, [&] {
    double name = -3.4 + 4 * 0.14;
    EXPECT_GT(InkIn(again, again.lastPixels, name, 1.12, name + 3 * 0.14, 1.28), 150) << "ane on the first line";
  });
  again.closeWindow(8);
  EXPECT_EQ(again.run(300), 0);
}

TEST(GameEnd, WithoutAHighScoreDoneSavesTheTablesUnchanged) {
  MessageRecorder recorder;
  ScriptedRun run;
  for (const char *f : FILES) run.dir().write(std::string(f) + ".zsc", EncodeScoreTable(Unbeatable()));
  run.at(3, [] {
    FinishGame();
    GameEndScreen(true);
  });
  run.screenshot(6, "game_end_won_no_high_score");
  run.at(6, [&] {
    EXPECT_GT(InkIn(run, run.lastPixels, -2.5, 2.15, 2.5, 2.85), 1000) << "you win!";
    EXPECT_LT(InkIn(run, run.lastPixels, -1.9, 0.9, 1.9, 1.1), 20) << "no high score";
    // Its files are rewritten, so make them look different to see that they are.
    for (const char *f : FILES) std::filesystem::remove(run.dir().file(std::string(f) + ".zsc"));
  });
  ClickAt(run, 8, 0, DONE_Y);
  run.closeWindow(12);
  EXPECT_EQ(run.run(300), 0);
  for (const char *f : FILES) EXPECT_EQ(EncodeScoreTable(TableIn(run, f)), EncodeScoreTable(Unbeatable())) << f;
  EXPECT_TRUE(recorder.messages.empty());
}

TEST(GameEnd, ClosingTheWindowEntersNothing) {
  MessageRecorder recorder;
  ScriptedRun run;
  run.at(3, [] {
    FinishGame();
    GameEndScreen(false);
  });
  run.key(5, SDL_SCANCODE_Z);
  run.closeWindow(7);
  EXPECT_EQ(run.run(300), 0);
  EXPECT_LT(run.passes, 10);
  for (const char *f : FILES) EXPECT_FALSE(FileExists(run.dir().file(std::string(f) + ".zsc"))) << f;
  EXPECT_TRUE(recorder.messages.empty());
}

TEST(GameEnd, AFailedSaveIsReportedAndTheGameGoesOn) {
  MessageRecorder recorder;
  ScriptedRun run;
  // A folder where the temporary file would go: the survive table cannot be written.
  std::filesystem::create_directory(run.dir().file("survivescores.zsc.tmp"));
  run.at(3, [] {
    FinishGame();
    GameEndScreen(false);
  });
  ClickAt(run, 5, 0, DONE_Y);
  run.screenshot(9, "main_menu_after_failed_save");
  ClickAt(run, 10, 0, QUIT_Y);
  EXPECT_EQ(run.run(300), 0);
  EXPECT_LT(run.passes, 15);
  ASSERT_EQ(recorder.messages.size(), 1u);
  EXPECT_NE(recorder.messages[0].text.find("survivescores.zsc"), std::string::npos);
  EXPECT_EQ(ScoreName(TableIn(run, "slayerscores").entries[0]), "");
  EXPECT_EQ(TableIn(run, "slayerscores").entries[0].score, 50);
}

TEST(GameEnd, OptionsAppliedBeforeAGameShapeIt) {
  // A new size and "left" bound to J, then a short game: the world is drawn in the new window and
  // J runs left.
  MessageRecorder recorder;
  ScriptedRun run;
  ClickAt(run, 3, 0, 0.2);        // options
  int pass = TypeDigits(run, 6, -2.0, 0.65, 4, "800");  // width
  pass = TypeDigits(run, pass, 1.7, 0.65, 3, "600");    // height
  ClickAt(run, pass, -1.0, -0.75);  // left; its prompt is the next pass
  run.key(pass + 1, SDL_SCANCODE_J);
  ClickAt(run, pass + 4, -0.75, -1.4);  // apply
  ClickAt(run, pass + 8, 0.75, -1.4);   // back
  ClickAt(run, pass + 12, 0, 1.0);      // begin
  ClickAt(run, pass + 16, 0, 1.4);      // short
  const int game = pass + 16 + 170;     // after day one's banner
  tvector before{}, after{};
  int skyWhite = -1, ground = 0;
  run.screenshot(game, "game_after_apply_800x600");
  run.at(game, [&] {
    EXPECT_EQ(clientWidth, 800);
    EXPECT_EQ(clientHeight, 600);
    Rgb sky = PixelAt(run.lastPixels, run.shotWidth, run.shotHeight, 400, 20);
    skyWhite = sky.r > 250 && sky.g > 250 && sky.b > 250;
    for (int x = 0; x < run.shotWidth; x += 4) {
      Rgb p = PixelAt(run.lastPixels, run.shotWidth, run.shotHeight, x, run.shotHeight - 20);
      if (p.r < 40 && p.g < 40 && p.b < 40) ++ground;
    }
    before = Player.body.pos;
  });
  run.hold(game + 2, SDL_SCANCODE_J, 40);
  run.at(game + 44, [&] { after = Player.body.pos; });
  run.closeWindow(game + 46);
  EXPECT_EQ(run.run(game + 100), 0);
  EXPECT_TRUE(recorder.messages.empty());
  EXPECT_EQ(skyWhite, 0) << "the sky is missing";
  EXPECT_GT(ground, 100) << "no terrain along the bottom";
  EXPECT_LT(after.x, before.x - 0.3) << "J did not run left";
}
