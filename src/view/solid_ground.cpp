// Where the terrain covers the view from its bottom edge up. The sky is drawn first over the
// whole window, and the terrain over it; below this line the terrain covers every pixel, so
// the sky need not be drawn there (in most views that is a third to a half of the window).
#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/window.h"
#include "view/view.h"
#include "world/terrain.h"

namespace {
std::vector<const block *> reaching;  // reused from frame to frame
std::vector<double> columnTop;
}  // namespace

double SolidGroundTop() {
  // The view at the world's plane, exactly as the projection draws it.
  GLdouble p[16];
  glGetDoublev(GL_PROJECTION_MATRIX, p);
  const double depth = 6.1 * zoom, halfW = depth / p[0], halfH = depth / p[5];
  const double left = CameraPos.x - halfW, right = CameraPos.x + halfW, bottom = CameraPos.y - halfH;
  const int columns = std::max(1, clientWidth);
  const double column = 2 * halfW / columns;
  reaching.clear();
  for (const ttilerecord &tile : worldRow) {
    if (!tile.list) continue;  // not drawn
    for (const block &b : tile.drawn)
      if (b.active && std::max(b.corner1.x, b.corner2.x) > left && std::min(b.corner1.x, b.corner2.x) < right &&
          std::max(b.corner1.y, b.corner2.y) > bottom)
        reaching.push_back(&b);
  }
  auto low = [](const block *b) { return std::min(b->corner1.y, b->corner2.y); };
  std::sort(reaching.begin(), reaching.end(), [&low](const block *a, const block *b) { return low(a) < low(b); });
  // Each pixel column's centre, from the bottom up: covered while the next block (by its
  // bottom) starts at or below what is covered. A centre within a thousandth of a pixel of a
  // block's side is not counted in it, whatever rounding the rasteriser does.
  columnTop.assign(static_cast<size_t>(columns), bottom);
  constexpr double kEdge = 1e-3;
  for (const block *b : reaching) {
    const double x1 = (std::min(b->corner1.x, b->corner2.x) - left) / column - 0.5;
    const double x2 = (std::max(b->corner1.x, b->corner2.x) - left) / column - 0.5;
    const int c0 = std::max(0, static_cast<int>(std::floor(x1 + kEdge)) + 1);
    const int c1 = std::min(columns - 1, static_cast<int>(std::ceil(x2 - kEdge)) - 1);
    const double y1 = low(b), y2 = std::max(b->corner1.y, b->corner2.y);
    for (int c = c0; c <= c1; ++c)
      if (y1 <= columnTop[c]) columnTop[c] = std::max(columnTop[c], y2);
  }
  return *std::min_element(columnTop.begin(), columnTop.end());
}
