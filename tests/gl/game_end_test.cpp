// The end of a game in the real screen loop, with a finished game's results: verdict, name, tables.
#include <SDL.h>

#include "app/game.h"
#include "game/state.h"
#include "persist/scores.h"
#include "platform/window.h"
#include "rig/screen_points.h"

namespace {
constexpr double DONE_Y = -0.7;

// A finished game at pass 3: day 2 half gone, 3 survivors, 4.2 supplies, 50 kills.
void FinishGame(ScriptedRun &run, bool won) {
  run.at(3, [won] {
    Game = tgame{};
    Game.dayNumber = 2, Game.timeOfDay = 0.5, Game.survivors = 3, Game.supplies = 4.2, Game.kills = 50;
    keyDown[int{'D'}] = 1;  // still running right when the game ended: no 'd' in the name
    GameEndScreen(won);
  });
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
  EXPECT_EQ(ScoreName(TableIn("survivescores").entries[0]), "ane");
  EXPECT_EQ(TableIn("hordescores").entries[0].score, 420);
  EXPECT_EQ(ScoreName(TableIn("rescuescores").entries[0]), "") << "a lost game rescued nobody";
}

// The first high score asks once whether to send games to the world boards (when a server is
// named); the answer is saved, and a player once asked is not asked again.
TEST_F(GameEnd, TheFirstHighScoreAsksOnceAboutTheWorldBoards) {
  const struct {
    const char *settings;
    double click;  // x of "yes" or "no"; 0: no question expected
    const char *saved;
  } cases[] = {
      {"world-scores off\nserver http://127.0.0.1:1\nasked no\n", -0.8,
       "world-scores on\nserver http://127.0.0.1:1\nasked yes"},
      {"world-scores off\nserver http://127.0.0.1:1\nasked no\n", 0.8,
       "world-scores off\nserver http://127.0.0.1:1\nasked yes"},
      {"world-scores off\nserver http://127.0.0.1:1\nasked yes\n", 0,
       "world-scores off\nserver http://127.0.0.1:1\nasked yes"},
      {"world-scores off\nserver \nasked no\n", 0, "world-scores off\nserver \nasked no"},  // nobody to ask about
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.settings);
    ScriptedRun again;
    again.dir().write("online.txt", std::string(c.settings));
    FinishGame(again, false);
    again.screenshot(6, c.click < 0 ? "game_end_ask" : "game_end_not_asked");
    again.at(6,
             [&] { EXPECT_EQ(InkIn(again, again.lastPixels, -1.5, 0.75, 1.5, 0.85) > 100, c.click != 0) << "asked"; });
    if (c.click != 0) ClickAt(again, 8, c.click, -0.2);
    again.closeWindow(12);
    EXPECT_EQ(again.run(300), 0);
    EXPECT_NE(FileText(again.dir().file("online.txt")).find(c.saved), std::string::npos)
        << FileText(again.dir().file("online.txt"));
  }
}
