#include <GL/gl.h>

#include "app/game.h"
#include "app/screenloop.h"
#include "app/world_scores.h"
#include "game/camera.h"
#include "game/rules_version.h"
#include "game/state.h"
#include "persist/options.h"
#include "render/text.h"

namespace {
int32_t done = 0;
tticket daily = 0;      // today's game asked of the server
std::string dailyLine;  // why it cannot be played
constexpr double DAILY_Y = -1.35;

struct tgametype {
  const char *button, *heading, *description;
  double y;          // the button's line; the texts sit below it
  int32_t helpBase;  // the set-up adds 0 to 2
};
const tgametype gameTypes[] = {
    {"short", "help is on its way.", "try to survive. help arrives around day 3.", 1.4, HELP_BASE[0]},
    {"long", "the search is on.", "try to survive. help arrives around day 8.", 0.7, HELP_BASE[1]},
    {"infinite", "You have no chance to survive.", "see how long you can last. no help is coming.", -0.1, HELP_BASE[2]},
};

void Init() {
  CameraPos = {0, 0};
  Options.tutorial = 1;  // on every time the menu opens
  dailyLine.clear();
}

// The daily game: the server's seed of the day and the short game's help, its start token kept
// to go with the replay. The menu keeps drawing while the server is asked.
void DailyGame() {
  const bool on = WorldScoresOn();
  if (Button("daily", {0, DAILY_Y}, CursorPos, 2.0)) {
    dailyLine = on ? "" : "turn world scores on in the options to play it.";
    if (on && !daily) daily = AskDailyGame();
  }
  const tonlineanswer answer = WorldAnswer(daily);
  std::string line = on ? "one world for all today. your first game counts." : dailyLine;
  if (daily && !answer.done) line = "asking the server for the game of the day";
  if (!dailyLine.empty()) line = dailyLine;
  DrawText("the game of the day.", {0, DAILY_Y - 0.2}, true);
  DrawText(line, {0, DAILY_Y - 0.4}, true);
  if (!daily || !answer.done) return;
  ForgetWorld(daily);
  if (answer.kind != ANSWER_DAILY) {
    dailyLine = answer.line;
  } else if (answer.daily.rules != RULES_VERSION) {
    dailyLine = "the server plays other rules: update your game.";
  } else {
    Game.helpDay = answer.daily.helpBase;
    dailyGameToken = answer.daily.token;
    done = -1;
    RunGame(answer.daily.seed);
    dailyGameToken.clear();  // sent with its replay, or the game never ended
  }
}

bool Frame() {
  MenuFramePrelude();
  Panel({-3.25, 2}, {3.25, 3});
  glScaled(4, 4, 1);
  DrawText("game type", {0, 0.625}, true);
  glScaled(0.25, 0.25, 1);
  Panel({3.25, -1.95}, {-3.25, 1.6});

  if (Options.tutorial) FillRect({-0.8, -0.825}, {-0.95, -0.975}, {0, 0, 0});
  glColor4d(0, 0, 0, 0.475 * Options.tutorial + 0.125);
  FrameRect({-0.8, -0.825}, {-0.95, -0.975});
  if (Button("tutorial", {0.15, -0.9}, CursorPos, 1.5)) Options.tutorial ^= 1;

  for (const tgametype &t : gameTypes) {
    DrawText(t.heading, {0, t.y - 0.2}, true);
    DrawText(t.description, {0, t.y - 0.4}, true);
    if (Button(t.button, {0, t.y}, CursorPos, 2.0)) {
      Game.helpDay = t.helpBase;
      done = -1;
      RunGame();
    }
  }
  DailyGame();
  DrawCursor(CursorPos);
  return true;
}
}  // namespace

void GameTypeMenu() {
  ScreenLoop(done, Init, Frame, true, "game type");
  ForgetWorld(daily);
}
