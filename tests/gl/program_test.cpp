// Whole-program runs through the real start-up, main menu loop and shutdown.
#include <SDL.h>

#include <cstdio>
#include <functional>

#include "app/game.h"
#include "base/files.h"
#include "game/state.h"
#include "platform/window.h"
#include "rig/screen_points.h"

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
