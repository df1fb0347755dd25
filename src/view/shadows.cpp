// The sun, its glow, and the light it throws past the terrain: shadow volumes of the blocks
// around the camera mark the stencil, and a warm wash lights everything they do not cover.
#include <GL/gl.h>

#include <cmath>

#include "view/view.h"
#include "world/terrain.h"

void ShadowStrip(const block &b, tvector d) {
  const tvector a = b.corner1, c = b.corner2, e = d * 15.0;
  glBegin(GL_TRIANGLE_STRIP);
  auto pair = [&e](double x, double y) {
    glVertex3d(x, y, 0);
    glVertex3d(x + e.x, y + e.y, 0);
  };
  if (d.x < 0) {
    pair(c.x, a.y);
    pair(c.x, c.y);
  }
  if (d.x > 0) {
    pair(a.x, a.y);
    pair(a.x, c.y);
  }
  if (d.y > 0) {
    pair(a.x, a.y);
    pair(c.x, a.y);
  }
  if (d.y < 0) {
    pair(a.x, c.y);
    pair(c.x, c.y);
  }
  glEnd();
}

void DrawSunAndShadows(tvector direction) {
  tvector d = vecnormalise(direction);
  tvector sun = CameraPos - d * 2.0;
  double e = -d.y;
  ApplyCamera();
  // Where the terrain's depth is marked, its opaque silhouette will cover the light anyway.
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LESS);
  glDepthMask(GL_FALSE);  // test against the terrain only; the glow, strips and wash share a depth

  // The glow: white-yellow when high, fading as the sun sinks.
  double glowAlpha = e >= 0.75 ? 0.5 : e - 0.25;
  double glowBlue = e >= 0.75 ? 0.8 : 0.9;
  glBegin(GL_TRIANGLE_FAN);
  glColor4d(1, 1, glowBlue, glowAlpha);
  glVertex3d(sun.x, sun.y, 0);
  glColor4d(1, 1, glowBlue, 0);
  for (int i = 0; i <= 32; ++i) {
    double a = i * M_PI / 16;
    glVertex3d(sun.x + 1.5 * std::sin(a), sun.y + 1.5 * std::cos(a), 0);
  }
  glEnd();

  glClear(GL_STENCIL_BUFFER_BIT);
  glColor4d(0, 0, 0, 1);
  glEnable(GL_STENCIL_TEST);
  glStencilFunc(GL_ALWAYS, 1, 0xffffffff);
  glStencilOp(GL_REPLACE, GL_KEEP, GL_REPLACE);
  glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
  int centre = tileindex(CameraPos.x);
  for (int t = centre - 1; t <= centre + 1; ++t) {
    if (t < -7 || t > 7) continue;
    for (const block &b : worldRow[t + 7].drawn)
      if (b.active) ShadowStrip(b, d);  // an unseen block casts no shadow
  }
  glStencilFunc(GL_EQUAL, 0, 1);
  glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);

  // The wash covers the view at the camera's depth, brighter towards the top.
  double h = 5 * 6.1 * zoom / 9;
  double blue = e >= 0.75 ? 0.85 : (e - 0.25) + 0.35;
  double low = e >= 0.75 ? 0.1 : (e - 0.25) * 0.2;
  double high = e >= 0.75 ? 0.4 : (e - 0.25) * 0.8;
  glBegin(GL_QUADS);
  glColor4d(1, 1, blue, low);
  glVertex3d(CameraPos.x - h, CameraPos.y - 0.75 * h, 0);
  glVertex3d(CameraPos.x + h, CameraPos.y - 0.75 * h, 0);
  glColor4d(1, 1, blue, high);
  glVertex3d(CameraPos.x + h, CameraPos.y + 0.75 * h, 0);
  glVertex3d(CameraPos.x - h, CameraPos.y + 0.75 * h, 0);
  glEnd();
  glDisable(GL_STENCIL_TEST);
  glDepthMask(GL_TRUE);
  glDisable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
}
