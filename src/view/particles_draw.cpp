// The particles in one batch, leaving out what cannot show: a particle wholly
// outside the view, one with no area, and one faded out entirely (drawn with
// alpha 0 it changes no pixel).
#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "game/objects.h"
#include "platform/window.h"
#include "render/textures.h"
#include "view/view.h"

namespace {
// One vertex array for every particle quad, reused from frame to frame:
// thousands of particles in immediate mode cost more in calls than in fill.
struct tquadbatch {
  std::vector<float> xyz, st, rgba;
  void clear() {
    xyz.clear();
    st.clear();
    rgba.clear();
  }
  void vertex(tvector p, double s, double t, float alpha) {
    xyz.insert(xyz.end(), {static_cast<float>(p.x), static_cast<float>(p.y), 0.f});
    st.insert(st.end(), {static_cast<float>(s), static_cast<float>(t)});
    rgba.insert(rgba.end(), {1.f, 1.f, 1.f, alpha});
  }
  void draw() {
    if (xyz.empty()) return;
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, xyz.data());
    glTexCoordPointer(2, GL_FLOAT, 0, st.data());
    glColorPointer(4, GL_FLOAT, 0, rgba.data());
    glDrawArrays(GL_QUADS, 0, static_cast<GLsizei>(xyz.size() / 3));
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
  }
};
tquadbatch particleBatch;

// A particle's quad as drawn, and its alpha.
struct tsprite {
  tvector corner[4];
  float alpha;
};

tsprite Sprite(size_t n, const tparticle &q) {
  tsprite s;
  s.alpha = static_cast<float>(q.expired ? 4 * q.lifetime : 1);
  tvector p = q.body.pos, v = q.body.vel;
  double sx = q.size.x, sy = q.size.y;
  if (!q.moving || (v.x == 0 && v.y == 0)) {
    s.corner[0] = {p.x - sx, p.y - sy};
    s.corner[1] = {p.x + sx, p.y - sy};
    s.corner[2] = {p.x + sx, p.y + sy};
    s.corner[3] = {p.x - sx, p.y + sy};
    return s;
  }
  tvector u;
  if (q.row == 7) {
    // Row 7 turns with a phase of its own rather than along its flight.
    double th = n * 0.1 * M_PI + p.x * 5 - v.y * 8;
    u = {std::sin(th), std::cos(th)};
  } else {
    u = vecnormalise(v);
  }
  tvector a = {u.x * sy - u.y * sx, u.y * sy + u.x * sx};
  tvector c = {u.x * sy + u.y * sx, u.y * sy - u.x * sx};
  s.corner[0] = p + a;
  s.corner[1] = p + c;
  s.corner[2] = p - a;
  s.corner[3] = p - c;
  return s;
}

}  // namespace

void DrawParticles() {
  ApplyCamera();
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, coloursTexture);
  const tvector half = ViewHalfSize();
  const double halfW = half.x, halfH = half.y;
  tquadbatch &b = particleBatch;
  b.clear();
  for (size_t n = 0; n < particleList.size(); ++n) {
    const tparticle &q = particleList[n];
    if (!q.active || q.size.x == 0 || q.size.y == 0) continue;
    tsprite s = Sprite(n, q);
    if (s.alpha <= 0) continue;
    double xmin = s.corner[0].x, xmax = xmin, ymin = s.corner[0].y, ymax = ymin;
    for (const tvector &c : s.corner)
      xmin = std::min(xmin, c.x), xmax = std::max(xmax, c.x), ymin = std::min(ymin, c.y), ymax = std::max(ymax, c.y);
    if (xmax < CameraPos.x - halfW || xmin > CameraPos.x + halfW || ymax < CameraPos.y - halfH ||
        ymin > CameraPos.y + halfH)
      continue;
    double t0 = q.row * 0.125 + 0.01, t1 = q.row * 0.125 + 0.115;
    b.vertex(s.corner[0], 0, t0, s.alpha);
    b.vertex(s.corner[1], 1, t0, s.alpha);
    b.vertex(s.corner[2], 1, t1, s.alpha);
    b.vertex(s.corner[3], 0, t1, s.alpha);
  }
  b.draw();
}
