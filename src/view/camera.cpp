#include <GL/gl.h>

#include "view/view.h"

void ApplyCamera() {
  glLoadIdentity();
  glTranslated(-CameraPos.x, -CameraPos.y, -6.1 * zoom);
}
