// Vertices gathered into arrays and drawn in one call: far cheaper than a call a vertex.
#include <GL/gl.h>

#include <cmath>

#include "view/view.h"

namespace {
// Mesa's software renderer sends a whole call down its slow path, built for clipping, when one
// vertex of it lies outside the view; there each small buffer of triangles it hands on costs
// another pass over every vertex of the call, so one figure at the window's edge made the whole
// crowd's batch cost several times its drawing. The primitives that reach past the view are drawn
// in calls of their own, small ones, in their place in the order.
constexpr size_t kClippedRun = 64;  // primitives at most in a call with some reaching out
constexpr size_t kShortGap = 16;    // fewer primitives than this between two such go with them

// For each primitive of `corners` vertices, whether one of them lies outside the view (or so
// near its edge that rounding could put it outside).
void MarkReachingOut(const float *xyz, size_t vertices, size_t corners, std::vector<uint8_t> &out) {
  GLdouble m[16], p[16], mvp[16];
  glGetDoublev(GL_MODELVIEW_MATRIX, m);
  glGetDoublev(GL_PROJECTION_MATRIX, p);
  for (int c = 0; c < 4; ++c)
    for (int r = 0; r < 4; ++r) {
      double s = 0;
      for (int k = 0; k < 4; ++k) s += p[k * 4 + r] * m[c * 4 + k];
      mvp[c * 4 + r] = s;
    }
  const size_t count = vertices / corners;
  out.assign(count, 0);
  constexpr double kInside = 1 - 1e-4;
  for (size_t i = 0; i < count; ++i)
    for (size_t v = 0; v < corners && !out[i]; ++v) {
      const float *q = &xyz[(i * corners + v) * 3];
      double clip[4];
      for (int r = 0; r < 4; ++r) clip[r] = mvp[r] * q[0] + mvp[4 + r] * q[1] + mvp[8 + r] * q[2] + mvp[12 + r];
      const double w = clip[3] * kInside;
      out[i] = !(w > 0 && std::fabs(clip[0]) <= w && std::fabs(clip[1]) <= w && std::fabs(clip[2]) <= w);
    }
}

std::vector<uint8_t> reachingOut;  // reused from call to call
std::vector<trun> runs;
}  // namespace

void SplitIntoRuns(const std::vector<uint8_t> &reachingOut, std::vector<trun> &runs) {
  runs.clear();
  const std::vector<uint8_t> &out = reachingOut;
  const size_t n = out.size();
  for (size_t i = 0; i < n;) {
    size_t end = i + 1;
    if (!out[i]) {
      while (end < n && !out[end]) ++end;
    } else {
      // Those reaching out, with the short gaps between them, up to a run's length.
      for (size_t j = end; j < n && j - i < kClippedRun;) {
        if (out[j]) {
          end = ++j;
          continue;
        }
        size_t k = j;
        while (k < n && !out[k] && k - j < kShortGap) ++k;
        if (k == n || !out[k] || k - j >= kShortGap || k - i >= kClippedRun) break;
        j = k;
      }
    }
    runs.push_back({i, end - i});
    i = end;
  }
}

void DrawArrays(unsigned mode, const float *xyz, const float *rgba, const float *st, size_t vertices) {
  if (vertices == 0) return;
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  if (st) glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glVertexPointer(3, GL_FLOAT, 0, xyz);
  glColorPointer(4, GL_FLOAT, 0, rgba);
  if (st) glTexCoordPointer(2, GL_FLOAT, 0, st);
  const size_t corners = mode == GL_QUADS ? 4 : mode == GL_TRIANGLES ? 3 : 0;
  if (corners == 0) {
    glDrawArrays(mode, 0, static_cast<GLsizei>(vertices));
  } else {
    MarkReachingOut(xyz, vertices, corners, reachingOut);
    SplitIntoRuns(reachingOut, runs);
    for (const trun &r : runs)
      glDrawArrays(mode, static_cast<GLint>(r.first * corners), static_cast<GLsizei>(r.count * corners));
  }
  if (st) glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisableClientState(GL_COLOR_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
}

void DrawArrays(unsigned mode, const std::vector<float> &xyz, const std::vector<float> &rgba,
                const std::vector<float> *st) {
  DrawArrays(mode, xyz.data(), rgba.data(), st ? st->data() : nullptr, xyz.size() / 3);
}
