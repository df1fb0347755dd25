// The sun, its glow, and the light it throws past the terrain: a warm wash over everything the
// shadow of the blocks around the camera does not cover. The lit region is known from the
// light's first-hit profile, so the wash is drawn as that region alone, each lit pixel once;
// at a low sun the shadow covers most of the view and marking it first would cost more fill
// than the light itself.
#include <GL/gl.h>

#include <cmath>
#include <vector>

#include "view/light.h"
#include "view/view.h"
#include "world/terrain.h"

namespace {
std::vector<tshadowrun> profile;
}  // namespace

void DrawSunAndShadows(tvector direction) {
  tvector d = vecnormalise(direction);
  tvector sun = CameraPos - d * 2.0;
  double e = -d.y;
  // Below a quarter of its height (dusk and dawn) the glow's alpha and the wash's are nowhere
  // above 0: blended, they would change no pixel, yet cost the fill of most of the view.
  if (e <= 0.25) return;
  ApplyCamera();
  WorldDepthState();  // the terrain drawn first stays unlit

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

  // The wash covers the view at the camera's depth, brighter towards the top.
  const tvector h = ViewHalfSize();
  double blue = e >= 0.75 ? 0.85 : (e - 0.25) + 0.35;
  double low = e >= 0.75 ? 0.1 : (e - 0.25) * 0.2;
  double high = e >= 0.75 ? 0.4 : (e - 0.25) * 0.8;
  ShadowProfile(d, profile);
  // A quarter of a pixel: the shadow's edge moves by less than any pixel can show.
  StraightenProfile(profile, 0.25 * PixelSize());
  DrawLitRegion(d, profile, CameraPos.x - h.x, CameraPos.y - h.y, CameraPos.x + h.x, CameraPos.y + h.y, blue, low,
                high);
}
