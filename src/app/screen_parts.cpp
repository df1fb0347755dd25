#include "app/screen_parts.h"

#include <GL/gl.h>

#include "render/text.h"

void TitlePanel(double halfWidth, const std::string &title) {
  Panel({-halfWidth, 2.0}, {halfWidth, 3.0});
  glScaled(4, 4, 1);
  DrawText(title, {0, 0.625}, true);
  glScaled(0.25, 0.25, 1);
}

void ClipTo(tvector a, tvector b) {
  // Cleared first: the game's shadows leave marks in the stencil that would open holes elsewhere.
  glClear(GL_STENCIL_BUFFER_BIT);
  glEnable(GL_STENCIL_TEST);
  glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
  glStencilFunc(GL_NEVER, 1, 0);
  glStencilOp(GL_REPLACE, GL_REPLACE, GL_REPLACE);
  FillRect(a, b, {0, 0, 0});
  glStencilFunc(GL_NOTEQUAL, 0, 1);
  glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
}

void EndClip() { glDisable(GL_STENCIL_TEST); }
