// Vertices gathered into arrays and drawn in one call: far cheaper than a call a vertex.
#include <GL/gl.h>

#include "view/view.h"

void DrawArrays(unsigned mode, const std::vector<float> &xyz, const std::vector<float> &rgba,
                const std::vector<float> *st) {
  if (xyz.empty()) return;
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  if (st) glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glVertexPointer(3, GL_FLOAT, 0, xyz.data());
  glColorPointer(4, GL_FLOAT, 0, rgba.data());
  if (st) glTexCoordPointer(2, GL_FLOAT, 0, st->data());
  glDrawArrays(mode, 0, static_cast<GLsizei>(xyz.size() / 3));
  if (st) glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisableClientState(GL_COLOR_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
}
