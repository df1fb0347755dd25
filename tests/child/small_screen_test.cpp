// Whole-program runs started by gl_tests, each under an Xvfb of its own: ctest does not list them.
#include <gtest/gtest.h>

#include "contentc/contentc.h"
#include "platform/message.h"
#include "platform/window.h"
#include "rig/screen_points.h"

// Under a screen smaller than the options' full-screen size, with the real message boxes (which
// cannot open on an X server without fonts): the game must come up in a window, not quit.
TEST(SmallScreen, FullScreenThatCannotBeAskedAboutRunsWindowed) {
  ASSERT_TRUE(!messageHandler && !yesNoHandler) << "the real message boxes";
  ScriptedRun run;
  toptions wanted = ShippedOptions();
  wanted.fullScreen = 1, wanted.screenWidth = 1024, wanted.screenHeight = 768;
  run.dir().write("options.zop", EncodeOptions(wanted));
  bool windowed = false;
  run.screenshot(6, "small_screen_main_menu");
  run.at(6, [&] { windowed = fullscreenActive == 0; });
  run.closeWindow(7);
  EXPECT_EQ(run.run(300), 0);
  EXPECT_EQ(run.passes, 7) << "the main menu did not run";
  EXPECT_TRUE(windowed);
  ASSERT_TRUE(run.shotWidth == 1024 && run.shotHeight == 768) << run.shotWidth << "x" << run.shotHeight;
  EXPECT_GT(InkIn(run, run.lastPixels, -2.46, 2.87, 2.52, 2.19), 3000) << "no title in " << run.lastShot;
}
