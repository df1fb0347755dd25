// Whole-program runs through the screens behind the main menu: instructions, credits, high
// scores and options (with key capture and window re-creation, and a game after it).
#include <SDL.h>

#include <chrono>
#include <cstring>
#include <thread>
#include <tuple>

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
// Options-screen controls.
constexpr double APPLY_X = -0.75, BACK_X = 0.75, BOTTOM_Y = -1.4, WIDTH_X = -2.0, HEIGHT_X = 1.7, SIZE_Y = 0.65;

// A run of the menus that must show no message box.
class Menus : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_TRUE(recorder.messages.empty()); }
  Rgb Pixel(int x, int y) const { return PixelAt(run.lastPixels, run.shotWidth, run.shotHeight, x, y); }
  int Ink(double x0, double y0, double x1, double y1) const { return InkIn(run, run.lastPixels, x0, y0, x1, y1); }
  // Ink of a button caption of n characters at scale 2 centred at (x, y).
  int ButtonInk(double x, double y, int n = 5) const { return Ink(x - n * 0.14, y - 0.15, x + n * 0.14, y + 0.15); }
  // The left edge of a body panel at x (main menu: 2.0; instructions and scores: 3.5).
  int PanelEdgeInk(double x) const { return Ink(x - 0.03, -0.5, x + 0.03, 0.5); }
  // "-page" and "+page" drawn, or left out as at either end of the pages.
  void ExpectPageButtons(bool minus, bool plus) const {
    for (auto [x, shown] : {std::pair{-2.5, minus}, std::pair{2.5, plus}})
      EXPECT_TRUE(shown ? ButtonInk(x, -1.5) > 200 : ButtonInk(x, -1.5) < 40) << x << ": " << ButtonInk(x, -1.5);
  }
  toptions SavedOptions() const {
    std::vector<uint8_t> b = FileBytes(run.dir().file("options.zop"));
    toptions o = {};
    EXPECT_TRUE(DecodeOptions(b.data(), b.size(), o));
    return o;
  }
  MessageRecorder recorder;
  ScriptedRun run;
};

ScoreEntry Named(const char *name, int32_t score) {
  ScoreEntry e = {};
  e.nameLength = static_cast<uint8_t>(std::strlen(name));
  std::memcpy(e.name, name, e.nameLength);
  e.score = score;
  return e;
}
}  // namespace

TEST_F(Menus, InstructionsPagesStepBothWaysAndBackReturnsToTheMenu) {
  int pages = static_cast<int>(PageStarts(ReadTextLines(BuiltDataDir() + "/instructions.txt", 48)).size());
  ASSERT_GE(pages, 8) << "the shipped instructions teach on several pages";
  ClickAt(run, 3, 0, INSTRUCTIONS_Y);
  run.screenshot(6, "instructions_page1");
  run.at(6, [&] {
    EXPECT_GT(PanelEdgeInk(-3.5), 50);
    EXPECT_GT(Ink(-3.4, 1.5, -2.5, 1.7), 100) << "page label";
    ExpectPageButtons(false, true);
  });
  int pass = 8;
  for (int p = 1; p < pages; ++p, pass += 3) ClickAt(run, pass, 2.5, -1.5);
  run.screenshot(pass + 2, "instructions_last_page");
  run.at(pass + 2, [&] { ExpectPageButtons(true, false); });  // the pointer is still on "+page"
  ClickAt(run, pass + 4, -2.5, -1.5);
  run.screenshot(pass + 7, "instructions_page_back");
  run.at(pass + 7, [&] { ExpectPageButtons(true, true); });
  ClickAt(run, pass + 9, 0, -1.5);
  run.screenshot(pass + 12, "instructions_back_to_menu");
  run.at(pass + 12, [&] { EXPECT_TRUE(PanelEdgeInk(-3.5) == 0 && PanelEdgeInk(-2.0) > 50); });
  ClickAt(run, pass + 14, 0, QUIT_Y);
  EXPECT_EQ(run.run(300), 0);
  EXPECT_LT(run.passes, pass + 20) << "quit after the instructions did not end the program";
}

TEST_F(Menus, CreditsRiseAndStartAgainFromBelow) {
  run.dir().write("credits.txt", std::string("red siege\nthanks for playing\n"));
  // The frame after the one that takes the scroll past (lines + 7) x 0.2 draws the first picture
  // again; count those frames as the screen does, with the rig's fixed frame time.
  int period = 0;
  for (double s = -0.6; !(s > (2 + 7) * 0.2); s += 0.45 * 0.013) ++period;
  ClickAt(run, 3, 0, CREDITS_Y);
  const int first = 4;  // the first credits frame
  std::vector<uint8_t> early, later, again;
  for (auto [pass, name, keep] : {std::tuple{first + 150, "credits", &early},
                                  {first + 200, "credits_later", &later},
                                  {first + 150 + period, "credits_again", &again}}) {
    run.screenshot(pass, name);
    run.at(pass, [this, keep = keep] { *keep = run.lastPixels; });
  }
  ClickAt(run, first + 152 + period, 0, -0.7);
  run.closeWindow(first + 160 + period);
  EXPECT_EQ(run.run(first + 200 + period), 0);
  ASSERT_FALSE(again.empty());
  auto textTop = [&](const std::vector<uint8_t> &rgb) {
    for (double y = 1.3; y > -0.5; y -= 0.01)
      if (InkIn(run, rgb, -2.4, y, 2.4, y - 0.01) > 0) return y;
    return -1.0;
  };
  double t0 = textTop(early);
  EXPECT_GT(t0, -0.5) << "no text in view";
  EXPECT_NEAR(textTop(later) - t0, 50 * 0.45 * 0.013, 0.03) << "the text rises at 0.45 units a second";
  EXPECT_EQ(InkIn(run, again, -2.4, 1.3, 2.4, -0.5), InkIn(run, early, -2.4, 1.3, 2.4, -0.5));
  EXPECT_EQ(textTop(again), t0);
}

TEST_F(Menus, HighScoresShowTheTablesFromTheFilesAndPagesWrapAround) {
  ScoreTable survive = {}, slayer = {};
  survive.entries[0] = Named("ann", 5000);
  slayer.entries[0] = Named("killer", 999);
  slayer.entries[1] = Named("Odd:Name\x01", 12);  // shown with only what the font draws
  run.dir().write("survivescores.zsc", EncodeScoreTable(survive));
  run.dir().write("slayerscores.zsc", EncodeScoreTable(slayer));
  // Cells of the first name, after " 1. ": "ann" fills three, "killer" six (after "ann " come
  // the dots, which have little ink).
  auto cells = [&](int from, int to) {
    double name = -3.4 + 4 * 0.14;
    return Ink(name + from * 0.14 + 0.02, 1.12, name + to * 0.14 + 0.02, 1.28);
  };
  ClickAt(run, 3, 0, HIGH_SCORES_Y);
  run.screenshot(6, "high_scores_survivors");
  run.at(6,
         [&] { EXPECT_TRUE(cells(0, 3) > 150 && cells(4, 6) < 40) << "ann: " << cells(0, 3) << " " << cells(4, 6); });
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
}

// A new size and "left" bound to J, applied: the window is made again at that size with its
// font, the file saved, and the next game is drawn in the new window and runs left on J.
TEST_F(Menus, OptionsApplyRecreatesTheWindowSavesAndShapesTheNextGame) {
  ClickAt(run, 3, 0, OPTIONS_Y);
  int pass = TypeDigits(run, 6, WIDTH_X, SIZE_Y, 4, "800");
  pass = TypeDigits(run, pass, HEIGHT_X, SIZE_Y, 3, "600");
  ClickAt(run, pass, -1.0, -0.75);  // left; its prompt is the next pass
  run.key(pass + 1, SDL_SCANCODE_J);
  run.screenshot(pass + 3, "options_edited");
  ClickAt(run, pass + 4, APPLY_X, BOTTOM_Y);
  run.screenshot(pass + 8, "options_after_apply");
  run.at(pass + 8, [&] {
    EXPECT_EQ(clientWidth, 800);
    EXPECT_EQ(clientHeight, 600);
    EXPECT_STREQ(SDL_GetWindowTitle(SDL_GL_GetCurrentWindow()), "Zombie");
    EXPECT_GT(Ink(-2.4, 2.1, 2.4, 2.9), 1000) << "the title: the font came back in the new context";
    EXPECT_GT(ButtonInk(APPLY_X, BOTTOM_Y), 200);
  });
  ClickAt(run, pass + 10, BACK_X, BOTTOM_Y);
  run.screenshot(pass + 14, "main_menu_after_apply");
  run.at(pass + 14, [&] {
    EXPECT_GT(Ink(-2.6, 2.15, 2.6, 2.85), 1000) << "title";
    for (double y : {1.0, 0.5, 0.2, -0.1, -0.4, -0.7}) EXPECT_GT(ButtonInk(0, y), 150) << y;
  });
  ClickAt(run, pass + 16, 0, 1.0);   // begin
  ClickAt(run, pass + 20, 0, 1.4);   // short
  const int game = pass + 20 + 170;  // after day one's banner
  tvector before{}, after{};
  int skyWhite = -1, ground = 0;
  run.screenshot(game, "game_after_apply_800x600");
  run.at(game, [&] {
    Rgb sky = Pixel(400, 20);
    skyWhite = sky.r > 250 && sky.g > 250 && sky.b > 250;
    for (int x = 0; x < run.shotWidth; x += 4) {
      Rgb p = Pixel(x, run.shotHeight - 20);
      ground += p.r < 40 && p.g < 40 && p.b < 40;
    }
    before = Player.body.pos;
  });
  run.hold(game + 2, SDL_SCANCODE_J, 40);
  run.at(game + 44, [&] { after = Player.body.pos; });
  run.closeWindow(game + 46);
  EXPECT_EQ(run.run(game + 100), 0);
  EXPECT_EQ(run.shotWidth, 800);
  EXPECT_EQ(skyWhite, 0) << "the sky is missing";
  EXPECT_GT(ground, 100) << "no terrain along the bottom";
  EXPECT_LT(after.x, before.x - 0.3) << "J did not run left";
  toptions saved = SavedOptions();
  EXPECT_EQ(std::tuple(saved.screenWidth, saved.screenHeight, saved.colourDepth, saved.keyLeft),
            std::tuple(800, 600, 32, 'J'));
}

TEST_F(Menus, OptionsBackLeavesTheLiveOptionsAndTheFileUntouched) {
  std::vector<uint8_t> before = FileBytes(run.dir().file("options.zop")), live;
  ClickAt(run, 3, 0, OPTIONS_Y);
  ClickAt(run, 6, -1.3, 0.95);  // fullscreen
  ClickAt(run, 9, -1.4, 0.05);  // particles
  ClickAt(run, 12, WIDTH_X, SIZE_Y);
  run.key(14, SDL_SCANCODE_BACKSPACE);
  ClickAt(run, 16, -1.0, -0.75);  // left: capture
  run.key(17, SDL_SCANCODE_K);
  run.screenshot(20, "options_changed_before_back");
  ClickAt(run, 22, BACK_X, BOTTOM_Y);
  run.at(26, [&] { live = EncodeOptions(Options); });
  ClickAt(run, 28, 0, QUIT_Y);
  EXPECT_EQ(run.run(300), 0);
  EXPECT_EQ(FileBytes(run.dir().file("options.zop")), before);
  toptions expected = SavedOptions();
  expected.tutorial = 1;
  EXPECT_EQ(live, EncodeOptions(expected));
}

TEST_F(Menus, OptionsKeyCaptureTakesTheKeyOrLeavesTheBindingOnEscape) {
  ClickAt(run, 3, 0, OPTIONS_Y);
  ClickAt(run, 6, -1.0, -0.75);  // left; the prompt is the next pass
  run.screenshot(7, "options_key_capture");
  run.at(7, [&] {
    EXPECT_GT(Ink(-1.45, 0.15, 1.45, -0.15), 500) << "prompt";
    Rgb red = Pixel(512 - 140, 384);
    EXPECT_TRUE(red.r > 150 && red.g < 40) << red.r << "," << red.g;
  });
  run.key(7, SDL_SCANCODE_J);
  ClickAt(run, 10, 1.0, -0.75);  // right, cancelled
  run.key(11, SDL_SCANCODE_ESCAPE);
  // Two keys already held when the capture starts: the lower code wins.
  HoldKey(run, 14, SDL_SCANCODE_S);
  HoldKey(run, 14, SDL_SCANCODE_B);
  ClickAt(run, 14, 0, -0.9);  // jump
  run.at(16, [] { PushKeyNow(SDL_SCANCODE_S, false), PushKeyNow(SDL_SCANCODE_B, false); });
  // The capture sleeps in the event queue: it looks at the keys once per event, however long
  // the player takes to press one.
  uint32_t looks = 0;
  ClickAt(run, 19, -1.0, -1.05);  // change
  run.at(20, [&] {
    looks = keyCaptureLooks;
    std::thread([] {
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      PushKeyNow(SDL_SCANCODE_T, true);
    }).detach();
  });
  run.at(21, [] { PushKeyNow(SDL_SCANCODE_T, false); });
  run.at(22, [&] { looks = keyCaptureLooks - looks; });
  run.screenshot(24, "options_keys_bound");
  ClickAt(run, 26, APPLY_X, BOTTOM_Y);
  ClickAt(run, 30, BACK_X, BOTTOM_Y);
  ClickAt(run, 34, 0, QUIT_Y);
  EXPECT_EQ(run.run(300), 0);
  EXPECT_LE(looks, 4u) << "the capture spun instead of waiting";
  toptions saved = SavedOptions();
  EXPECT_EQ(std::string({char(saved.keyLeft), char(saved.keyRight), char(saved.keyJump), char(saved.keyChange),
                         char(saved.keyUse)}),
            "JDBTE")
      << "left, right, jump, change, use";
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
  int32_t liveWidth = 0;
  ClickAt(run, 3, 0, OPTIONS_Y);
  int pass = TypeDigits(run, 6, WIDTH_X, SIZE_Y, 4, "800");
  ClickAt(run, pass, APPLY_X, BOTTOM_Y);  // with no window to be had at the new size
  run.at(pass, [] { failWindowStep = 3; });
  run.screenshot(pass + 4, "options_after_failed_apply");
  run.at(pass + 4, [&] {
    EXPECT_EQ(clientWidth, 1024);
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
