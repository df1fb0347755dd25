#include <GL/gl.h>

#include <algorithm>
#include <iterator>
#include <tuple>

#include "rig/blocks.h"
#include "rig/rig.h"

namespace {
// A flat view of the world rectangle (x0, y0)..(x1, y1) on a white background.
struct FlatView {
  double x0, y0, x1, y1;
  FlatView(double ax, double ay, double bx, double by) : x0(ax), y0(ay), x1(bx), y1(by) {
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
  // Grey level at world point (x, y) of what has been drawn in the fixture's 256 x 256 window.
  int Grey(double x, double y) const {
    const int w = 256, h = 256;
    Rgb p = PixelAt(ReadPixelsRGB(w, h), w, h, static_cast<int>((x - x0) / (x1 - x0) * w),
                    static_cast<int>((y1 - y) / (y1 - y0) * h));
    return (p.r + p.g + p.b) / 3;
  }
};

void ClearWorld() { std::fill(std::begin(worldRow), std::end(worldRow), ttilerecord{}); }
}  // namespace

TEST_F(GlTest, TileListsDrawBlackSilhouettesOfActiveDrawnBlocks) {
  ClearWorld();
  worldRow[7].drawn = {Block(-2, -2, 0, 2), Block(1, 1, 2, 2, 0)};
  worldRow[7].collision = {Block(1, -2, 2, 0)};  // collision blocks are not drawn
  worldRow[8].drawn = {Block(3, -2, 4, 0)};
  buildtilelists();
  for (const ttilerecord &tile : worldRow) EXPECT_TRUE(glIsList(tile.list));

  const FlatView view(-2.5, -2.5, 2.5, 2.5);
  glColor3d(1, 0, 0);  // the list sets its own colour
  glCallList(worldRow[7].list);
  SaveScreenshot(ScreenshotDir() + "/terrain_tile.png", width, height);
  // Inside the drawn block, then beside it, on the inactive one, the collision one and above.
  const std::tuple<double, double, bool> points[] = {{-1, 0, true},     {-1.9, 1.9, true}, {0.1, 0, false},
                                                     {1.5, 1.5, false}, {1.5, -1, false},  {-1, 2.2, false}};
  for (auto [x, y, black] : points) EXPECT_EQ(view.Grey(x, y) < 20, black) << x << "," << y;

  // Another tile's list draws only its own blocks, in world coordinates.
  const FlatView next(2.5, -2.5, 7.5, 2.5);
  glCallList(worldRow[8].list);
  EXPECT_LT(next.Grey(3.5, -1), 20);
  EXPECT_GT(next.Grey(3.5, 1), 235);
  ClearWorld();
}
