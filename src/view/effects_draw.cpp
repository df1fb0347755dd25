// Tracers and the helicopter.
#include <GL/gl.h>

#include <cmath>
#include <vector>

#include "game/objects.h"
#include "platform/window.h"
#include "render/textures.h"
#include "view/view.h"

void DrawTracers() {
  ApplyCamera();
  glDisable(GL_TEXTURE_2D);
  glLineWidth(1.5);
  glBegin(GL_LINES);
  for (const tshot &s : shotList) {
    if (!s.active || !s.source) continue;
    tvector p = s.body.pos, d = s.last - s.body.pos;
    if (d.x == 0 || d.y == 0) continue;  // a shot moving straight along an axis draws none
    tvector u = vecnormalise(d);
    tvector tail = p + u * 0.2;
    glColor4d(0, 0, 0, 0.25);
    glVertex3d(tail.x, tail.y, 0.001);
    glColor4d(0, 0, 0, 1);
    glVertex3d(p.x, p.y, 0.001);
  }
  glEnd();
}

namespace {
double Frac(double v) {
  double f = v - std::floor(v);
  return f == 0 ? 1 : f;  // (0, 1]
}

void Rotor(double cx, double cy, double radius, bool edgeOn) {
  glBegin(GL_TRIANGLE_FAN);
  glColor4d(0, 0, 0, 0.75);
  glVertex3d(cx, cy, 0);
  for (int i = 0; i <= 40; ++i) {
    double a = i * 9 * M_PI / 180;
    glColor4d(0, 0, 0, 0.5 - Frac(0.025 * i + heli.rotor));
    if (edgeOn)
      glVertex3d(cx + radius * std::sin(a), cy, radius * std::cos(a));
    else
      glVertex3d(cx + radius * std::sin(a), cy + radius * std::cos(a), 0);
  }
  glEnd();
}
}  // namespace

void DrawHeli() {
  ApplyCamera();
  glTranslated(heli.pos.x, heli.pos.y, 0);
  glDisable(GL_TEXTURE_2D);
  if (heli.rope > 0) {
    glColor4d(0, 0, 0, 1);
    glBegin(GL_QUADS);
    glVertex3d(-0.01, 0, 0);
    glVertex3d(0.01, 0, 0);
    glVertex3d(0.01, -heli.rope, 0);
    glVertex3d(-0.01, -heli.rope, 0);
    glEnd();
  }
  glRotated(heli.tilt, 0, 0, -1);
  glTranslated(-0.3, -0.1, 0);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, heliTexture);
  glColor4d(1, 1, 1, 1);
  glBegin(GL_QUADS);
  glTexCoord2d(0, 0);
  glVertex3d(-1.2, -0.6, 0);
  glTexCoord2d(1, 0);
  glVertex3d(1.2, -0.6, 0);
  glTexCoord2d(1, 1);
  glVertex3d(1.2, 0.6, 0);
  glTexCoord2d(0, 1);
  glVertex3d(-1.2, 0.6, 0);
  glEnd();
  glDisable(GL_TEXTURE_2D);
  Rotor(-1.10625, 0.365625, 0.3, false);
  // In the world's depth state, tested and not written: a disc written into the depth buffer,
  // its clear parts too, would stand in the sunlight's way, which tests the terrain's alone.
  Rotor(0.3375, 0.2625, 0.96, true);
}
