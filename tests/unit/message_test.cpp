// Message boxes where none can be shown: nothing is lost and nothing is decided against the player.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

#include "platform/message.h"

namespace {
// Removes an environment variable for the scope, putting it back after.
struct Unset {
  explicit Unset(const char *name) : name(name) {
    if (const char *v = std::getenv(name)) saved = v;
    unsetenv(name);
  }
  ~Unset() {
    if (saved) setenv(name, saved->c_str(), 1);
  }
  const char *name;
  std::optional<std::string> saved;
};
}  // namespace

TEST(MessageBoxes, WithoutADisplayTheyGoToStandardErrorAndQuestionsTakeTheSafeAnswer) {
  ASSERT_TRUE(messageHandler == nullptr && yesNoHandler == nullptr);
  Unset x("DISPLAY"), wayland("WAYLAND_DISPLAY");
  testing::internal::CaptureStderr();
  ShowMessage("Error opening textures/x.bmp", "BMP Unit", MB_ICONEXCLAMATION);
  EXPECT_TRUE(AskYesNo("Use Windowed Mode Instead?", "GL Window", true));
  EXPECT_FALSE(AskYesNo("Replace the saved scores?", "Scores", false));
  const std::string err = testing::internal::GetCapturedStderr();
  for (const char *said : {"BMP Unit: Error opening textures/x.bmp\n", "GL Window: Use Windowed Mode Instead? Yes",
                           "Scores: Replace the saved scores? No"})
    EXPECT_NE(err.find(said), std::string::npos) << err;
}
