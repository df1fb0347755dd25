// Text and widgets: what they draw and how they answer the mouse and keys.
#include <GL/gl.h>

#include <cmath>

#include "base/files.h"
#include "platform/window.h"
#include "render/text.h"
#include "render/textures.h"
#include "rig/rig.h"

namespace {
class Widgets : public GlTest {
 protected:
  Widgets() { width = 400, height = 300; }
  void SetUp() override {
    GlTest::SetUp();
    for (auto &k : keyDown) k = 0;
    mouseLeftDown = 0;
    LastClickPos = {100, 100};
    baseDirectory = BuiltDataDir();
    MessageRecorder quiet;
    LoadTextureFile(DataPath("textures/fonttrans.tga"), fontTexture);
    ASSERT_NE(fontTexture, 0u);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    glTranslated(0, 0, -9);
  }
  void TearDown() override {
    fontTexture = 0;
    GlTest::TearDown();
  }
  // Screen-plane point to window pixel (y from the top).
  void ToPixel(double px, double py, int &x, int &y) const {
    double k = 5.0 / (width / 2.0);
    x = static_cast<int>(std::lround(px / k + width / 2.0));
    y = static_cast<int>(std::lround(-py / k + height / 2.0));
  }
  int InkIn(const std::vector<uint8_t> &rgb, double x0, double y0, double x1, double y1) const {
    int px0, py0, px1, py1, n = 0;
    ToPixel(x0, y1, px0, py0);
    ToPixel(x1, y0, px1, py1);
    for (int y = py0; y < py1; ++y)
      for (int x = px0; x < px1; ++x)
        if (PixelAt(rgb, width, height, x, y).r < 128) ++n;
    return n;
  }
};

}  // namespace

TEST_F(Widgets, TextInkStaysInItsGlyphCellsAndCapitalsDrawSmall) {
  DrawText("Ab:c", {-1, 0}, false);
  const auto lower = ReadPixelsRGB(width, height);
  glClear(GL_COLOR_BUFFER_BIT);
  DrawText("ab c", {-1, 0}, false);
  const auto plain = ReadPixelsRGB(width, height);
  EXPECT_EQ(lower, plain) << "capitals and the colon must draw as small letters and a blank";
  // Ink in each letter's advance cell, none in the blank's, none above or below the line.
  for (int i : {0, 1, 3}) EXPECT_GT(InkIn(plain, -1 + 0.03 + 0.14 * i, -0.09, -1 + 0.17 + 0.14 * i, 0.09), 5) << i;
  EXPECT_EQ(InkIn(plain, -1 + 0.06 + 0.28, -0.08, -1 + 0.14 + 0.28, 0.08), 0);
  EXPECT_EQ(InkIn(plain, -1.2, 0.12, 0, 0.5), 0);
  EXPECT_EQ(InkIn(plain, -1.2, -0.5, 0, -0.12), 0);
}

TEST_F(Widgets, OnlyTheFirstButtonUnderAClickReportsIt) {
  mouseLeftDown = 1;
  EXPECT_TRUE(Button("one", {0, 0}, {0.1, 0.05}, 1.0));
  EXPECT_FALSE(Button("two", {0, 0}, {0.1, 0.05}, 1.0));
  EXPECT_EQ(mouseLeftDown, 0);
  // Outside its box a held button does nothing and keeps the press for others.
  mouseLeftDown = 1;
  EXPECT_FALSE(Button("one", {0, 0}, {0.3, 0.05}, 1.0));  // half width is 3 * 0.07
  EXPECT_EQ(mouseLeftDown, 1);
  EXPECT_TRUE(Button("one", {0, 0}, {0.3, 0.05}, 2.0));  // the scale widens the box
}

TEST_F(Widgets, TypingFollowsFocusOrderAndLength) {
  const struct {
    const char *before;
    double focusX;  // the last click: inside the field at 0.1
    uint8_t length;
    bool digitsOnly;
    std::string keys, after, keysLeftDown;
  } cases[] = {
      {"123", 0.1, 4, true, "45", "1234", ""},
      {"12", 0.1, 4, true, "\b7", "17", ""},       // backspace and 7 in one frame
      {"", 0.1, 10, false, " BA3", "3ab ", ""},    // digits, letters, blank, whatever the order
      {"3ab ", 0.1, 10, true, "C", "3ab ", "C"},   // letters left for others
      {"3ab ", 3, 10, false, "9C", "3ab ", "9C"},  // without focus nothing is typed
  };
  for (const auto &c : cases) {
    for (auto &k : keyDown) k = 0;
    for (char k : c.keys) keyDown[static_cast<uint8_t>(k)] = 1;
    LastClickPos = {c.focusX, c.focusX};
    std::string text = c.before;
    TextField(text, {0, 0}, c.length, c.digitsOnly);
    EXPECT_EQ(text, c.after) << c.keys;
    std::string down;
    for (char k : c.keys)
      if (keyDown[static_cast<uint8_t>(k)]) down += k;
    EXPECT_EQ(down, c.keysLeftDown) << c.keys;
  }
}
