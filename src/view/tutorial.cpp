// The tutorial overlay: one or two coloured boxes at the top of the screen and a line from
// them to what the hint talks about.
#include <GL/gl.h>

#include <algorithm>
#include <cstring>

#include "game/tutorial.h"
#include "render/text.h"
#include "view/view.h"

namespace {

void Box(double w, double top, double bottom, const tcolour &c) {
  glDisable(GL_TEXTURE_2D);
  glColor4d(c.r, c.g, c.b, 1);
  glBegin(GL_QUADS);
  glVertex3d(-w, top, 0);
  glVertex3d(w + 0.1, top, 0);
  glVertex3d(w + 0.1, bottom, 0);
  glVertex3d(-w, bottom, 0);
  glEnd();
}

}  // namespace

void DrawTutorial() {
  if (!TutorialShown()) return;
  const thint h = ChooseHint();
  const tcolour colour = h.urgent ? tcolour{0.6, 0.1, 0.0} : tcolour{0.4, 0.4, 0.6};
  const size_t n = std::max(std::strlen(h.line1), std::strlen(h.line2));
  const double w = n / 2.0 * 0.14;

  glLoadIdentity();
  glTranslated(0, 0, -9);
  DrawText("tutorial", {-1.2 * w, 3.05}, false);

  if (h.pointer) {
    // From the world point under the boxes' left corner to the target.
    ApplyCamera();
    glDisable(GL_TEXTURE_2D);
    glLineWidth(3);
    const tvector from = CameraPos + tvector{-1.2 * w, 2.8} * (6.1 * zoom / 9);
    glColor4d(colour.r, colour.g, colour.b, 1);
    glBegin(GL_LINES);
    glVertex3d(from.x, from.y, 0);
    glVertex3d(h.target.x, h.target.y, 0);
    glEnd();
  }

  // Stretched: the boxes are 1.2 times wider and twice as tall, the glyphs only wider. Twice as
  // tall they would stand 0.36 high in boxes 0.2 apart, and the two lines ran into each other.
  glLoadIdentity();
  glScaled(1.2, 2, 1);
  glTranslated(0, 0, -9);
  auto line = [](const char *text, double y) {
    glPushMatrix();
    glTranslated(0, y, 0);
    glScaled(1, 0.55, 1);
    DrawText(text, {0, 0}, true);
    glPopMatrix();
  };
  Box(w, 1.5, 1.4, colour);
  line(h.line1, 1.45);
  if (h.secondBox) {
    Box(w, 1.4, 1.3, colour);
    line(h.line2, 1.35);
  }
}
