// Whole-program runs through the screens behind the main menu: instructions, credits, high
// scores and options (with key capture and window re-creation, and a game after it).
#include <SDL.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "app/screens.h"
#include "app/text_pages.h"
#include "game/state.h"
#include "persist/options.h"
#include "persist/scores.h"
#include "platform/window.h"
#include "rig/screen_points.h"

namespace {
// Main-menu buttons.
constexpr double INSTRUCTIONS_Y = 0.5, OPTIONS_Y = 0.2, HIGH_SCORES_Y = -0.1, CREDITS_Y = -0.4, QUIT_Y = -0.7;

// Ink of a button caption of n characters at scale 2 centred at (x, y).
int ButtonInk(const ScriptedRun &run, double x, double y, int n) {
  double w = n * 0.14;
  return InkIn(run, run.lastPixels, x - w, y - 0.15, x + w, y + 0.15);
}

// The left edge of a body panel at x (main menu: 2.0; instructions and scores: 3.5).
int PanelEdgeInk(const ScriptedRun &run, double x) { return InkIn(run, run.lastPixels, x - 0.03, -0.5, x + 0.03, 0.5); }

toptions OptionsIn(const ScriptedRun &run) {
  std::vector<uint8_t> b = FileBytes(run.dir().file("options.zop"));
  toptions o = {};
  EXPECT_TRUE(DecodeOptions(b.data(), b.size(), o));
  return o;
}

ScoreEntry Named(const char *name, int32_t score) {
  ScoreEntry e = {};
  e.nameLength = static_cast<uint8_t>(std::strlen(name));
  std::memcpy(e.name, name, e.nameLength);
  e.score = score;
  return e;
}
}  // namespace

TEST(InstructionsScreen, PagesStepBothWaysAndBackReturnsToTheMenu) {
  MessageRecorder recorder;
  ScriptedRun run;
  int pages = static_cast<int>(PageStarts(ReadTextLines(BuiltDataDir() + "/instructions.txt", 48)).size());
  ASSERT_GE(pages, 8) << "the shipped instructions teach on several pages";
  ClickAt(run, 3, 0, INSTRUCTIONS_Y);
  run.screenshot(6, "instructions_page1");
  run.at(6, [&] {
    EXPECT_GT(PanelEdgeInk(run, -3.5), 50);
    EXPECT_GT(InkIn(run, run.lastPixels, -3.4, 1.5, -2.5, 1.7), 100) << "page label";
    EXPECT_GT(ButtonInk(run, 2.5, -1.5, 5), 200) << "+page";
    EXPECT_LT(ButtonInk(run, -2.5, -1.5, 5), 40) << "-page on the first page";
  });
  int pass = 8;
  for (int p = 1; p < pages; ++p, pass += 3) ClickAt(run, pass, 2.5, -1.5);
  run.screenshot(pass + 2, "instructions_last_page");
  run.at(pass + 2, [&] {
    EXPECT_LT(ButtonInk(run, 2.5, -1.5, 5), 40) << "+page on the last page (the pointer is still there)";
    EXPECT_GT(ButtonInk(run, -2.5, -1.5, 5), 200) << "-page";
  });
  ClickAt(run, pass + 4, -2.5, -1.5);
  run.screenshot(pass + 7, "instructions_page_back");
  run.at(pass + 7, [&] {
    EXPECT_GT(ButtonInk(run, 2.5, -1.5, 5), 200);
    EXPECT_GT(ButtonInk(run, -2.5, -1.5, 5), 200);
  });
  ClickAt(run, pass + 9, 0, -1.5);
  run.screenshot(pass + 12, "instructions_back_to_menu");
  run.at(pass + 12, [&] {
    EXPECT_EQ(PanelEdgeInk(run, -3.5), 0);
    EXPECT_GT(PanelEdgeInk(run, -2.0), 50);
  });
  ClickAt(run, pass + 14, 0, QUIT_Y);
  EXPECT_EQ(run.run(300), 0);
  EXPECT_LT(run.passes, pass + 20) << "quit after the instructions did not end the program";
  EXPECT_TRUE(recorder.messages.empty());
}

TEST(CreditsScreen, TextRisesAndStartsAgainFromBelow) {
  MessageRecorder recorder;
  ScriptedRun run;
  run.dir().write("credits.txt", std::string("red siege\nthanks for playing\n"));
  // The frame after the one that takes the scroll past (lines + 7) x 0.2 draws the first picture
  // again; count those frames as the screen does, with the rig's fixed frame time.
  int period = 0;
  for (double s = -0.6; !(s > (2 + 7) * 0.2); s += 0.45 * 0.013) ++period;
  ClickAt(run, 3, 0, CREDITS_Y);
  const int first = 4;  // the first credits frame
  std::vector<uint8_t> early, later, again;
  auto textTop = [&](const std::vector<uint8_t> &rgb) {
    for (double y = 1.3; y > -0.5; y -= 0.01)
      if (InkIn(run, rgb, -2.4, y, 2.4, y - 0.01) > 0) return y;
    return -1.0;
  };
  run.screenshot(first + 150, "credits");
  run.at(first + 150, [&] { early = run.lastPixels; });
  run.screenshot(first + 200, "credits_later");
  run.at(first + 200, [&] { later = run.lastPixels; });
  run.screenshot(first + 150 + period, "credits_again");
  run.at(first + 150 + period, [&] { again = run.lastPixels; });
  ClickAt(run, first + 152 + period, 0, -0.7);
  run.closeWindow(first + 160 + period);
  EXPECT_EQ(run.run(first + 200 + period), 0);
  ASSERT_FALSE(again.empty());
  double t0 = textTop(early), t1 = textTop(later);
  EXPECT_GT(t0, -0.5) << "no text in view";
  EXPECT_NEAR(t1 - t0, 50 * 0.45 * 0.013, 0.03) << "the text rises at 0.45 units a second";
  EXPECT_EQ(InkIn(run, again, -2.4, 1.3, 2.4, -0.5), InkIn(run, early, -2.4, 1.3, 2.4, -0.5));
  EXPECT_EQ(textTop(again), t0);
  EXPECT_TRUE(recorder.messages.empty());
}

TEST(HighScoreScreen, ShowsTheTablesFromTheFilesAndPagesWrapAround) {
  MessageRecorder recorder;
  ScriptedRun run;
  ScoreTable survive = {}, slayer = {};
  survive.entries[0] = Named("ann", 5000);
  slayer.entries[0] = Named("killer", 999);
  slayer.entries[1] = Named("Odd:Name\x01", 12);  // shown with only what the font draws
  run.dir().write("survivescores.zsc", EncodeScoreTable(survive));
  run.dir().write("slayerscores.zsc", EncodeScoreTable(slayer));
  // The name starts after " 1. "; "ann" fills three cells, "killer" six (after "ann " come the
  // dots, which have little ink).
  double name = -3.4 + 4 * 0.14;
  auto cells = [&](int from, int to) {
    return InkIn(run, run.lastPixels, name + from * 0.14 + 0.02, 1.12, name + to * 0.14 + 0.02, 1.28);
  };
  ClickAt(run, 3, 0, HIGH_SCORES_Y);
  run.screenshot(6, "high_scores_survivors");
  run.at(6, [&] {
    EXPECT_GT(cells(0, 3), 150) << "ann";
    EXPECT_LT(cells(4, 6), 40);
  });
  ClickAt(run, 8, -2.5, -1.5);  // from the first table back to the last
  run.screenshot(11, "high_scores_slayers");
  run.at(11, [&] { EXPECT_GT(cells(4, 6), 80) << "killer"; });
  ClickAt(run, 13, 2.5, -1.5);  // and forward again to the first
  run.screenshot(16, "high_scores_wrapped");
  run.at(16, [&] { EXPECT_LT(cells(4, 6), 40); });
  ClickAt(run, 18, 0, -1.5);
  ClickAt(run, 22, 0, QUIT_Y);
  EXPECT_EQ(run.run(300), 0);
  EXPECT_LT(run.passes, 30);
  EXPECT_TRUE(recorder.messages.empty());
}

// A new size and "left" bound to J, applied: the window is made again at that size with its
// font, the file saved, and the next game is drawn in the new window and runs left on J.
TEST(OptionsScreen, ApplyRecreatesTheWindowSavesAndShapesTheNextGame) {
  MessageRecorder recorder;
  ScriptedRun run;
  ClickAt(run, 3, 0, OPTIONS_Y);
  // Width field: erase four digits, type 800; the same for the height with 600.
  int pass = TypeDigits(run, 6, -2.0, 0.65, 4, "800");
  pass = TypeDigits(run, pass, 1.7, 0.65, 3, "600");
  ClickAt(run, pass, -1.0, -0.75);  // left; its prompt is the next pass
  run.key(pass + 1, SDL_SCANCODE_J);
  run.screenshot(pass + 3, "options_edited");
  ClickAt(run, pass + 4, -0.75, -1.4);  // apply
  run.screenshot(pass + 8, "options_after_apply");
  run.at(pass + 8, [&] {
    EXPECT_EQ(clientWidth, 800);
    EXPECT_EQ(clientHeight, 600);
    EXPECT_STREQ(SDL_GetWindowTitle(SDL_GL_GetCurrentWindow()), "Zombie");
    // The font came back in the new context: the title has its ink.
    EXPECT_GT(InkIn(run, run.lastPixels, -2.4, 2.1, 2.4, 2.9), 1000);
    EXPECT_GT(ButtonInk(run, -0.75, -1.4, 5), 200) << "apply";
  });
  ClickAt(run, pass + 10, 0.75, -1.4);  // back
  run.screenshot(pass + 14, "main_menu_after_apply");
  run.at(pass + 14, [&] {
    EXPECT_GT(InkIn(run, run.lastPixels, -2.6, 2.15, 2.6, 2.85), 1000) << "title";
    for (double y : {1.0, 0.5, 0.2, -0.1, -0.4, -0.7}) EXPECT_GT(ButtonInk(run, 0, y, 5), 150) << y;
  });
  ClickAt(run, pass + 16, 0, 1.0);  // begin
  ClickAt(run, pass + 20, 0, 1.4);  // short
  const int game = pass + 20 + 170;  // after day one's banner
  tvector before{}, after{};
  int skyWhite = -1, ground = 0;
  run.screenshot(game, "game_after_apply_800x600");
  run.at(game, [&] {
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
  EXPECT_EQ(run.shotWidth, 800);
  EXPECT_EQ(skyWhite, 0) << "the sky is missing";
  EXPECT_GT(ground, 100) << "no terrain along the bottom";
  EXPECT_LT(after.x, before.x - 0.3) << "J did not run left";
  toptions saved = OptionsIn(run);
  EXPECT_EQ(saved.screenWidth, 800);
  EXPECT_EQ(saved.screenHeight, 600);
  EXPECT_EQ(saved.colourDepth, 32);
  EXPECT_EQ(saved.keyLeft, 'J');
}

TEST(OptionsScreen, BackLeavesTheLiveOptionsAndTheFileUntouched) {
  MessageRecorder recorder;
  ScriptedRun run;
  std::vector<uint8_t> before = FileBytes(run.dir().file("options.zop"));
  std::vector<uint8_t> live;
  ClickAt(run, 3, 0, OPTIONS_Y);
  ClickAt(run, 6, -1.3, 0.95);   // fullscreen
  ClickAt(run, 9, -1.4, 0.05);   // particles
  ClickAt(run, 12, -2.0, 0.65);  // width field
  run.key(14, SDL_SCANCODE_BACKSPACE);
  ClickAt(run, 16, -1.0, -0.75);  // left: capture
  run.key(17, SDL_SCANCODE_K);
  run.screenshot(20, "options_changed_before_back");
  ClickAt(run, 22, 0.75, -1.4);  // back
  run.at(26, [&] { live = EncodeOptions(Options); });
  ClickAt(run, 28, 0, QUIT_Y);
  EXPECT_EQ(run.run(300), 0);
  EXPECT_EQ(FileBytes(run.dir().file("options.zop")), before);
  toptions expected = {};
  ASSERT_TRUE(DecodeOptions(before.data(), before.size(), expected));
  expected.tutorial = 1;
  EXPECT_EQ(live, EncodeOptions(expected));
  EXPECT_TRUE(recorder.messages.empty());
}

TEST(OptionsScreen, KeyCaptureTakesTheKeyOrLeavesTheBindingOnEscape) {
  MessageRecorder recorder;
  ScriptedRun run;
  ClickAt(run, 3, 0, OPTIONS_Y);
  ClickAt(run, 6, -1.0, -0.75);  // left; the prompt is the next pass
  run.screenshot(7, "options_key_capture");
  run.at(7, [&] {
    EXPECT_GT(InkIn(run, run.lastPixels, -1.45, 0.15, 1.45, -0.15), 500) << "prompt";
    Rgb red = PixelAt(run.lastPixels, run.shotWidth, run.shotHeight, 512 - 140, 384);
    EXPECT_GT(red.r, 150);
    EXPECT_LT(red.g, 40);
  });
  run.key(7, SDL_SCANCODE_J);
  ClickAt(run, 10, 1.0, -0.75);  // right, cancelled
  run.key(11, SDL_SCANCODE_ESCAPE);
  // Two keys already held when the capture starts: the lower code wins.
  HoldKey(run, 14, SDL_SCANCODE_S);
  HoldKey(run, 14, SDL_SCANCODE_B);
  ClickAt(run, 14, 0, -0.9);  // jump
  run.at(16, [] {
    PushKeyNow(SDL_SCANCODE_S, false);
    PushKeyNow(SDL_SCANCODE_B, false);
  });
  // The capture sleeps in the event queue: it looks at the keys once per event, however long
  // the player takes to press one.
  uint32_t looksBefore = 0;
  ClickAt(run, 19, -1.0, -1.05);  // change
  run.at(20, [&] {
    looksBefore = keyCaptureLooks;
    std::thread([] {
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      PushKeyNow(SDL_SCANCODE_T, true);
    }).detach();
  });
  run.at(21, [] { PushKeyNow(SDL_SCANCODE_T, false); });
  uint32_t looks = 0;
  run.at(22, [&] { looks = keyCaptureLooks - looksBefore; });
  run.screenshot(24, "options_keys_bound");
  ClickAt(run, 26, -0.75, -1.4);  // apply
  ClickAt(run, 30, 0.75, -1.4);   // back
  ClickAt(run, 34, 0, QUIT_Y);
  EXPECT_EQ(run.run(300), 0);
  EXPECT_LE(looks, 4u) << "the capture spun instead of waiting";
  toptions saved = OptionsIn(run);
  EXPECT_EQ(saved.keyLeft, 'J');
  EXPECT_EQ(saved.keyRight, 'D');
  EXPECT_EQ(saved.keyJump, 'B');
  EXPECT_EQ(saved.keyChange, 'T');
  EXPECT_EQ(saved.keyUse, 'E');
  EXPECT_TRUE(recorder.messages.empty());
}

namespace {
std::vector<std::string> failureMessages;
// Records the failure's message and lets the next window be made: only the new settings fail.
void RecordAndAllowTheNextWindow(const std::string &text, const std::string &, MessageIcon) {
  failureMessages.push_back(text);
  failWindowStep = 0;
}
}  // namespace

TEST(OptionsScreen, AWindowThatCannotBeMadeBringsTheOldOneBack) {
  MessageRecorder recorder;
  messageHandler = RecordAndAllowTheNextWindow;
  failureMessages.clear();
  ScriptedRun run;
  std::vector<uint8_t> before = FileBytes(run.dir().file("options.zop"));
  int32_t liveWidth = 0;
  ClickAt(run, 3, 0, OPTIONS_Y);
  int pass = TypeDigits(run, 6, -2.0, 0.65, 4, "800");
  ClickAt(run, pass, -0.75, -1.4);  // apply, with no window to be had at the new size
  run.at(pass, [] { failWindowStep = 3; });
  run.screenshot(pass + 4, "options_after_failed_apply");
  run.at(pass + 4, [&] {
    EXPECT_EQ(clientWidth, 1024);
    EXPECT_GT(InkIn(run, run.lastPixels, -2.4, 2.1, 2.4, 2.9), 1000) << "the screen is still drawn";
    // The working copy still holds the player's choice, to be mended and applied again.
    EXPECT_GT(InkIn(run, run.lastPixels, -2.2, 0.57, -1.8, 0.73), 100) << "800";
    EXPECT_LT(InkIn(run, run.lastPixels, -1.78, 0.57, -1.64, 0.73), 20) << "no fourth digit";
    liveWidth = Options.screenWidth;
  });
  ClickAt(run, pass + 6, 0.75, -1.4);  // back
  ClickAt(run, pass + 10, 0, QUIT_Y);
  EXPECT_EQ(run.run(300), 0);
  failWindowStep = 0;
  EXPECT_LT(run.passes, pass + 16);
  EXPECT_EQ(liveWidth, 1024);
  EXPECT_EQ(FileBytes(run.dir().file("options.zop")), before);
  EXPECT_EQ(failureMessages, std::vector<std::string>{"Window creation error."});
}
