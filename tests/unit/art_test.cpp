// The drawn textures: the layouts the game's drawing relies on. How they look is for people to judge on the preview's
// contact sheet.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>

#include "base/files.h"
#include "contentc/art.h"
#include "render/textures.h"
#include "rig/rig.h"

namespace {

// Ink rows and columns of a rectangle of a canvas (alpha above a threshold), relative to it.
struct Ink {
  int minX = 1 << 30, maxX = -1, minY = 1 << 30, maxY = -1, count = 0;
  bool empty() const { return count == 0; }
};

Ink InkIn(const Canvas &c, int x0, int y0, int w, int h, double threshold = 0.0) {
  Ink ink;
  for (int y = y0; y < y0 + h; ++y)
    for (int x = x0; x < x0 + w; ++x)
      if (c.get(x, y).a > threshold) {
        ink.minX = std::min(ink.minX, x - x0);
        ink.maxX = std::max(ink.maxX, x - x0);
        ink.minY = std::min(ink.minY, y - y0);
        ink.maxY = std::max(ink.maxY, y - y0);
        ++ink.count;
      }
  return ink;
}

// Pixel at texture coordinates (s, t), t counted in pixel-data rows as GL does.
Rgba At(const Canvas &c, double s, double t) {
  return c.get(std::clamp(int(s * c.width), 0, c.width - 1), std::clamp(int(t * c.height), 0, c.height - 1));
}

bool AllWhite(const Canvas &c) {
  for (int y = 0; y < c.height; ++y)
    for (int x = 0; x < c.width; ++x)
      if (Rgba p = c.get(x, y); p.r != 1 || p.g != 1 || p.b != 1) return false;
  return true;
}

Canvas Font() {
  Canvas font(1, 1);
  std::string error;
  EXPECT_TRUE(MakeFontImage(FindFontFile(), font, &error)) << error;
  return font;
}

Ink Glyph(const Canvas &font, char ch, int row = 0, int rows = 32) {
  int k = int(std::strchr(kFontChars, ch) - kFontChars);
  return InkIn(font, (k % 6) * 32, (k / 6) * 32 + row, 32, rows, 0.5);
}

}  // namespace

TEST(ArtFont, GlyphsInkTheirOwnCellsUprightOnOneBaseline) {
  Canvas font = Font();
  ASSERT_TRUE(font.width == 256 && font.height == 256);
  ASSERT_EQ(std::strlen(kFontChars), size_t(kFontGlyphs));
  for (int k = 0; k < 48; ++k) {  // the 42 glyphs and the unused rest of the seventh row
    Ink ink = InkIn(font, (k % 6) * 32, (k / 6) * 32, 32, 32);
    if (k >= kFontGlyphs || kFontChars[k] == ' ') {
      EXPECT_TRUE(ink.empty()) << k;
      continue;
    }
    // A margin inside the cell, and centred across it so the fixed advance spaces evenly.
    EXPECT_TRUE(ink.minX >= 1 && ink.maxX <= 30 && ink.minY >= 1 && ink.maxY <= 30) << k;
    EXPECT_LE(std::abs(ink.minX - (31 - ink.maxX)), 1) << k;
  }
  EXPECT_TRUE(InkIn(font, 192, 0, 64, 256).empty());  // nothing outside the 6 x 7 grid
  EXPECT_TRUE(AllWhite(font)) << "filtering would darken an edge";
  // A cell's first pixel-data row is the top of the glyph on screen: '!' has its bar (the longer run of inked rows)
  // first and its dot last.
  std::vector<int> runs;
  for (int y = 0, inked = 0; y <= 32; ++y) {
    bool now = y < 32 && !Glyph(font, '!', y, 1).empty();
    if (now) ++inked;
    if (!now && inked) runs.push_back(inked), inked = 0;
  }
  ASSERT_EQ(runs.size(), 2u) << "no separate dot";
  EXPECT_GT(runs[0], 2 * runs[1]) << "the long bar must come first (on top)";
  // Letters share a baseline: a descender drops below it.
  EXPECT_GT(Glyph(font, 'p').maxY, Glyph(font, 'x').maxY + 4);
  // A missing or broken font is refused with a reason.
  Canvas none(1, 1);
  std::string error;
  EXPECT_FALSE(MakeFontImage("/nonexistent/font.ttf", none, &error));
  EXPECT_NE(error.find("/nonexistent/font.ttf"), std::string::npos);
  TempDir dir;
  dir.write("bad.ttf", std::string("not a font at all"));
  EXPECT_FALSE(MakeFontImage(dir.file("bad.ttf"), none, &error));
}

TEST(ArtSprites, ShapesSitWhereTheGameSamplesThem) {
  // The defender: feet on the quad's bottom edge, head inside t < 0.95, clear of the wrap.
  Canvas guy = MakeDefenderImage();
  Ink body = InkIn(guy, 0, 0, guy.width, guy.height, 0.5);
  EXPECT_TRUE(body.minY <= 1 && body.maxY < int(0.95 * guy.height) && body.maxY > int(0.85 * guy.height));
  EXPECT_TRUE(body.minX >= 1 && body.maxX <= guy.width - 2);
  // His arm lies in the upper half, the hand reaching s = 1, the shoulder covering the pivot (0.025 of the 0.11 quad
  // from the back edge) in the plain and the mirrored placement.
  Canvas arm = MakeDefenderArm();
  EXPECT_TRUE(InkIn(arm, 0, 0, arm.width, arm.height / 2 + 1).empty());
  Ink reach = InkIn(arm, 0, arm.height / 2, arm.width, arm.height / 2, 0.5);
  EXPECT_TRUE(reach.maxY <= arm.height / 2 - 2 && reach.maxX > int(0.9 * arm.width));
  EXPECT_EQ(At(arm, 0.025 / 0.11, 0.5 + 0.5 * 0.05 / 0.06).a, 1);
  EXPECT_EQ(At(arm, 0.025 / 0.11, 1 - 0.5 * 0.015 / 0.06).a, 1);
  // The helicopter carries its rotors where the game spins them.
  Canvas heli = MakeHelicopter();
  ASSERT_EQ(heli.width, 2 * heli.height);                // the quad is 2.4 x 1.2
  EXPECT_EQ(At(heli, 0.0390625, 0.8046875).a, 1);        // tail rotor hub
  EXPECT_EQ(At(heli, 0.640625, 0.71875 - 0.01).a, 1);    // top of the mast...
  EXPECT_LT(At(heli, 0.640625, 0.71875 + 0.05).a, 0.1);  // ...and nothing above it
  EXPECT_GT(At(heli, 0.625, 0.583).a, 0.5);              // the rope comes out of the cabin
}

// Each texture the game loads is written, and reads back through the game's own decoder; the font's first pixel-data
// row is the top of glyph row 0.
TEST(ArtFiles, TheTexturesAreWrittenAsTheLoaderReadsThem) {
  TempDir dir;
  ASSERT_TRUE(WriteTextureFiles(dir.path()));
  DecodedImage font;
  for (const char *name : {"fonttrans.tga", "daynight.tga", "colours2.tga", "gun icons.tga", "supplies.tga",
                           "symbol.tga", "guytex.tga", "armtex.tga", "heli.tga", "smoke.tga"}) {
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(ReadFileBytes(dir.path() + "/textures/" + name, bytes)) << name;
    DecodedImage img;
    DecodeError err;
    ASSERT_TRUE(DecodeTarga(name, bytes.data(), bytes.size(), img, err)) << err.message;
    if (font.pixels.empty()) font = img;
  }
  Canvas image = Font();
  ASSERT_EQ(font.width, 256);
  for (int x = 0; x < 256; ++x) EXPECT_EQ(font.pixels[4 * x + 3], uint8_t(std::lround(image.get(x, 0).a * 255)));
}
