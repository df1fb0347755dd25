#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "game/particles.h"
#include "platform/window.h"
#include "view/view.h"

void ApplyCamera() {
  glLoadIdentity();
  glTranslated(-CameraPos.x, -CameraPos.y, -6.1 * zoom);
}

double ScreenHalfWidth() { return 3.75 * clientWidth / std::max(1, clientHeight); }

void HandViewToRules() { particleViewHalfWidth = ScreenHalfWidth(); }

tvector ViewHalfSize() {
  const double k = 6.1 * zoom / 9;
  return {ScreenHalfWidth() * k, 3.75 * k};
}

double PixelSize() { return 2 * ViewHalfSize().y / std::max(1, clientHeight); }

bool InView(tvector p, double margin) {
  const tvector h = ViewHalfSize();
  return std::fabs(p.x - CameraPos.x) < h.x + margin && std::fabs(p.y - CameraPos.y) < h.y + margin;
}
