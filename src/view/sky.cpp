// The sky and the skyline behind the play field.
#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "base/files.h"
#include "game/objects.h"
#include "game/state.h"
#include "platform/window.h"
#include "render/textures.h"
#include "view/view.h"
#include "world/terrain.h"

namespace {
// The day-night image, kept on our side too: the sky is one column of it, so drawing that
// column as vertex-coloured strips gives the textured quad's picture for a fraction of the fill.
DecodedImage skyImage;

struct tskycolour {
  double r, g, b;
};

tskycolour Texel(int x, int y) {
  const int w = skyImage.width;
  x = ((x % w) + w) % w;  // the texture repeats across the day's end
  y = y < 0 ? 0 : (y >= skyImage.height ? skyImage.height - 1 : y);
  const uint8_t *p = &skyImage.pixels[(static_cast<size_t>(y) * w + x) * skyImage.bytesPerPixel];
  return {p[0] / 255.0, p[1] / 255.0, p[2] / 255.0};
}

// What GL's linear filter gives at (s, texel row y): a mix of the two nearest columns.
tskycolour ColumnColour(double s, int y) {
  double fx = s * skyImage.width - 0.5;
  int x0 = static_cast<int>(std::floor(fx));
  double f = fx - x0;
  tskycolour a = Texel(x0, y), b = Texel(x0 + 1, y);
  return {a.r + (b.r - a.r) * f, a.g + (b.g - a.g) * f, a.b + (b.b - a.b) * f};
}

void SkyQuad(double alpha) {
  const double w = ScreenHalfWidth();
  glColor4d(1, 1, 1, alpha);
  glBegin(GL_QUADS);
  glVertex3d(-w, 3.75, -9);
  glVertex3d(-w, -3.75, -9);
  glVertex3d(w, -3.75, -9);
  glVertex3d(w, 3.75, -9);
  glEnd();
}
}  // namespace

void LoadSkyColours() {
  skyImage = DecodedImage{};
  std::string path = DataPath("textures/daynight.tga");
  std::vector<uint8_t> bytes;
  DecodeError err;
  if (!ReadFileBytes(path, bytes) || !DecodeTarga(path, bytes.data(), bytes.size(), skyImage, err))
    skyImage = DecodedImage{};
}

void DrawSky(double groundTop) {
  glLoadIdentity();
  glDisable(GL_DEPTH_TEST);  // the first thing drawn: it neither tests nor writes depth
  double alpha = 1 - Game.hurtFlash;
  bool opaque = alpha >= 1;
  if (skyImage.width == 0 || !dayNightTexture) {
    if (opaque) glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    SkyQuad(alpha);  // an untextured quad, as GL draws a texture that failed to load
  } else {
    // The sky is the first colour over the cleared screen: a hurt flash's translucent sky
    // over the clear colour is that mix, worked out per vertex and drawn without blending.
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    auto mix = [&clear, alpha](double c, int k) { return c * alpha + clear[k] * (1 - alpha); };
    glDisable(GL_BLEND);
    // The screen spans texture rows 0.25 (top) to 0.75 (bottom). Between texel centres GL
    // interpolates linearly, exactly as Gouraud shading does between the strip's vertices.
    glDisable(GL_TEXTURE_2D);
    const double s = Game.timeOfDay, h = skyImage.height, w = ScreenHalfWidth();
    // The strips stop at the first row past the ground line (where the terrain covers every
    // pixel), two pixels lower for rounding. The line is in the world's plane; the sky lies at
    // depth 9, seen from the same eye.
    const double lowest = (groundTop - CameraPos.y) * 9 / (6.1 * zoom) - 2 * 7.5 / std::max(1, clientHeight);
    glBegin(GL_QUAD_STRIP);
    double t = 0.25;
    int row = static_cast<int>(std::floor(0.25 * h - 0.5));
    while (true) {
      double y = 3.75 - (t - 0.25) / 0.5 * 7.5;
      double ft = t * h - 0.5;
      int y0 = static_cast<int>(std::floor(ft));
      double f = ft - y0;
      tskycolour a = ColumnColour(s, y0), b = ColumnColour(s, y0 + 1);
      glColor4d(mix(a.r + (b.r - a.r) * f, 0), mix(a.g + (b.g - a.g) * f, 1), mix(a.b + (b.b - a.b) * f, 2), 1);
      glVertex3d(-w, y, -9);
      glVertex3d(w, y, -9);
      if (t >= 0.75 || y <= lowest) break;
      ++row;
      t = std::fmin(0.75, (row + 0.5) / h);
    }
    glEnd();
  }
  glEnable(GL_BLEND);
}

void DrawSkyline(double groundTop) {
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LESS);
  glDepthMask(GL_TRUE);  // the layers hide one another
  double z0 = -6.1 * zoom - 2;
  double y0 = -CameraPos.y + basePos.y - 1;
  double w = std::fabs(CameraPos.x);
  while (w > 11) w -= 11;
  double x0 = -w * (CameraPos.x > 0 ? 1 : (CameraPos.x < 0 ? -1 : 0));
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_STENCIL_TEST);
  // Each layer's ground fill reaches down past the screen, but the nearer layers, drawn first,
  // win the depth test below their own base lines: only the band between a layer's base line
  // and the next nearer one's can show. Drawing just that band (a little more, so rounding
  // leaves no seam) gives the same picture for a fraction of the fill.
  double previousDepth = 0;
  bool nearerFillsBelow = false;
  for (int i = 0; i < 9; ++i) {
    double depth = -z0 + 0.5 * (i + 1);  // this layer's distance from the eye
    glLoadIdentity();
    glTranslated(x0, y0, -depth);
    glColor4d(0, 0, 0, 0.3 - 0.0375 * i);
    double h = 3.75 / (9 / (6.1 * zoom + 2 + 0.5 * i));
    double bottom = CameraPos.y - 2 * h;
    bool fillsBelow = h > 0 && bottom < 0;
    if (nearerFillsBelow && fillsBelow) {
      double hidden = y0 * (depth / previousDepth - 1);  // where the nearer base line falls
      bottom = std::fmin(0, std::fmax(bottom, hidden - 0.005 * depth));
    }
    previousDepth = depth;
    nearerFillsBelow = fillsBelow;
    // Across the view at this depth, whatever the window's shape, in the layer's own frame.
    double half = ScreenHalfWidth() * depth / 9 + 0.5;
    double left = -half - x0, right = half - x0;
    // Below the ground line the terrain covers every pixel: the fill stops there (two pixels
    // lower for rounding), in this layer's frame.
    const double ground =
        (groundTop - CameraPos.y) * depth / (6.1 * zoom) - y0 - 2 * PixelSize() * depth / (6.1 * zoom);
    if (bottom < ground) bottom = std::fmin(0, ground);
    if (h > 0 && bottom != 0) {
      glBegin(GL_QUADS);
      glVertex3d(left, 0, 0);
      glVertex3d(right, 0, 0);
      glVertex3d(right, bottom, 0);
      glVertex3d(left, bottom, 0);
      glEnd();
    }
    // The bars repeat every 11 units; copies side by side from the view's left edge.
    glTranslated(11 * std::floor(left / 11), 0, 0);
    for (double x = 11 * std::floor(left / 11); x < right; x += 11) {
      glCallList(skylineLayers[i]);
      glTranslated(11, 0, 0);
    }
  }
  glLoadIdentity();
  WorldDepthState();
}
