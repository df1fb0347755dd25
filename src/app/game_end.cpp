// The end of a game: the verdict, the name entry when a score makes its table, and the tables'
// update and save on "done".
#include <GL/gl.h>

#include <string>

#include "app/game.h"
#include "app/lifecycle.h"
#include "app/screen_parts.h"
#include "app/screenloop.h"
#include "audio/sound.h"
#include "game/camera.h"
#include "game/scores.h"
#include "persist/replay_files.h"
#include "persist/scores.h"
#include "platform/pad.h"
#include "platform/window.h"
#include "render/text.h"

namespace {
constexpr uint8_t NAME_LENGTH = 14;

struct {
  int32_t done;
  bool won;
  bool enterScores;
  std::string replay;
  bool highScore;
  std::string name;
  tgamescores scores;
} gameEnd;

// The numbers the tables will hold, named as the high-score pages name their tables.
std::string ScoresLine(const tgamescores &s, bool won) {
  std::string line = "survivor " + std::to_string(s.survive) + "  horder " + std::to_string(s.horde);
  if (won) line += "  saviour " + std::to_string(s.rescue);
  return line + "  slayer " + std::to_string(s.slayer);
}

void GameEndInit() {
  CameraPos = {0, 0};
  gameEnd.name.clear();
  StopAllSounds();
  // Keys and the button still held from play (running, firing) would otherwise type themselves
  // into the name or press "done" before the player has seen the screen.
  for (uint8_t &k : keyDown) k = 0;
  mouseLeftDown = 0;
  gameEnd.scores = GameScores(Game);
  gameEnd.highScore = gameEnd.enterScores && AnyScoreQualifies(gameEnd.scores, gameEnd.won);
}

bool GameEndFrame() {
  MenuFramePrelude();
  TitlePanel(3, gameEnd.won ? "you win!" : "game over");
  DrawText(ScoresLine(gameEnd.scores, gameEnd.won), {0, 1.7}, true);
  if (gameEnd.highScore) {
    Panel({2, -1.1}, {-2, 1.4});
    DrawText("high score!", {0, 1.0}, true);
    DrawText("enter name", {0, 0.4}, true);
    LastClickPos = {0, 0};  // the name field keeps the keyboard
    StepLetters(gameEnd.name, NAME_LENGTH);
    TextField(gameEnd.name, {-1, 0}, NAME_LENGTH, false);
    if (PadConnected()) DrawText("up down letter. right next", {0, -0.3}, true);
  } else {
    Panel({1, -1.1}, {-1, -0.1});
  }
  if (Button("done", {0, -0.7}, CursorPos, 2.0)) gameEnd.done = -1;
  DrawCursor(CursorPos);
  if (gameEnd.done && gameEnd.enterScores) {
    EnterGameScores(gameEnd.name, gameEnd.scores, gameEnd.won, gameEnd.replay);
    // The links first: a table saved without them would leave its best games unprotected.
    SaveReplayLinks();
    SaveScores();
    SendWorldGame(gameEnd.replay, gameEnd.name, gameEnd.scores);
  }
  return true;
}
}  // namespace

void GameEndScreen(bool won, bool enterScores, const std::string &replay) {
  gameEnd.won = won;
  gameEnd.enterScores = enterScores;
  gameEnd.replay = replay;
  ScreenLoop(gameEnd.done, GameEndInit, GameEndFrame, true, "end screen");
}
