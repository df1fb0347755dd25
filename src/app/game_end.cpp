// The end of a game: the verdict, the name entry when a score makes its table (or the game goes to
// the world boards), the tables' update and save on "done", and then the world boards' answer.
#include <GL/gl.h>

#include <string>

#include "app/game.h"
#include "app/lifecycle.h"
#include "app/screen_parts.h"
#include "app/screenloop.h"
#include "app/world_scores.h"
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

}  // namespace

std::vector<std::string> endScreenWorldLines;

namespace {
// Asked once whether to take part, then the name, then the world's answer while one is awaited.
enum tendstep { END_ASK, END_NAME, END_WORLD };

struct {
  int32_t done;
  bool won;
  bool enterScores;
  std::string replay;
  bool highScore;
  std::string name;
  tgamescores scores;
  tendstep step;
  tticket sent;
} gameEnd;

const struct {
  tworldboard board;
  const char *caption;
} RANKED[] = {
    {BOARD_SURVIVORS, "survivor"}, {BOARD_HORDE, "horder"}, {BOARD_RESCUE, "saviour"}, {BOARD_SLAYER, "slayer"}};

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
  // The first local high score asks whether to take part, when there is a server to ask about.
  const bool ask = gameEnd.highScore && !onlineSettings.takePart && !onlineSettings.asked && !WorldServerHost().empty();
  gameEnd.step = ask ? END_ASK : END_NAME;
  gameEnd.sent = 0;
  endScreenWorldLines.clear();
  if (WorldScoresOn() && gameEnd.enterScores) gameEnd.name = onlineSettings.name;
}

// The world's answer to the game sent, as lines for the player.
std::vector<std::string> WorldLines(const tonlineanswer &a) {
  if (a.kind != ANSWER_GAME) return {a.line};
  const tgamestatus &g = a.game;
  if (g.state == GAME_REFUSED) return {"the server refused the game", OneLine(g.reason, 40)};
  if (g.state == GAME_PENDING) return {"the server is playing the game again"};
  std::vector<std::string> lines;
  for (const auto &r : RANKED)
    if (g.ranks[r.board].on) lines.push_back(std::string(r.caption) + " " + RankLine(g, r.board));
  if (g.daily)
    lines.push_back(g.dailyCounted ? "daily counted. " + RankLine(g, BOARD_DAILY) + " today"
                                   : "daily practice. only the first one counts");
  return lines;
}

void AskFrame() {
  Panel({3.0, -1.1}, {-3.0, 1.4});
  DrawText("send your games to the world boards", {0, 1.0}, true);
  DrawText("at " + WorldServerHost() + "?", {0, 0.8}, true);
  DrawText("your name and replays go. nothing else.", {0, 0.4}, true);
  const bool yes = Button("yes", {-0.8, -0.2}, CursorPos, 2.0), no = Button("no", {0.8, -0.2}, CursorPos, 2.0);
  if (yes || no) {
    ChooseWorldScores(yes);
    if (yes) gameEnd.name = onlineSettings.name;
    gameEnd.step = END_NAME;
    mouseLeftDown = 0;  // the same press does not also click what comes next
  }
}

void WorldFrame() {
  Panel({3.0, -1.1}, {-3.0, 1.4});
  DrawText("world boards", {0, 1.0}, true);
  endScreenWorldLines = WorldLines(WorldAnswer(gameEnd.sent));
  double y = 0.6;
  for (const std::string &line : endScreenWorldLines) DrawText(line, {0, y}, true), y -= 0.2;
  if (Button("done", {0, -0.7}, CursorPos, 2.0)) gameEnd.done = -1;
}

bool GameEndFrame() {
  MenuFramePrelude();
  TitlePanel(3, gameEnd.won ? "you win!" : "game over");
  DrawText(ScoresLine(gameEnd.scores, gameEnd.won), {0, 1.7}, true);
  if (gameEnd.step == END_ASK) return AskFrame(), DrawCursor(CursorPos), true;
  if (gameEnd.step == END_WORLD) return WorldFrame(), DrawCursor(CursorPos), true;
  const bool world = WorldScoresOn() && gameEnd.enterScores;
  if (gameEnd.highScore || world) {
    Panel({2, -1.1}, {-2, 1.4});
    DrawText(gameEnd.highScore ? "high score!" : "world boards", {0, 1.0}, true);
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
    gameEnd.sent = SendWorldGame(gameEnd.replay, gameEnd.name, gameEnd.scores);
    // The screen stays to show the world's answer; leaving sooner loses nothing (the outbox).
    if (gameEnd.sent) gameEnd.done = 0, gameEnd.step = END_WORLD, mouseLeftDown = 0;
  }
  return true;
}
}  // namespace

void GameEndScreen(bool won, bool enterScores, const std::string &replay) {
  gameEnd.won = won;
  gameEnd.enterScores = enterScores;
  gameEnd.replay = replay;
  ScreenLoop(gameEnd.done, GameEndInit, GameEndFrame, true, "end screen");
  ForgetWorld(gameEnd.sent);
}
