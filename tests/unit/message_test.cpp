// Message boxes where none can be shown: nothing is lost and nothing is decided against the player.
#include <gtest/gtest.h>

#include "platform/message.h"
#include "rig/rig.h"

TEST(MessageBoxes, WithoutADisplayTheyGoToStandardErrorAndQuestionsTakeTheSafeAnswer) {
  ASSERT_TRUE(messageHandler == nullptr && yesNoHandler == nullptr);
  ScopedEnv x("DISPLAY", nullptr), wayland("WAYLAND_DISPLAY", nullptr);
  testing::internal::CaptureStderr();
  ShowMessage("Error opening textures/x.bmp", "BMP Unit", MB_ICONEXCLAMATION);
  EXPECT_TRUE(AskYesNo("Use Windowed Mode Instead?", "GL Window", true));
  EXPECT_FALSE(AskYesNo("Replace the saved scores?", "Scores", false));
  const std::string err = testing::internal::GetCapturedStderr();
  for (const char *said : {"BMP Unit: Error opening textures/x.bmp\n", "GL Window: Use Windowed Mode Instead? Yes",
                           "Scores: Replace the saved scores? No"})
    EXPECT_NE(err.find(said), std::string::npos) << err;
}
