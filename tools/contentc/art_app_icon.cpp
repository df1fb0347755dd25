// The program's icon for the desktop's menus and the window: the game's look in a tile, a black
// figure aiming against a low sun in a red dusk, over a black ruined street. Drawn anew at every
// size rather than scaled: up to 24 pixels a bold, plain figure against the sun and the street;
// from 32 up the ruins and the zombie reaching for the figure.
#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "contentc/art.h"
#include "contentc/art_draw.h"
#include "contentc/contentc.h"
#include "render/png_file.h"

namespace {

const Rgba kBlack{0.02, 0.02, 0.02, 1};
const Rgba kZenith{0.30, 0.05, 0.11, 1}, kMiddle{0.80, 0.16, 0.12, 1}, kHorizon{1.00, 0.50, 0.20, 1};
const Rgba kSun{1.00, 0.80, 0.46, 1};

// Units: the tile is 0..1 both ways, y up. The ground's top is at kGround.
constexpr double kGround = 0.2;

void Sky(Canvas &c, int size) {
  c.shade([size](double, double y, Rgba) {
    double h = y / size;  // 0 at the bottom
    return h > 0.55 ? Mix(kMiddle, kZenith, Smoothstep(0.55, 1, h)) : Mix(kHorizon, kMiddle, Smoothstep(0.2, 0.55, h));
  });
}

// Rounds the tile's corners, as desktop icons are.
void RoundCorners(Canvas &c, int size) {
  Canvas mask(size, size);
  mask.fillRoundRect(0, 0, size, size, 0.14 * size, {1, 1, 1, 1});
  c.shade([&mask](double x, double y, Rgba p) {
    p.a *= mask.get(static_cast<int>(x), static_cast<int>(y)).a;
    return p;
  });
}

// Broken blocks along the street, tallest at the edges so the figure keeps the middle clear.
void Ruins(Canvas &c, const Frame &f) {
  f.poly(c, {{0, 0}, {0, 0.52}, {0.07, 0.52}, {0.09, 0.47}, {0.12, 0.49}, {0.12, 0.36}, {0.2, 0.36}, {0.2, kGround}},
         kBlack);
  f.poly(c, {{0.84, kGround}, {0.84, 0.3}, {0.9, 0.3}, {0.92, 0.44}, {0.96, 0.41}, {1, 0.46}, {1, 0}}, kBlack);
}

// The player, side on and aiming a rifle to the right. Stroke widths have a floor of a pixel so
// the limbs never fade to a grey smear.
void Figure(Canvas &c, const Frame &f) {
  auto width = [&](double units) { return std::max(units * f.scaleX, 1.0); };
  f.stroke(c, {{0.40, 0.43}, {0.33, 0.31}, {0.30, kGround + 0.01}}, width(0.065), kBlack);  // back leg
  f.stroke(c, {{0.44, 0.43}, {0.50, 0.32}, {0.54, kGround + 0.01}}, width(0.065), kBlack);  // front leg
  f.poly(c, {{0.37, 0.41}, {0.47, 0.41}, {0.49, 0.65}, {0.38, 0.66}}, kBlack);              // body
  f.ellipse(c, 0.44, 0.73, 0.062, 0.062, kBlack);                                           // head
  f.stroke(c, {{0.43, 0.62}, {0.55, 0.58}, {0.63, 0.60}}, width(0.05), kBlack);             // arms
  f.poly(c, {{0.50, 0.575}, {0.72, 0.597}, {0.72, 0.632}, {0.52, 0.625}}, kBlack);          // rifle
  f.poly(c, {{0.52, 0.59}, {0.58, 0.60}, {0.57, 0.53}, {0.53, 0.53}}, kBlack);              // its grip
}

// A zombie staggering in from the right, arms out towards the player.
void Zombie(Canvas &c, const Frame &f) {
  double w = std::max(0.05 * f.scaleX, 1.3);
  f.stroke(c, {{0.86, 0.40}, {0.82, 0.30}, {0.84, kGround + 0.01}}, w, kBlack);
  f.stroke(c, {{0.88, 0.40}, {0.92, 0.30}, {0.94, kGround + 0.01}}, w, kBlack);
  f.poly(c, {{0.84, 0.39}, {0.92, 0.39}, {0.88, 0.58}, {0.80, 0.60}}, kBlack);  // hunched forward
  f.ellipse(c, 0.815, 0.645, 0.05, 0.05, kBlack);
  f.stroke(c, {{0.83, 0.56}, {0.70, 0.535}}, w * 0.8, kBlack);
  f.stroke(c, {{0.85, 0.52}, {0.72, 0.485}}, w * 0.8, kBlack);
}

// The small sizes: the same figure, bold and plain, in units of a 16-pixel icon so that at 16
// its edges fall on whole pixels: a big head, a solid body, two thick legs and one bar for the
// arms and rifle, black against the sun.
void BoldFigure(Canvas &c, double size) {
  const Frame f{0, 0, size / 16, size / 16};
  f.poly(c, {{5, 6.5}, {6.6, 6.5}, {4.6, 3}, {3, 3}}, kBlack);   // back leg
  f.poly(c, {{6.4, 6.5}, {8, 6.5}, {10, 3}, {8.4, 3}}, kBlack);  // front leg
  f.rect(c, 5, 6, 8, 10, kBlack);                                // body
  f.ellipse(c, 6.5, 12.5, 1.6, 1.6, kBlack);                     // head
  f.rect(c, 7, 8, 11, 10, kBlack);                               // arms
  f.rect(c, 11, 9, 14.5, 10, kBlack);                            // rifle
}

}  // namespace

Canvas MakeAppIcon(int size) {
  Canvas c(size, size);
  Sky(c, size);
  const Frame f{0, 0, static_cast<double>(size), static_cast<double>(size)};
  if (size <= 24) {
    f.ellipse(c, 0.5, 0.56, 0.31, 0.31, kSun);
    f.rect(c, 0, 0, 1, 3.0 / 16, kBlack);  // the street
    BoldFigure(c, size);
  } else {
    f.ellipse(c, 0.5, 0.55, 0.27, 0.27, kSun);
    Ruins(c, f);
    f.rect(c, 0, 0, 1, kGround, kBlack);  // the street
    Zombie(c, f);
    Figure(c, f);
  }
  RoundCorners(c, size);
  return c;
}

const int kAppIconSizes[kAppIconSizeCount] = {16, 22, 24, 32, 48, 64, 128, 256};

// The "icons" step: PACKAGE/icons/hicolor/NxN/apps/redsiege.png for the install.
static bool MakeAppIcons(const ContentPaths &paths) {
  if (paths.packageDir.empty()) return true;
  for (int size : kAppIconSizes) {
    const std::string pixels = std::to_string(size);
    const std::string dir = paths.packageDir + "/icons/hicolor/" + pixels + "x" + pixels + "/apps";
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    Canvas icon = MakeAppIcon(size);
    if (ec || !WritePngFile(dir + "/redsiege.png", icon.bytes(), size, size, 4)) {
      std::fprintf(stderr, "contentc: cannot write the %d pixel icon into %s\n", size, dir.c_str());
      return false;
    }
  }
  return true;
}

static ContentStep step("icons", MakeAppIcons);

// The "window icon" step: DATA/icon.bmp, which the game sets on its window for the taskbar and
// the window switcher (a BMP, since SDL reads those itself).
static bool MakeWindowIcon(const ContentPaths &paths) {
  return WriteDataFile(paths.dataDir + "/" + kWindowIconFile, BmpBytes(MakeAppIcon(kWindowIconSize)));
}

static ContentStep windowIconStep("window icon", MakeWindowIcon);
