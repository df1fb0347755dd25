// Contact sheets of the drawn textures, shown the way the game maps them, for people to look at
// (written to the screenshot folder). The checks here only guard the sheet itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <string>

#include "contentc/art.h"
#include "rig/rig.h"

namespace {

// A picture in world units, drawn the way GL draws the game's quads: bilinear texels with
// repeat wrap, straight alpha blended source-over, the vertex colour modulating the texel.
struct Preview {
  int width, height;
  double cx, cy, scale;  // world point at the centre, pixels per world unit
  std::vector<double> rgb;

  Preview(int w, int h, double centreX, double centreY, double pixelsPerUnit)
      : width(w), height(h), cx(centreX), cy(centreY), scale(pixelsPerUnit), rgb(size_t(w) * h * 3, 1.0) {}

  static Rgba Sample(const Canvas &tex, double s, double t) {
    double x = s * tex.width - 0.5, y = t * tex.height - 0.5;
    int x0 = int(std::floor(x)), y0 = int(std::floor(y));
    double fx = x - x0, fy = y - y0;
    auto at = [&](int i, int j) {
      i = ((i % tex.width) + tex.width) % tex.width;
      j = ((j % tex.height) + tex.height) % tex.height;
      return tex.get(i, j);
    };
    return Mix(Mix(at(x0, y0), at(x0 + 1, y0), fx), Mix(at(x0, y0 + 1), at(x0 + 1, y0 + 1), fx), fy);
  }

  void put(int px, int py, Rgba c) {  // py counted from the top
    if (px < 0 || py < 0 || px >= width || py >= height || c.a <= 0) return;
    double *p = &rgb[(size_t(py) * width + px) * 3];
    double a = std::min(1.0, c.a);
    p[0] = c.r * a + p[0] * (1 - a);
    p[1] = c.g * a + p[1] * (1 - a);
    p[2] = c.b * a + p[2] * (1 - a);
  }

  // Axis-aligned world rectangle; (s0, t0) at its bottom-left corner, (s1, t1) at its top-right.
  void quad(double x0, double y0, double x1, double y1, const Canvas *tex, double s0, double t0, double s1,
            double t1, Rgba tint) {
    int px0 = int(std::floor((x0 - cx) * scale + width / 2.0)), px1 = int(std::ceil((x1 - cx) * scale + width / 2.0));
    int py0 = int(std::floor(height / 2.0 - (y1 - cy) * scale)), py1 = int(std::ceil(height / 2.0 - (y0 - cy) * scale));
    for (int py = py0; py < py1; ++py)
      for (int px = px0; px < px1; ++px) {
        double wx = (px + 0.5 - width / 2.0) / scale + cx, wy = (height / 2.0 - py - 0.5) / scale + cy;
        if (wx < x0 || wx > x1 || wy < y0 || wy > y1) continue;
        Rgba c = tint;
        if (tex) {
          Rgba texel = Sample(*tex, s0 + (s1 - s0) * (wx - x0) / (x1 - x0), t0 + (t1 - t0) * (wy - y0) / (y1 - y0));
          c = {texel.r * tint.r, texel.g * tint.g, texel.b * tint.b, texel.a * tint.a};
        }
        put(px, py, c);
      }
  }
  void fill(double x0, double y0, double x1, double y1, Rgba c) { quad(x0, y0, x1, y1, nullptr, 0, 0, 1, 1, c); }

  void text(const Canvas &font, const std::string &s, double x, double y, Rgba colour) {
    for (size_t i = 0; i < s.size(); ++i) {
      const char *at = std::strchr(kFontChars, std::tolower(static_cast<unsigned char>(s[i])));
      int k = at && *at ? int(at - kFontChars) : 36;
      double u = (k % 6) * 32 / 256.0, v = (k / 6) * 32 / 256.0;
      // The glyph's top edge takes v, its bottom v + 0.125.
      quad(x + 0.01 + 0.14 * i, y - 0.09, x + 0.19 + 0.14 * i, y + 0.09, &font, u, v + 0.125, u + 0.125, v, colour);
    }
  }

  bool save(const std::string &name) const {
    std::vector<uint8_t> bytes(rgb.size());  // SavePng takes rows bottom-up, as GL reads them
    for (int y = 0; y < height; ++y)
      for (int i = 0; i < width * 3; ++i)
        bytes[size_t(height - 1 - y) * width * 3 + i] =
            uint8_t(std::lround(std::clamp(rgb[size_t(y) * width * 3 + i], 0.0, 1.0) * 255));
    return SavePng(ScreenshotDir() + "/" + name, bytes, width, height);
  }
};

void Checker(Preview &p, double x0, double y0, double x1, double y1, double cell) {
  for (double y = y0; y < y1; y += cell)
    for (double x = x0; x < x1; x += cell) {
      bool odd = (int(std::floor((x - x0) / cell)) + int(std::floor((y - y0) / cell))) % 2;
      p.fill(x, y, std::min(x + cell, x1), std::min(y + cell, y1), odd ? Rgba{0.55, 0.6, 0.65, 1} : Rgba{0.8, 0.8, 0.82, 1});
    }
}

void Sky(Preview &p, const Canvas &sky, double time, double x0, double y0, double x1, double y1) {
  p.quad(x0, y0, x1, y1, &sky, time, 0.75, time, 0.25, {1, 1, 1, 1});
}

// A strip of the game world 3 units wide with its ground at y0: sky, base with its emblem,
// defenders, a supply crate, weapon crates and particles at their game sizes.
struct Images {
  const Canvas &sky, &symbol, &guy, &arm, &crate, &icons, &parts, &font;
};

void Scene(Preview &p, const Images &im, double time, double x0, double y0) {
  Sky(p, im.sky, time, x0, y0 - 0.2, x0 + 3, y0 + 0.8);
  p.fill(x0, y0 - 0.2, x0 + 3, y0, {0, 0, 0, 1});
  double bx = x0 + 0.4;
  p.fill(bx - 0.1, y0, bx + 0.1, y0 + 0.3, {0, 0, 0, 1});
  p.quad(bx - 0.1, y0 + 0.3, bx + 0.1, y0 + 0.5, &im.symbol, 0, 0, 1, 0.985, {0, 0, 0, 1});
  for (int f = 0; f < 2; ++f) {
    double gx = x0 + 0.8 + 0.25 * f, sy = y0 + 0.175;
    p.quad(gx - 0.05, y0, gx + 0.05, y0 + 0.23, &im.guy, f, 0, 1 - f, 0.95, {1, 1, 1, 1});
    if (f == 0) p.quad(gx - 0.025, sy - 0.05, gx + 0.085, sy + 0.01, &im.arm, 0, 0.5, 1, 1, {1, 1, 1, 1});
    else p.quad(gx - 0.085, sy - 0.045, gx + 0.025, sy + 0.015, &im.arm, 1, 0.5, 0, 1, {1, 1, 1, 1});
  }
  p.quad(x0 + 1.3, y0, x0 + 1.5, y0 + 0.2, &im.crate, 0, 0, 1, 1, {1, 1, 1, 1});
  for (int r = 0; r < 8; ++r) {
    double ix = x0 + 1.75 + (r % 4) * 0.18, iy = y0 + 0.075 + (r / 4) * 0.18;
    p.quad(ix - 0.075, iy - 0.075, ix + 0.075, iy + 0.075, &im.icons, 0, r * 0.125, 1, r * 0.125 + 0.125, {1, 1, 1, 1});
  }
  auto particle = [&](int row, double x, double y, double sx, double sy) {
    p.quad(x - sx, y - sy, x + sx, y + sy, &im.parts, 0, row * 0.125 + 0.01, 1, row * 0.125 + 0.115, {1, 1, 1, 1});
  };
  particle(7, x0 + 1.0, y0 + 0.55, 0.1, 0.1);
  particle(7, x0 + 1.1, y0 + 0.6, 0.1, 0.1);
  particle(7, x0 + 1.05, y0 + 0.68, 0.1, 0.1);
  particle(6, x0 + 1.3, y0 + 0.6, 0.08, 0.08);
  particle(1, x0 + 1.5, y0 + 0.55, 0.05, 0.05);
  for (int i = 0; i < 4; ++i) {
    double x = x0 + 1.7 + 0.06 * i;
    particle(0, x, y0 + 0.65, 0.005, 0.0125);
    particle(5, x, y0 + 0.55, 0.0125, 0.005);
    particle(4, x, y0 + 0.45, 0.006 + 0.001 * i, 0.006 + 0.001 * i);
    particle(3, x + 0.3, y0 + 0.45, 0.006 + 0.001 * i, 0.006 + 0.001 * i);
    particle(2, x + 0.3, y0 + 0.55, 0.01, 0.015);
  }
  p.text(im.font, "health", x0 + 0.1, y0 + 0.7, {0, 0, 0, 1});
}

}  // namespace

TEST(ArtPreview, ContactSheets) {
  Canvas font(1, 1);
  std::string error;
  ASSERT_TRUE(MakeFontImage(FindFontFile(), font, &error)) << error;
  const Canvas sky = MakeDayNightImage(), parts = MakeParticleAtlas(), icons = MakeGunIcons();
  const Canvas crate = MakeSupplyCrate(), symbol = MakeBaseSymbol(), guy = MakeDefenderImage();
  const Canvas arm = MakeDefenderArm(), heli = MakeHelicopter(), smoke = MakeLaserSmoke();

  // Font: the atlas, and lines of text drawn cell by cell as the game draws them.
  {
    Preview p(1100, 700, 0, 0, 100);
    p.fill(-5.5, -3.5, 5.5, 3.5, {0.2, 0.2, 0.25, 1});
    p.quad(-5.4, -0.2, -2.0, 3.2, &font, 0, 1, 1, 0, {1, 1, 1, 1});  // pixel-data order, top down
    p.fill(-1.9, -3.5, 5.5, 3.5, {0.55, 0.35, 0.45, 1});
    p.fill(-1.9, 0, 5.5, 3.5, {0.4, 0.4, 0.6, 1});
    p.text(font, "red siege", -1.8, 3.0, {0, 0, 0, 1});
    p.text(font, "abcdefghijklmnopqrstuvwxyz", -1.8, 2.6, {0, 0, 0, 1});
    p.text(font, "0123456789 .!?+-", -1.8, 2.2, {0, 0, 0, 1});
    p.text(font, "the quick brown fox jumps", -1.8, 1.8, {0, 0, 0, 1});
    p.text(font, "over the lazy dog!", -1.8, 1.4, {0, 0, 0, 1});
    p.text(font, "oh no! night is coming!", -1.8, 1.0, {0.6, 0.1, 0.0, 1});
    p.text(font, "health 100 kills 42", -1.8, 0.5, {1, 1, 1, 1});
    Preview small(1024, 256, 0, 0, 102.4);  // game scale: ten units across a 1024 pixel window
    small.fill(-5, -1.25, 5, 1.25, {0.4, 0.4, 0.6, 1});
    small.text(font, "this is your base. bring supply crates back here.", -4.8, 0.8, {0, 0, 0, 1});
    small.text(font, "you must defend your base from the zombies.", -4.8, 0.4, {0, 0, 0, 1});
    small.text(font, "begin  options  high scores  credits  quit", -4.8, 0.0, {0, 0, 0, 1});
    small.text(font, "days survived 12 zombies killed 340", -4.8, -0.4, {0, 0, 0, 1});
    Preview large(1100, 420, 0, 0, 500);
    large.fill(-1.1, -0.42, 1.1, 0.42, {0.4, 0.4, 0.6, 1});
    large.text(font, "red siege!", -1.05, 0.2, {0, 0, 0, 1});
    large.text(font, "quit? 1-9+", -1.05, -0.2, {0.6, 0.1, 0.0, 1});
    EXPECT_TRUE(large.save("art_font_large.png"));
    EXPECT_TRUE(p.save("art_font.png"));
    EXPECT_TRUE(small.save("art_font_game_scale.png"));
  }
  // Sky: the image as the screen sees it (top of the screen up), and the day in frames.
  {
    Preview p(1280, 640, 0, 0, 100);
    p.quad(-6.4, 1.6, 6.4, 3.2, &sky, 0, 0.75, 1, 0.25, {1, 1, 1, 1});
    const double times[] = {0.0, 0.06, 0.15, 0.3125, 0.45, 0.53, 0.57, 0.6, 0.64, 0.7, 0.8, 0.9, 0.95, 0.99};
    for (int i = 0; i < 14; ++i) {
      double x0 = -6.4 + (i % 7) * 1.82, y0 = i < 7 ? -0.2 : -3.2;
      Sky(p, sky, times[i], x0, y0, x0 + 1.75, y0 + 1.6);
      p.fill(x0, y0, x0 + 1.75, y0 + 0.3, {0, 0, 0, 1});
      for (int b = 0; b < 6; ++b) p.fill(x0 + 0.3 * b, y0 + 0.3, x0 + 0.3 * b + 0.18, y0 + 0.4 + 0.1 * ((b * 7) % 5), {0, 0, 0, 0.3});
      p.fill(x0 + 0.8, y0 + 0.3, x0 + 0.86, y0 + 0.5, {0, 0, 0, 1});
    }
    EXPECT_TRUE(p.save("art_sky.png"));
  }
  // Sprites in the world by day and by night, at twice game scale and at game scale.
  {
    const Images im{sky, symbol, guy, arm, crate, icons, parts, font};
    Preview p(1536, 1024, 0, 0, 512);
    Scene(p, im, 0.3125, -1.5, 0.2);
    Scene(p, im, 0.75, -1.5, -0.8);
    EXPECT_TRUE(p.save("art_scene.png"));
    Preview g(1536, 1024, 3, 0, 256);
    for (int k = 0; k < 4; ++k) {
      const double times[] = {0.02, 0.3125, 0.58, 0.8};
      Scene(g, im, times[k], 3 * (k % 2), k < 2 ? 0.9 : -1.1);
    }
    EXPECT_TRUE(g.save("art_scene_game_scale.png"));
    Preview h(1300, 700, 0, 0, 256);
    for (int k = 0; k < 2; ++k) {
      double y = k ? -0.7 : 0.7, time = k ? 0.8 : 0.2;
      Sky(h, sky, time, -2.55, y - 0.68, 2.55, y + 0.68);
      for (int side = 0; side < 2; ++side) {
        double x = side ? 1.25 : -1.25;
        h.quad(x - 1.2, y - 0.6, x + 1.2, y + 0.6, &heli, 0, 0, 1, 1, {1, 1, 1, 1});
        // Rotor hubs as the game places them, marked.
        h.fill(x - 1.10625 - 0.02, y + 0.365625 - 0.005, x - 1.10625 + 0.02, y + 0.365625 + 0.005, {1, 0, 0, double(side)});
        h.fill(x + 0.3375 - 0.96, y + 0.2625 - 0.006, x + 0.3375 + 0.96, y + 0.2625 + 0.006, {0, 0, 0, 0.75 * side});
      }
    }
    EXPECT_TRUE(h.save("art_heli.png"));
  }
  // Raw images on a checker board, enlarged; the laser texture tiled twice.
  {
    Preview p(1400, 800, 0, 0, 100);
    p.fill(-7, -4, 7, 4, {0.3, 0.3, 0.3, 1});
    Checker(p, -6.9, -3.9, 6.9, 3.9, 0.1);
    p.quad(-6.8, -3.8, -5.8, 0.2, &parts, 0, 1, 1, 0, {1, 1, 1, 1});
    p.quad(-5.6, -3.8, -5.1, 0.2, &icons, 0, 1, 1, 0, {1, 1, 1, 1});
    p.quad(-4.9, 2.0, -3.0, 3.9, &crate, 0, 0, 1, 1, {1, 1, 1, 1});
    p.quad(-4.9, -0.2, -3.0, 1.7, &symbol, 0, 0, 1, 1, {0, 0, 0, 1});
    p.quad(-2.8, -0.2, -1.8, 2.2, &guy, 0, 0, 1, 0.95, {1, 1, 1, 1});
    p.quad(-1.6, 0.4, 0.6, 1.6, &arm, 0, 0.5, 1, 1, {1, 1, 1, 1});
    p.quad(-1.6, 2.0, 3.2, 3.9, &heli, 0, 0, 1, 1, {1, 1, 1, 1});
    p.quad(-4.9, -3.8, -1.1, -0.4, &smoke, 0, 0, 2, 2, {1, 1, 1, 1});
    for (int r = 0; r < 8; ++r) {
      double x = 1.0 + (r % 4) * 1.4, y = -1.2 - (r / 4) * 1.4;
      p.quad(x, y, x + 1.2, y + 1.2, &icons, 0, r * 0.125, 1, r * 0.125 + 0.125, {1, 1, 1, 1});
    }
    EXPECT_TRUE(p.save("art_images.png"));
    // Close-ups at five times game scale.
    Preview z(1200, 560, 0, 0.19, 1280);
    Sky(z, sky, 0.25, -0.47, -0.2, 0.47, 0.6);
    z.quad(-0.45, 0, -0.25, 0.2, &crate, 0, 0, 1, 1, {1, 1, 1, 1});
    z.fill(-0.2, -0.2, 0.0, 0.2, {0, 0, 0, 1});
    z.quad(-0.2, 0.2, 0.0, 0.4, &symbol, 0, 0, 1, 0.985, {0, 0, 0, 1});
    z.quad(0.05, 0, 0.15, 0.23, &guy, 0, 0, 1, 0.95, {1, 1, 1, 1});
    z.quad(0.075, 0.125, 0.185, 0.185, &arm, 0, 0.5, 1, 1, {1, 1, 1, 1});
    z.quad(0.25, 0, 0.35, 0.23, &guy, 1, 0, 0, 0.95, {1, 1, 1, 1});
    // Mirrored, the game turns the arm quad half round: it spans 0.045 below to 0.015 above.
    z.quad(0.215, 0.13, 0.325, 0.19, &arm, 1, 0.5, 0, 1, {1, 1, 1, 1});
    z.quad(0.37, 0.0, 0.45, 0.08, &icons, 0, 0.375, 1, 0.5, {1, 1, 1, 1});
    z.quad(0.37, 0.1, 0.45, 0.18, &icons, 0, 0.75, 1, 0.875, {1, 1, 1, 1});
    EXPECT_TRUE(z.save("art_closeup.png"));
  }
}
