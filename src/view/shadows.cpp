// The sun, its glow, and the light it throws past the terrain: the shadow of the blocks around
// the camera marks the stencil, and a warm wash lights everything it does not cover.
#include <GL/gl.h>

#include <cmath>

#include "view/view.h"
#include "world/terrain.h"

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
  MarkShadows(d);
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
