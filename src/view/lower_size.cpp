// Drawing at a fraction of the window's size: into the off-screen layer, then laid over the
// window on the marked cells only, so the layer's fill is paid where something was drawn into it.
#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/window.h"
#include "view/view.h"

namespace {
std::vector<float> layerXyz, layerSt, layerRgba;  // reused from frame to frame
}

void tcellmarks::reset(tvector from, double size, int columns, int rows) {
  origin = from, cell = size, nx = columns, ny = rows;
  marked.assign(static_cast<size_t>(nx) * ny, 0);
}

bool tcellmarks::locate(tvector p, int &x, int &y) const {
  x = static_cast<int>(std::floor((p.x - origin.x) / cell));
  y = static_cast<int>(std::floor((p.y - origin.y) / cell));
  return x >= 0 && y >= 0 && x < nx && y < ny;
}

void tcellmarks::mark(double xmin, double ymin, double xmax, double ymax) {
  const int x0 = std::max(0, static_cast<int>(std::floor((xmin - origin.x) / cell)));
  const int y0 = std::max(0, static_cast<int>(std::floor((ymin - origin.y) / cell)));
  const int x1 = std::min(nx - 1, static_cast<int>(std::floor((xmax - origin.x) / cell)));
  const int y1 = std::min(ny - 1, static_cast<int>(std::floor((ymax - origin.y) / cell)));
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) marked[static_cast<size_t>(y) * nx + x] = 1;
}

void DrawAtLowerSize(void (*draw)(), const tcellmarks &marks, int scale) {
  scale = std::max(1, scale);
  if (!BeginLayer((clientWidth + scale - 1) / scale, (clientHeight + scale - 1) / scale)) {
    draw();
    return;
  }
  draw();
  EndLayer();
  // The cells are laid over from the world camera, in the world's plane, so the terrain's depth
  // hides the layer exactly where it hides whatever was drawn into it.
  GLdouble model[16], projection[16];
  glGetDoublev(GL_MODELVIEW_MATRIX, model);
  glGetDoublev(GL_PROJECTION_MATRIX, projection);
  const GLint viewport[4] = {0, 0, clientWidth, clientHeight};
  std::vector<float> &xyz = layerXyz, &st = layerSt, &rgba = layerRgba;
  xyz.clear(), st.clear(), rgba.clear();
  auto corner = [&](double x, double y) {
    GLdouble wx = 0, wy = 0, wz = 0;
    gluProject(x, y, 0, model, projection, viewport, &wx, &wy, &wz);
    xyz.insert(xyz.end(), {static_cast<float>(x), static_cast<float>(y), 0.f});
    st.insert(st.end(), {static_cast<float>(wx / clientWidth), static_cast<float>(wy / clientHeight)});
    rgba.insert(rgba.end(), {1.f, 1.f, 1.f, 1.f});
  };
  // Each row's runs of marked cells as one quad.
  for (int y = 0; y < marks.ny; ++y)
    for (int x = 0; x < marks.nx;) {
      if (!marks.at(x, y)) {
        ++x;
        continue;
      }
      int end = x;
      while (end < marks.nx && marks.at(end, y)) ++end;
      const double x0 = marks.origin.x + x * marks.cell, x1 = marks.origin.x + end * marks.cell;
      const double y0 = marks.origin.y + y * marks.cell, y1 = y0 + marks.cell;
      corner(x0, y0), corner(x1, y0), corner(x1, y1), corner(x0, y1);
      x = end;
    }
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, LayerTexture());
  glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);  // the layer's colour is premultiplied
  DrawArrays(GL_QUADS, xyz, rgba, &st);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}
