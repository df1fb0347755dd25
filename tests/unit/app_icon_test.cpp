// The program's icons: the window's icon in the data folder, read the way the window reads it,
// and the menu icons at the small sizes, which must still show the figure.
#include <SDL.h>
#include <gtest/gtest.h>

#include "base/files.h"
#include "contentc/art.h"
#include "platform/window.h"
#include "rig/rig.h"

namespace {
struct Pixel {
  int r, g, b, a;
};

// The icon as 8-bit RGBA, top row first.
std::vector<Pixel> Pixels(SDL_Surface *icon) {
  SDL_Surface *rgba = SDL_ConvertSurfaceFormat(icon, SDL_PIXELFORMAT_RGBA32, 0);
  std::vector<Pixel> out;
  if (!rgba) return out;
  for (int y = 0; y < rgba->h; ++y) {
    const uint8_t *row = static_cast<const uint8_t *>(rgba->pixels) + y * rgba->pitch;
    for (int x = 0; x < rgba->w; ++x) out.push_back({row[4 * x], row[4 * x + 1], row[4 * x + 2], row[4 * x + 3]});
  }
  SDL_FreeSurface(rgba);
  return out;
}
}  // namespace

TEST(WindowIcon, TheDataFoldersIconLoadsUprightWithItsAlpha) {
  SDL_Surface *icon = LoadWindowIcon(BuiltDataDir() + "/" + kWindowIconFile);
  ASSERT_NE(icon, nullptr) << SDL_GetError();
  const int w = icon->w, h = icon->h;
  const std::vector<Pixel> p = Pixels(icon);
  SDL_FreeSurface(icon);
  ASSERT_EQ(std::make_tuple(w, h, p.size()), std::make_tuple(kWindowIconSize, kWindowIconSize, size_t(w) * h));
  auto at = [&](int x, int y) { return p[y * w + x]; };
  for (int y = h / 4; y < 3 * h / 4; ++y)
    for (int x = w / 4; x < 3 * w / 4; ++x) ASSERT_EQ(at(x, y).a, 255) << x << "," << y;
  EXPECT_EQ(at(0, 0).a, 0) << "the rounded corner";
  const Pixel sky = at(w / 2, 2), street = at(w / 2, h - 3);
  EXPECT_TRUE(sky.r > 60 && sky.r > 2 * sky.g && sky.r > 2 * sky.b) << "red sky at the top: " << sky.r << " " << sky.g;
  EXPECT_LT(street.r + street.g + street.b, 60) << "black street at the bottom";
}

TEST(WindowIcon, AMissingOrDamagedFileGivesNoIcon) {
  const std::vector<uint8_t> good = FileBytes(BuiltDataDir() + "/" + kWindowIconFile);
  ASSERT_GT(good.size(), 200u);
  std::vector<uint8_t> huge = good, truncated(good.begin(), good.begin() + good.size() / 2);
  PutI32(&huge[18], 40000), PutI32(&huge[22], 40000);
  const std::string text = "not a picture at all, but long enough to hold a header";
  TempDir dir;
  const struct {
    const char *name;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"empty", {}},
      {"text", std::vector<uint8_t>(text.begin(), text.end())},
      {"truncated", truncated},
      {"huge", huge},
  };
  for (const auto &c : cases) {
    ASSERT_TRUE(WriteFileAtomic(dir.file(c.name), c.bytes, nullptr));
    SDL_Surface *icon = LoadWindowIcon(dir.file(c.name));
    EXPECT_EQ(icon, nullptr) << c.name;
    if (icon) SDL_FreeSurface(icon);
  }
  EXPECT_EQ(LoadWindowIcon(dir.file("missing")), nullptr);
  EXPECT_EQ(LoadWindowIcon(dir.path()), nullptr) << "a folder";
}

// At every size a tenth of the icon, at least, is solid black silhouette above the street: the
// small sizes too show a figure bold enough to read, not a sunset with a dark mark. (The sizes
// themselves are in the build's package folder for people to look at.)
TEST(MenuIcons, EverySizeShowsBoldSilhouettes) {
  for (int s : kAppIconSizes) {
    const Canvas icon = MakeAppIcon(s);
    int black = 0;
    for (int y = s * 3 / 16 + 1; y < s; ++y)  // above the street
      for (int x = 0; x < s; ++x) {
        const Rgba p = icon.get(x, y);
        black += p.a > 0.99 && p.r + p.g + p.b < 0.3;
      }
    EXPECT_GE(black, s * s / 10) << s << " pixels";
  }
}
