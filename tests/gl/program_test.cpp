// Whole-program runs through the real start-up, main menu loop and shutdown; the options screen
// (the window made again, or not, after "apply"); and the end of a game in the real screen loop,
// with a finished game's results: verdict, name, tables.
#include <SDL.h>

#include <cstdio>
#include <functional>
#include <tuple>

#include "app/game.h"
#include "base/files.h"
#include "game/state.h"
#include "gl/window_look.h"
#include "persist/options.h"
#include "persist/scores.h"
#include "platform/window.h"
#include "rig/screen_points.h"

namespace {
// Main-menu buttons.
constexpr double OPTIONS_Y = 0.2, QUIT_Y = -0.7;
// Options-screen controls.
constexpr double APPLY_X = -0.75, BACK_X = 0.75, BOTTOM_Y = -1.4, WIDTH_X = -2.0, HEIGHT_X = 1.7, SIZE_Y = 0.65;
// The end screen's "done".
constexpr double DONE_Y = -0.7;

// A run of the menus that must show no message box.
class Menus : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_TRUE(recorder.messages.empty()); }
  Rgb Pixel(int x, int y) const { return PixelAt(run.lastPixels, run.shotWidth, run.shotHeight, x, y); }
  int Ink(double x0, double y0, double x1, double y1) const { return InkIn(run, run.lastPixels, x0, y0, x1, y1); }
  toptions SavedOptions() const {
    std::vector<uint8_t> b = FileBytes(run.dir().file("options.zop"));
    toptions o = {};
    EXPECT_TRUE(DecodeOptions(b.data(), b.size(), o));
    return o;
  }
  ScoreTable TableIn(const char *name) const {
    std::vector<uint8_t> b = FileBytes(run.dir().file(std::string(name) + ".zsc"));
    ScoreTable t = {};
    EXPECT_TRUE(DecodeScoreTable(b.data(), b.size(), t)) << name;
    return t;
  }
  MessageRecorder recorder;
  ScriptedRun run;
};
class GameEnd : public Menus {};

// A finished game at pass 3: day 2 half gone, 3 survivors, 4.2 supplies, 50 kills.
void FinishGame(ScriptedRun &run, bool won) {
  run.at(3, [won] {
    Game = tgame{};
    Game.dayNumber = 2, Game.timeOfDay = 0.5, Game.survivors = 3, Game.supplies = 4.2, Game.kills = 50;
    keyDown[int{'D'}] = 1;  // still running right when the game ended: no 'd' in the name
    GameEndScreen(won);
  });
}
}  // namespace

// Every nested screen loop takes the window's close as the program's end: nothing saved,
// nothing entered, no message.
TEST(Program, ClosingTheWindowInsideEachLoopEndsTheProgram) {
  struct Case {
    const char *loop;
    std::function<void(ScriptedRun &)> reach;
    Pass close;
  } cases[] = {
      {"main menu", [](ScriptedRun &) {}, 5},
      {"instructions", [](ScriptedRun &r) { ClickAt(r, 3, 0, 0.5); }, 7},
      {"options", [](ScriptedRun &r) { ClickAt(r, 3, 0, 0.2); }, 7},
      {"key capture", [](ScriptedRun &r) { ClickAt(r, 3, 0, 0.2), ClickAt(r, 6, -1.0, -0.75); }, 7},
      {"high scores", [](ScriptedRun &r) { ClickAt(r, 3, 0, -0.1); }, 7},
      {"credits", [](ScriptedRun &r) { ClickAt(r, 3, 0, -0.4); }, 7},
      {"game type menu", [](ScriptedRun &r) { ClickAt(r, 4, 0, 1.0); }, 7},
      {"day banner", [](ScriptedRun &r) { BeginGame(r); }, Shown("day banner") + 5},
      {"game", [](ScriptedRun &r) { BeginGame(r); }, Shown("game") + 5},
      {"pause menu", [](ScriptedRun &r) { BeginGame(r), r.key(Shown("game"), SDL_SCANCODE_ESCAPE); },
       Shown("pause menu") + 5},
      {"name entry",
       [](ScriptedRun &r) {
         r.at(3, [] { Game = tgame{}, Game.kills = 50, GameEndScreen(false); });
         r.key(5, SDL_SCANCODE_Z);
       },
       7},
  };
  for (const Case &c : cases) {
    MessageRecorder recorder;
    ScriptedRun run;
    std::vector<uint8_t> options = FileBytes(run.dir().file("options.zop"));
    c.reach(run);
    run.closeWindow(c.close);
    EXPECT_EQ(run.run(1000), 0) << c.loop;
    const int closed = (c.close.screen.empty() ? 0 : run.firstShown[c.close.screen]) + c.close.offset;
    EXPECT_GE(run.passes, closed) << c.loop;
    EXPECT_LT(run.passes, closed + 5) << c.loop;
    EXPECT_TRUE(recorder.messages.empty()) << c.loop;
    EXPECT_EQ(FileBytes(run.dir().file("options.zop")), options) << c.loop;
    EXPECT_FALSE(FileExists(run.dir().file("slayerscores.zsc"))) << c.loop;
  }
}

// Without an options file the game asks for 1024 x 768 full screen; when that mode cannot be had
// (told so here: a shared test display's modes depend on what ran on it before) the player is
// asked, and only "no" closes the game (the player's choice). A window that cannot be made at some
// step says so and ends the program with status 1: there is nothing to play on.
TEST(Program, AFullScreenModeThatCannotBeHadAsksAndAWindowThatCannotBeMadeSaysWhy) {
  const struct {
    int failStep;  // 0: none, the options file removed instead
    bool answer;
    int passes;
    std::string message;  // "": none
  } cases[] = {{0, true, 4, ""},
               {0, false, 0, "Program Will Now Close."},
               {1, true, 0, "Failed To Register The Window Class."},
               {4, true, 0, "Cant't create a GL rendering context."},
               {5, true, 0, "Cant't activate the GL rendering context."}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.failStep * 10 + c.answer);
    MessageRecorder recorder(c.answer);
    ScriptedRun run;
    if (!c.failStep) std::remove(run.dir().file("options.zop").c_str());
    int fullscreen = -1;
    run.at(3, [&] { fullscreen = fullscreenActive; });
    run.closeWindow(4);
    failWindowStep = c.failStep ? c.failStep : 2;
    EXPECT_EQ(run.run(300), c.failStep ? 1 : 0);
    failWindowStep = 0;
    EXPECT_EQ(run.passes, c.passes);
    EXPECT_TRUE(!c.passes || fullscreen == 0) << fullscreen;
    ASSERT_EQ(recorder.questions.size(), c.failStep ? 0u : 1u);
    if (!c.failStep) {
      EXPECT_EQ(recorder.questions[0].caption + ": " + recorder.questions[0].text,
                "GL Window: This FullScreen Mode Is Not Supported. Use Windowed Mode Instead?");
      EXPECT_TRUE(recorder.questions[0].safeAnswer) << "windowed mode is what keeps the game going";
    }
    ASSERT_EQ(recorder.messages.size(), c.message.empty() ? 0u : 1u);
    if (c.message.empty()) continue;
    EXPECT_EQ(recorder.messages[0].caption + ": " + recorder.messages[0].text, "Error: " + c.message);
    EXPECT_TRUE(c.failStep || recorder.messages[0].icon == MB_ICONSTOP);
  }
}

// A new size and "left" bound to J, applied: the window is made again at that size with its
// title and font, the file saved, the main menu drawn whole in it, and the next game is drawn in
// the new window and runs left on J.
TEST_F(Menus, OptionsApplyRecreatesTheWindowSavesAndShapesTheNextGame) {
  WindowLook atStart, afterApply;
  int widthAtStart = 0, widthAfterApply = 0;  // as the display gave them, whatever was asked
  run.at(2, [&] { atStart = LookOfTheWindow(), widthAtStart = clientWidth; });
  ClickAt(run, 3, 0, OPTIONS_Y);
  int pass = TypeDigits(run, 6, WIDTH_X, SIZE_Y, 4, "800").offset;
  pass = TypeDigits(run, pass, HEIGHT_X, SIZE_Y, 3, "600").offset;
  ClickAt(run, pass, -1.0, -0.75);  // left; its prompt is the next pass
  run.key(pass + 1, SDL_SCANCODE_J);
  run.screenshot(pass + 3, "options_edited");
  ClickAt(run, pass + 4, APPLY_X, BOTTOM_Y);
  run.screenshot(pass + 8, "options_after_apply");
  run.at(pass + 8, [&] {
    widthAfterApply = clientWidth;
    afterApply = LookOfTheWindow();
    EXPECT_GT(Ink(-2.4, 2.1, 2.4, 2.9), 1000) << "the title: the font came back in the new context";
    EXPECT_GT(Ink(APPLY_X - 0.7, BOTTOM_Y - 0.15, APPLY_X + 0.7, BOTTOM_Y + 0.15), 200) << "apply";
  });
  ClickAt(run, pass + 10, BACK_X, BOTTOM_Y);
  run.screenshot(pass + 14, "main_menu_after_apply");
  run.at(pass + 14, [&] {  // the background around the panel, and a caption on each of the six buttons
    const Rgb sky = Pixel(760, 27);
    EXPECT_TRUE(sky.b > 90 && sky.r > 90) << sky.r << " " << sky.b;
    for (double y : {1.0, 0.5, 0.2, -0.1, -0.4, -0.7}) EXPECT_GT(Ink(-0.7, y - 0.15, 0.7, y + 0.15), 150) << y;
  });
  ClickAt(run, pass + 16, 0, 1.0);      // begin
  ClickAt(run, pass + 20, 0, 1.4);      // short
  const Pass game = Shown("game") + 2;  // after day one's banner
  tvector before{}, after{};
  int skyWhite = -1, ground = 0;
  run.screenshot(game, "game_after_apply_800x600");
  run.at(game, [&] {
    const Rgb sky = Pixel(400, 20);
    skyWhite = sky.r > 250 && sky.g > 250 && sky.b > 250;
    ground = Ink(-5, -3.51, 5, -3.49);  // a row 20 pixels above the bottom
    before = Player.body.pos;
  });
  run.hold(game + 2, SDL_SCANCODE_J, 40);
  run.at(game + 44, [&] { after = Player.body.pos; });
  run.closeWindow(game + 46);
  EXPECT_EQ(run.run(), 0);
  for (const WindowLook &look : {atStart, afterApply}) {  // the taskbar shows the game's name and icon
    EXPECT_EQ(look.title, "red siege");
    EXPECT_EQ(std::tuple(look.iconWidth, look.iconHeight), std::tuple(64L, 64L));
  }
  EXPECT_NE(widthAfterApply, widthAtStart) << "the window was not made again at the new size";
  EXPECT_EQ(run.shotWidth, widthAfterApply) << "the game is drawn in the new window";
  EXPECT_FALSE(skyWhite) << "the sky is missing";
  EXPECT_GT(ground, 400) << "no terrain along the bottom";
  EXPECT_LT(after.x, before.x - 0.3) << "J did not run left";
  const toptions saved = SavedOptions();
  EXPECT_EQ(std::tuple(saved.screenWidth, saved.screenHeight, saved.colourDepth, saved.keyLeft),
            std::tuple(800, 600, 32, 'J'));
}

namespace {
std::vector<std::string> failureMessages;
// Records the failure's message and lets the next window be made: only the new settings fail.
void RecordAndAllowTheNextWindow(const std::string &text, const std::string &, MessageIcon) {
  failureMessages.push_back(text);
  failWindowStep = 0;
}
}  // namespace

TEST_F(Menus, OptionsWindowThatCannotBeMadeBringsTheOldOneBack) {
  messageHandler = RecordAndAllowTheNextWindow;
  failureMessages.clear();
  std::vector<uint8_t> before = FileBytes(run.dir().file("options.zop"));
  int32_t liveWidth = 0, widthAtStart = 0;
  run.at(2, [&] { widthAtStart = clientWidth; });
  ClickAt(run, 3, 0, OPTIONS_Y);
  int pass = TypeDigits(run, 6, WIDTH_X, SIZE_Y, 4, "800").offset;
  ClickAt(run, pass, APPLY_X, BOTTOM_Y);  // with no window to be had at the new size
  run.at(pass, [] { failWindowStep = 3; });
  run.screenshot(pass + 4, "options_after_failed_apply");
  run.at(pass + 4, [&] {
    EXPECT_EQ(clientWidth, widthAtStart) << "the old window is back";
    EXPECT_GT(Ink(-2.4, 2.1, 2.4, 2.9), 1000) << "the screen is still drawn";
    // The working copy still holds the player's choice, to be mended and applied again.
    EXPECT_GT(Ink(-2.2, 0.57, -1.8, 0.73), 100) << "800";
    EXPECT_LT(Ink(-1.78, 0.57, -1.64, 0.73), 20) << "no fourth digit";
    liveWidth = Options.screenWidth;
  });
  ClickAt(run, pass + 6, BACK_X, BOTTOM_Y);
  ClickAt(run, pass + 10, 0, QUIT_Y);
  EXPECT_EQ(run.run(300), 0);
  failWindowStep = 0;
  EXPECT_LT(run.passes, pass + 16);
  EXPECT_EQ(liveWidth, 1024);
  EXPECT_EQ(FileBytes(run.dir().file("options.zop")), before);
  EXPECT_EQ(failureMessages, std::vector<std::string>{"Window creation error."});
}

// "world scores" is ticked only where a server is named, and saved with "apply"; the options file
// keeps its layout (the choice lives in a file of its own).
TEST_F(Menus, WorldScoresAreTurnedOnInTheOptionsAndSavedOnApply) {
  for (const char *server : {"http://127.0.0.1:1", ""}) {
    SCOPED_TRACE(server);
    ScriptedRun again;
    again.dir().write("online.txt", "world-scores off\nserver " + std::string(server) + "\n");
    const std::vector<uint8_t> options = FileBytes(again.dir().file("options.zop"));
    ClickAt(again, 3, 0, OPTIONS_Y);
    ClickAt(again, Shown("options") + 3, -1.15, -0.225);
    again.screenshot(Shown("options") + 6, *server ? "options_world_scores" : "options_no_server");
    again.at(Shown("options") + 6, [&] {  // the box filled or empty
      EXPECT_EQ(InkIn(again, again.lastPixels, -2.18, -0.28, -2.07, -0.17) > 20, *server != 0);
    });
    ClickAt(again, Shown("options") + 8, APPLY_X, BOTTOM_Y);
    again.closeWindow(Shown("options") + 14);
    EXPECT_EQ(again.run(400), 0);
    EXPECT_EQ(FileText(again.dir().file("online.txt")).find("world-scores on") != std::string::npos, *server != 0);
    EXPECT_EQ(FileBytes(again.dir().file("options.zop")), options);
  }
}

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
