#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

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
  // A missing or broken font is refused with a reason.
  Canvas none(1, 1);
  std::string error;
  EXPECT_FALSE(MakeFontImage("/nonexistent/font.ttf", none, &error));
  EXPECT_NE(error.find("/nonexistent/font.ttf"), std::string::npos);
  TempDir dir;
  dir.write("bad.ttf", std::string("not a font at all"));
  EXPECT_FALSE(MakeFontImage(dir.file("bad.ttf"), none, &error));
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
