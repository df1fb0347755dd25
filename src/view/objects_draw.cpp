// Weapon pickups, thrown grenades and the flashes of shots and explosions.
#include <GL/gl.h>

#include <cmath>

#include "game/effects.h"
#include "game/objects.h"
#include "render/textures.h"
#include "view/view.h"

void DrawPickups() {
  if (pickupList.empty()) return;
  ApplyCamera();
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, gunIconsTexture);
  glColor4d(1, 1, 1, 1);
  glBegin(GL_QUADS);
  for (const tpickup &k : pickupList) {
    if (!k.active) continue;
    const tvector p = k.body.pos;
    const double v0 = k.iconrow * 0.125, v1 = v0 + 0.125;
    glTexCoord2d(0, v0);
    glVertex3d(p.x - 0.075, p.y - 0.075, 0);
    glTexCoord2d(1, v0);
    glVertex3d(p.x + 0.075, p.y - 0.075, 0);
    glTexCoord2d(1, v1);
    glVertex3d(p.x + 0.075, p.y + 0.075, 0);
    glTexCoord2d(0, v1);
    glVertex3d(p.x - 0.075, p.y + 0.075, 0);
  }
  glEnd();
}

void DrawGrenades() {
  if (grenadeList.empty()) return;
  ApplyCamera();
  glDisable(GL_TEXTURE_2D);
  glPointSize(6);
  glColor4d(0, 0, 0, 1);
  glBegin(GL_POINTS);
  for (const tparticle &g : grenadeList)
    if (g.active) glVertex3d(g.body.pos.x, g.body.pos.y, 0);
  glEnd();
}

void DrawNewFlashes() {
  bool any = false;
  for (const tflash &f : flashes) any = any || f.active;
  if (!any) return;
  ApplyCamera();
  glDisable(GL_TEXTURE_2D);
  for (const tflash &f : flashes) {
    if (!f.active) continue;
    if (f.blast) {
      glBegin(GL_TRIANGLE_FAN);
      glColor4d(0, 0, 0, 0.8);
      glVertex3d(f.centre.x, f.centre.y, 0);
      glColor4d(0, 0, 0, 0);
      for (int k = 1; k <= 17; ++k) {
        const double a = k * 22.5 * M_PI / 180;
        glVertex3d(f.centre.x + f.radius * std::sin(a), f.centre.y + f.radius * std::cos(a), 0);
      }
      glEnd();
    }
    glLineWidth(static_cast<float>(f.lineWidth));
    glBegin(GL_LINES);
    for (int k = 0; k < f.lineCount; ++k) {
      const tflashline &l = f.lines[k];
      glColor4d(0, 0, 0, l.alpha);
      glVertex3d(l.from.x, l.from.y, 0);
      glColor4d(0, 0, 0, 0);
      glVertex3d(l.to.x, l.to.y, 0);
    }
    glEnd();
  }
}
