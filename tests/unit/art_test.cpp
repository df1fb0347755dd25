// The drawn textures: layouts the game's drawing relies on, and the looks that must not go wrong.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "app/files.h"
#include "contentc/art.h"
#include "rig/rig.h"

namespace {

// Ink rows and columns of a rectangle of a canvas (alpha above a threshold).
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
  int x = std::clamp(int(s * c.width), 0, c.width - 1), y = std::clamp(int(t * c.height), 0, c.height - 1);
  return c.get(x, y);
}

Canvas Font() {
  Canvas font(1, 1);
  std::string error;
  EXPECT_TRUE(MakeFontImage(FindFontFile(), font, &error)) << error;
  return font;
}

int GlyphIndex(char ch) { return int(std::strchr(kFontChars, ch) - kFontChars); }

}  // namespace

TEST(ArtFont, EveryGlyphInksItsOwnCellWithAMargin) {
  Canvas font = Font();
  ASSERT_EQ(font.width, 256);
  ASSERT_EQ(font.height, 256);
  ASSERT_EQ(std::strlen(kFontChars), size_t(kFontGlyphs));
  for (int k = 0; k < 48; ++k) {  // the 42 glyphs and the unused rest of the seventh row
    SCOPED_TRACE(k);
    Ink ink = InkIn(font, (k % 6) * 32, (k / 6) * 32, 32, 32);
    if (k >= kFontGlyphs || kFontChars[k] == ' ') {
      EXPECT_TRUE(ink.empty());
      continue;
    }
    ASSERT_FALSE(ink.empty());
    EXPECT_GE(ink.minX, 1);
    EXPECT_LE(ink.maxX, 30);
    EXPECT_GE(ink.minY, 1);
    EXPECT_LE(ink.maxY, 30);
    // Centred across the cell, so the fixed advance spaces letters evenly.
    EXPECT_LE(std::abs(ink.minX - (31 - ink.maxX)), 1);
  }
  // Nothing outside the 6-column, 7-row grid.
  EXPECT_TRUE(InkIn(font, 192, 0, 64, 256).empty());
  EXPECT_TRUE(InkIn(font, 0, 224, 256, 32).empty());
  // White everywhere, transparent or not, so filtering never darkens an edge.
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      Rgba p = font.get(x, y);
      ASSERT_TRUE(p.r == 1 && p.g == 1 && p.b == 1) << x << "," << y;
    }
}

TEST(ArtFont, GlyphsStandUprightOnOneBaseline) {
  // The text drawing puts a cell's first pixel-data row at the top of the glyph on screen, so
  // "top" below means lower row numbers.
  Canvas font = Font();
  auto glyph = [&](char ch) {
    int k = GlyphIndex(ch);
    return InkIn(font, (k % 6) * 32, (k / 6) * 32, 32, 32, 0.5);
  };
  // '!': a bar, a gap, then the dot at the bottom.
  int k = GlyphIndex('!');
  std::vector<bool> inkRow(32);
  for (int y = 0; y < 32; ++y) inkRow[y] = !InkIn(font, (k % 6) * 32, (k / 6) * 32 + y, 32, 1, 0.5).empty();
  int first = int(std::find(inkRow.begin(), inkRow.end(), true) - inkRow.begin());
  int gap = int(std::find(inkRow.begin() + first, inkRow.end(), false) - inkRow.begin());
  int dot = int(std::find(inkRow.begin() + gap, inkRow.end(), true) - inkRow.begin());
  int end = int(std::find(inkRow.begin() + dot, inkRow.end(), false) - inkRow.begin());
  ASSERT_LT(dot, 32) << "no separate dot";
  EXPECT_GT(gap - first, 2 * (end - dot)) << "the long bar must come first (on top)";
  // Letters share a baseline; ascenders rise above it and descenders drop below.
  Ink a = glyph('a'), x = glyph('x'), b = glyph('b'), p = glyph('p'), dotGlyph = glyph('.');
  EXPECT_NEAR(a.maxY, x.maxY, 1);
  EXPECT_NEAR(b.maxY, x.maxY, 1);
  EXPECT_NEAR(dotGlyph.maxY, x.maxY, 1);
  EXPECT_LT(b.minY, x.minY - 4);
  EXPECT_GT(p.maxY, x.maxY + 4);
  EXPECT_NEAR(p.minY, x.minY, 1);
  // 'j' has its dot on top: its first ink rows are narrower than its hook at the bottom.
  Ink j = glyph('j');
  EXPECT_LT(j.minY, x.minY);
}

TEST(ArtFont, MissingFontIsReported) {
  Canvas font(1, 1);
  std::string error;
  EXPECT_FALSE(MakeFontImage("/nonexistent/font.ttf", font, &error));
  EXPECT_NE(error.find("/nonexistent/font.ttf"), std::string::npos);
  EXPECT_FALSE(MakeFontImage("", font, &error));
  TempDir dir;
  dir.write("bad.ttf", std::string("not a font at all"));
  EXPECT_FALSE(MakeFontImage(dir.file("bad.ttf"), font, &error));
}

TEST(ArtSky, DayIsBrightBlueNightIsDarkAndTheDayWraps) {
  Canvas sky = MakeDayNightImage();
  auto column = [&](double time, double t) { return At(sky, time, t); };
  // The screen shows t from 0.25 (top) to 0.75 (bottom).
  for (double t = 0.26; t < 0.75; t += 0.04) {
    Rgba noon = column(0.3125, t);
    EXPECT_GT(noon.b, noon.r);
    EXPECT_GT(noon.b, noon.g);
    EXPECT_GT((noon.r + noon.g + noon.b) / 3, 0.5) << t;
    Rgba midnight = column(0.8, t);
    EXPECT_LT(std::max({midnight.r, midnight.g, midnight.b}), 0.36) << t;
    EXPECT_LT((midnight.r + midnight.g + midnight.b) / 3, 0.22) << t;
    EXPECT_GE(midnight.b, midnight.r);
  }
  // Lighter towards the horizon at the bottom of the screen, by day and by night.
  auto sum = [](Rgba c) { return c.r + c.g + c.b; };
  EXPECT_GT(sum(column(0.3125, 0.74)), sum(column(0.3125, 0.26)) + 0.2);
  EXPECT_GT(sum(column(0.8, 0.74)), sum(column(0.8, 0.26)));
  // Sunset glows warm at the horizon; dawn is warm too.
  Rgba dusk = column(0.58, 0.74), dawn = column(0.0, 0.74);
  EXPECT_GT(dusk.r, dusk.b + 0.3);
  EXPECT_GT(dawn.r, dawn.b + 0.2);
  // No jumps: neighbouring columns (including across the wrap at s = 0) stay close.
  double worst = 0;
  for (int y = 0; y < sky.height; ++y)
    for (int x = 0; x < sky.width; ++x) {
      Rgba a = sky.get(x, y), b = sky.get((x + 1) % sky.width, y);
      worst = std::max({worst, std::fabs(a.r - b.r), std::fabs(a.g - b.g), std::fabs(a.b - b.b)});
    }
  EXPECT_LT(worst, 0.08);
  for (int y = 0; y < sky.height; ++y) EXPECT_DOUBLE_EQ(sky.get(0, y).a, 1);
}

TEST(ArtParticles, RowsFillTheirSampledBandAndKeepClearMargins) {
  Canvas atlas = MakeParticleAtlas();
  ASSERT_EQ(atlas.height % 8, 0);
  const int rowH = atlas.height / 8;
  for (int k = 0; k < 8; ++k) {
    SCOPED_TRACE(k);
    int y0 = k * rowH;
    // The quad samples t from k/8 + 0.01 to k/8 + 0.115: content in there, none at the edges.
    Ink inside = InkIn(atlas, 0, y0, atlas.width, rowH, 0.3);
    EXPECT_GT(inside.count, atlas.width * rowH / 10);
    EXPECT_TRUE(InkIn(atlas, 0, y0, atlas.width, 2).empty());
    EXPECT_TRUE(InkIn(atlas, 0, y0 + rowH - 2, atlas.width, 2).empty());
  }
  auto row = [&](int k, double u, double v) { return At(atlas, u, (k + v) / 8); };
  // Body parts: solid black right up to the sampled edges.
  for (double u : {0.0, 0.5, 0.999})
    for (double v : {0.09, 0.5, 0.91}) {
      Rgba p = row(2, u, v);
      EXPECT_EQ(p.a, 1);
      EXPECT_EQ(p.r + p.g + p.b, 0);
    }
  // Sparks lead with a hot head; blood is dark red; cases are brass.
  EXPECT_GT(row(0, 0.5, 0.25).a, 0.8);
  EXPECT_GT(row(0, 0.5, 0.25).g, row(0, 0.5, 0.8).g);
  Rgba blood = row(1, 0.5, 0.5);
  EXPECT_GT(blood.r, 3 * blood.g);
  EXPECT_LT(blood.r, 0.6);
  Rgba brass = row(5, 0.5, 0.45);
  EXPECT_GT(brass.r, brass.g);
  EXPECT_GT(brass.g, brass.b + 0.2);
  // Smoke: thick in the middle, fading to nothing before the band's edges, grey even where
  // transparent so the fade never darkens.
  EXPECT_GT(row(7, 0.5, 0.5).a, 0.5);
  for (double u = 0; u < 1; u += 1.0 / 64) {
    EXPECT_LT(row(7, u, 0.09).a, 0.05);
    EXPECT_LT(row(7, u, 0.91).a, 0.05);
  }
  EXPECT_LT(row(7, 0.01, 0.5).a, 0.05);
  for (int y = 7 * rowH; y < 8 * rowH; ++y)
    for (int x = 0; x < atlas.width; ++x) {
      Rgba p = atlas.get(x, y);
      ASSERT_NEAR(p.r, p.b, 0.1);
      ASSERT_GT(p.r, 0.2) << x << "," << y;
    }
}

TEST(ArtIcons, EightSquareBadgesWithDarkWeapons) {
  Canvas icons = MakeGunIcons();
  ASSERT_EQ(icons.height, 8 * icons.width);  // each row is shown on a square quad
  const int n = icons.width;
  for (int k = 0; k < 8; ++k) {
    SCOPED_TRACE(k);
    int y0 = k * n;
    EXPECT_TRUE(InkIn(icons, 0, y0, n, 1).empty());
    EXPECT_TRUE(InkIn(icons, 0, y0 + n - 1, n, 1).empty());
    int light = 0, dark = 0;
    for (int y = y0 + n / 4; y < y0 + 3 * n / 4; ++y)
      for (int x = n / 4; x < 3 * n / 4; ++x) {
        Rgba p = icons.get(x, y);
        EXPECT_EQ(p.a, 1);
        double v = (p.r + p.g + p.b) / 3;
        light += v > 0.6;
        dark += v < 0.2;
      }
    // Both the badge and a good share of weapon in the middle of the badge.
    EXPECT_GT(light, n * n / 40);
    EXPECT_GT(dark, n * n / 40);
  }
  // Every icon differs from every other.
  for (int a = 0; a < 8; ++a)
    for (int b = a + 1; b < 8; ++b) {
      int differ = 0;
      for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) differ += std::fabs(icons.get(x, a * n + y).r - icons.get(x, b * n + y).r) > 0.3;
      EXPECT_GT(differ, n * n / 30) << a << " and " << b;
    }
}

TEST(ArtSprites, EmblemIsWhiteWithItsShapeInAlpha) {
  Canvas symbol = MakeBaseSymbol();
  for (int y = 0; y < symbol.height; ++y)
    for (int x = 0; x < symbol.width; ++x) {
      Rgba p = symbol.get(x, y);
      ASSERT_TRUE(p.r == 1 && p.g == 1 && p.b == 1);
    }
  // It stands on the column: the bottom row is covered right across.
  for (int x = 0; x < symbol.width; ++x) EXPECT_EQ(symbol.get(x, 0).a, 1);
  // Filtering at the top edge (t = 0.985) reaches the rows just below the last: those are empty.
  // The last row repeats the bottom row, which filtering at t = 0 wraps round to.
  int shown = int(std::floor(0.985 * symbol.height));
  EXPECT_TRUE(InkIn(symbol, 0, shown - 1, symbol.width, symbol.height - shown).empty());
  for (int x = 0; x < symbol.width; ++x) EXPECT_EQ(symbol.get(x, symbol.height - 1).a, 1);
  // Some shape with holes: both clear and covered pixels in the upper half.
  Ink upper = InkIn(symbol, 0, symbol.height / 2, symbol.width, symbol.height / 2, 0.5);
  EXPECT_GT(upper.count, symbol.width * symbol.height / 10);
  EXPECT_LT(upper.count, symbol.width * symbol.height / 3);
}

TEST(ArtSprites, DefenderStandsInHisQuadAndHisArmInTheUpperHalf) {
  Canvas guy = MakeDefenderImage();
  Ink body = InkIn(guy, 0, 0, guy.width, guy.height, 0.5);
  ASSERT_FALSE(body.empty());
  EXPECT_LE(body.minY, 1);                                // feet on the quad's bottom edge
  EXPECT_LT(body.maxY, int(0.95 * guy.height));           // head inside t < 0.95
  EXPECT_GT(body.maxY, int(0.85 * guy.height));
  EXPECT_GE(body.minX, 1);                                // clear of the wrap at s = 0 and 1
  EXPECT_LE(body.maxX, guy.width - 2);
  // Dark, as every figure in the game.
  Rgba chest = At(guy, 0.5, 0.6);
  EXPECT_EQ(chest.a, 1);
  EXPECT_LT(chest.r + chest.g + chest.b, 0.5);

  Canvas arm = MakeDefenderArm();
  EXPECT_TRUE(InkIn(arm, 0, 0, arm.width, arm.height / 2 + 1).empty());
  Ink reach = InkIn(arm, 0, arm.height / 2, arm.width, arm.height / 2, 0.5);
  ASSERT_FALSE(reach.empty());
  EXPECT_LE(reach.maxY, arm.height / 2 - 2);             // clear of the wrap at t = 1
  EXPECT_GT(reach.maxX, int(0.9 * arm.width));            // the hand reaches s = 1
  // The shoulder covers the pivot, 0.025 of the 0.11 quad from the back edge, in both the
  // plain and the mirrored placement.
  EXPECT_EQ(At(arm, 0.025 / 0.11, 0.5 + 0.5 * 0.05 / 0.06).a, 1);
  EXPECT_EQ(At(arm, 0.025 / 0.11, 1 - 0.5 * 0.015 / 0.06).a, 1);
}

TEST(ArtSprites, HelicopterCarriesItsRotorsWhereTheGameSpinsThem) {
  Canvas heli = MakeHelicopter();
  ASSERT_EQ(heli.width, 2 * heli.height);  // the quad is 2.4 x 1.2
  EXPECT_EQ(At(heli, 0.0390625, 0.8046875).a, 1);  // tail rotor hub
  EXPECT_EQ(At(heli, 0.640625, 0.71875 - 0.01).a, 1);  // top of the mast
  EXPECT_LT(At(heli, 0.640625, 0.71875 + 0.05).a, 0.1);  // and nothing above it
  EXPECT_GT(At(heli, 0.625, 0.583).a, 0.5);  // the rope comes out of the cabin
  // Facing +x: the nose reaches further right than the tail boom's end reaches left of the fin.
  Ink all = InkIn(heli, 0, 0, heli.width, heli.height, 0.5);
  EXPECT_GT(all.maxX, int(0.97 * heli.width));
  EXPECT_LT(all.minY, int(0.2 * heli.height));  // skids low
  // Windows show the sky through them a little.
  EXPECT_LT(At(heli, 0.93, 0.53).a, 0.9);
  EXPECT_GT(At(heli, 0.93, 0.53).a, 0.2);
}

TEST(ArtSprites, CrateAndLaserTexture) {
  Canvas crate = MakeSupplyCrate();
  for (double s : {0.05, 0.5, 0.95})
    for (double t : {0.05, 0.5, 0.95}) EXPECT_EQ(At(crate, s, t).a, 1);
  Rgba wood = At(crate, 0.3, 0.3);
  EXPECT_GT(wood.r, wood.b + 0.15);  // brown boards
  Rgba mark = At(crate, 0.5, 0.5);
  EXPECT_GT(mark.r + mark.g + mark.b, wood.r + wood.g + wood.b + 0.5);  // the pale stencil

  // The laser texture repeats: its opposite edges meet like neighbours.
  Canvas smoke = MakeLaserSmoke();
  double seam = 0, inner = 0;
  for (int i = 0; i < smoke.width; ++i) {
    seam = std::max(seam, std::fabs(smoke.get(0, i).a - smoke.get(smoke.width - 1, i).a));
    seam = std::max(seam, std::fabs(smoke.get(i, 0).a - smoke.get(i, smoke.height - 1).a));
    inner = std::max(inner, std::fabs(smoke.get(31, i).a - smoke.get(32, i).a));
  }
  EXPECT_LT(seam, std::max(0.1, 2 * inner));
  for (int y = 0; y < smoke.height; ++y)
    for (int x = 0; x < smoke.width; ++x) {
      Rgba p = smoke.get(x, y);
      ASSERT_GT(p.r, p.g + 0.3);
      ASSERT_GT(p.a, 0.1);
      ASSERT_LT(p.a, 0.95);
    }
}

TEST(ArtFiles, TheTenTexturesAreWrittenAsTheLoaderReadsThem) {
  TempDir dir;
  ASSERT_TRUE(WriteTextureFiles(dir.path()));
  struct Expect {
    const char *name;
    int width, height, bits;
  };
  const Expect files[] = {{"fonttrans.tga", 256, 256, 32}, {"daynight.tga", 256, 64, 24},
                          {"colours2.tga", 64, 256, 32},   {"gun icons.tga", 64, 512, 32},
                          {"supplies.tga", 128, 128, 32},  {"symbol.tga", 128, 128, 32},
                          {"guytex.tga", 64, 128, 32},     {"armtex.tga", 64, 64, 32},
                          {"heli.tga", 256, 128, 32},      {"smoke.tga", 64, 64, 32}};
  for (const Expect &e : files) {
    SCOPED_TRACE(e.name);
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(ReadFileBytes(dir.path() + "/textures/" + e.name, bytes));
    ASSERT_GE(bytes.size(), 18u);
    EXPECT_EQ(bytes[0], 0);  // no image ID: pixel data starts at byte 18
    EXPECT_EQ(bytes[1], 0);
    EXPECT_EQ(bytes[2], 2);
    EXPECT_EQ(GetU16(&bytes[12]), e.width);
    EXPECT_EQ(GetU16(&bytes[14]), e.height);
    EXPECT_EQ(bytes[16], e.bits);
    EXPECT_EQ(bytes.size(), 18u + size_t(e.width) * e.height * e.bits / 8);
  }
  // The font's first pixel-data row is the top of glyph row 0 (stored BGRA, alpha last).
  std::vector<uint8_t> font;
  ASSERT_TRUE(ReadFileBytes(dir.path() + "/textures/fonttrans.tga", font));
  Canvas image = Font();
  for (int x = 0; x < 256; ++x) EXPECT_EQ(font[18 + 4 * x + 3], uint8_t(std::lround(image.get(x, 0).a * 255)));
}
