#include <GL/gl.h>

#include <algorithm>
#include <set>

#include "rig/rig.h"
#include "world/terrain.h"

namespace {

block Block(double x1, double y1, double x2, double y2, uint8_t active = 1) {
  block b{};
  b.active = active;
  b.corner1 = {x1, y1};
  b.corner2 = {x2, y2};
  return b;
}

// A flat view of the rectangle (x0, y0)..(x1, y1) on a white background.
void FlatView(double x0, double y0, double x1, double y1) {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(x0, x1, y0, y1, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_BLEND);
  glClearColor(1, 1, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT);
}

bool IsBlack(Rgb p) { return p.r < 20 && p.g < 20 && p.b < 20; }
bool IsWhite(Rgb p) { return p.r > 235 && p.g > 235 && p.b > 235; }

int LiveLists(uint32_t upTo) {
  int n = 0;
  for (uint32_t name = 1; name <= upTo; ++name) n += glIsList(name) ? 1 : 0;
  return n;
}

void ClearWorld() {
  for (ttilerecord &tile : worldRow) {
    tile = ttilerecord{};
  }
}

}  // namespace

TEST_F(GlTest, TileListsDrawBlackSilhouettesOfActiveDrawnBlocks) {
  ClearWorld();
  worldRow[7].drawn = {Block(-2, -2, 0, 2), Block(1, 1, 2, 2, 0)};
  worldRow[7].collision = {Block(1, -2, 2, 0)};  // collision blocks are not drawn
  worldRow[8].drawn = {Block(3, -2, 4, 0)};
  buildtilelists();
  for (const ttilerecord &tile : worldRow) {
    EXPECT_NE(tile.list, 0u);
    EXPECT_TRUE(glIsList(tile.list));
  }

  // View x -2.5..2.5 and y -2.5..2.5: 51.2 pixels per unit.
  FlatView(-2.5, -2.5, 2.5, 2.5);
  glColor3d(1, 0, 0);  // the list sets its own colour
  glCallList(worldRow[7].list);
  std::vector<uint8_t> rgb = ReadPixelsRGB(width, height);
  auto at = [&](double x, double y) {
    int px = static_cast<int>((x + 2.5) / 5 * width);
    int py = static_cast<int>((2.5 - y) / 5 * height);
    return PixelAt(rgb, width, height, px, py);
  };
  EXPECT_TRUE(IsBlack(at(-1, 0)));
  EXPECT_TRUE(IsBlack(at(-1.9, 1.9)));
  EXPECT_TRUE(IsWhite(at(0.1, 0)));
  EXPECT_TRUE(IsWhite(at(1.5, 1.5)));   // inactive drawn block
  EXPECT_TRUE(IsWhite(at(1.5, -1)));    // collision-only block
  EXPECT_TRUE(IsWhite(at(-1, 2.2)));

  // Another tile's list draws only its own blocks, in world coordinates.
  FlatView(2.5, -2.5, 7.5, 2.5);
  glCallList(worldRow[8].list);
  rgb = ReadPixelsRGB(width, height);
  auto at8 = [&](double x, double y) {
    int px = static_cast<int>((x - 2.5) / 5 * width);
    int py = static_cast<int>((2.5 - y) / 5 * height);
    return PixelAt(rgb, width, height, px, py);
  };
  EXPECT_TRUE(IsBlack(at8(3.5, -1)));
  EXPECT_TRUE(IsWhite(at8(3.5, 1)));
  SaveScreenshot(ScreenshotDir() + "/terrain_tile.png", width, height);
  ClearWorld();
}

TEST_F(GlTest, RebuildingListsReleasesTheOldNames) {
  ClearWorld();
  worldRow[3].drawn = {Block(-16, 0, -14, 1)};
  buildtilelists();
  buildskyline();
  std::set<uint32_t> old;
  for (const ttilerecord &tile : worldRow) old.insert(tile.list);
  for (uint32_t name : skylineLayers) old.insert(name);
  ASSERT_EQ(old.size(), 24u);

  for (int day = 0; day < 5; ++day) {
    buildtilelists();
    buildskyline();
  }
  std::set<uint32_t> now;
  for (const ttilerecord &tile : worldRow) now.insert(tile.list);
  for (uint32_t name : skylineLayers) now.insert(name);
  ASSERT_EQ(now.size(), 24u);
  for (uint32_t name : old) {
    if (!now.count(name)) {
      EXPECT_FALSE(glIsList(name)) << name;
    }
  }
  uint32_t highest = std::max(*old.rbegin(), *now.rbegin());
  EXPECT_EQ(LiveLists(highest), 24);

  // After the context is lost the names are forgotten, never deleted from the new one.
  forgetterrainlists();
  for (const ttilerecord &tile : worldRow) EXPECT_EQ(tile.list, 0u);
  for (uint32_t name : skylineLayers) EXPECT_EQ(name, 0u);
  ClearWorld();
}

TEST_F(GlTest, SkylineLayersTakeOneDrawPerColumn) {
  randomState = 12345;
  double heights[9][22];
  for (auto &layer : heights)
    for (double &h : layer) h = 1.5 * randomreal();
  const uint32_t after = randomState;

  randomState = 12345;
  buildskyline();
  EXPECT_EQ(randomState, after);

  // Layers 0 and 1 hold columns 0, 3, 6 ... and 1, 4, 7 ... of their own draws.
  for (int layer : {0, 1, 4}) {
    FlatView(0, 0, 11, 2);
    glColor3d(0, 0, 0);
    glCallList(skylineLayers[layer]);
    std::vector<uint8_t> rgb = ReadPixelsRGB(width, height);
    auto at = [&](double x, double y) {
      int px = static_cast<int>(x / 11 * width);
      int py = height - 1 - static_cast<int>(y / 2 * height);
      return PixelAt(rgb, width, height, px, py);
    };
    for (int j = 0; j < 22; ++j) {
      const double x = 0.5 * j + 0.25, h = heights[layer][j];
      if (j % 3 != layer % 3) {
        EXPECT_TRUE(IsWhite(at(x, 0.02))) << layer << " " << j;
        continue;
      }
      if (h > 0.05) {
        EXPECT_TRUE(IsBlack(at(x, h - 0.03))) << layer << " " << j;
      }
      EXPECT_TRUE(IsWhite(at(x, h + 0.03))) << layer << " " << j;
    }
  }
}
