// The ten fixed textures on one sheet, loaded by the game's own loader and drawn as textured
// quads over a checkerboard (so transparency shows), with a line of text in the game's font.
#include <GL/gl.h>

#include <algorithm>

#include "base/files.h"
#include "preview.h"
#include "render/text.h"
#include "render/textures.h"

namespace {

const char *const FILES[10] = {"fonttrans.tga", "daynight.tga", "colours2.tga", "gun icons.tga", "supplies.tga",
                               "symbol.tga",    "guytex.tga",   "armtex.tga",   "heli.tga",      "smoke.tga"};

void Checkerboard(double x0, double y0, double x1, double y1) {
  const double step = 0.1;
  for (double y = y0; y < y1 - 1e-9; y += step)
    for (double x = x0; x < x1 - 1e-9; x += step) {
      const bool dark = static_cast<long>((x - x0) / step + 0.5) % 2 != static_cast<long>((y - y0) / step + 0.5) % 2;
      const float v = dark ? 0.55f : 0.8f;
      FillRect(x, y, std::min(x + step, x1), std::min(y + step, y1), v, v, v, 1);
    }
}

// The texture fitted into a box of side `box` centred on (cx, cy), t = 0 at the bottom as the
// game's sprites sample it; the font's cells are sampled top row first, so it is shown that way.
void TexturedQuad(uint32_t texture, double cx, double cy, double box, bool topRowFirst) {
  GLint w = 1, h = 1;
  glBindTexture(GL_TEXTURE_2D, texture);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
  const double k = box / std::max(w, h), hw = w * k / 2, hh = h * k / 2;
  Checkerboard(cx - hw, cy - hh, cx + hw, cy + hh);
  const double t0 = topRowFirst ? 1 : 0, t1 = 1 - t0;
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, texture);
  glColor4f(1, 1, 1, 1);
  glBegin(GL_QUADS);
  glTexCoord2d(0, t0);
  glVertex2d(cx - hw, cy - hh);
  glTexCoord2d(1, t0);
  glVertex2d(cx + hw, cy - hh);
  glTexCoord2d(1, t1);
  glVertex2d(cx + hw, cy + hh);
  glTexCoord2d(0, t1);
  glVertex2d(cx - hw, cy + hh);
  glEnd();
  glDisable(GL_TEXTURE_2D);
}

}  // namespace

int PreviewTextures(const std::string &, const std::string &outDir) {
  uint32_t textures[10] = {};
  for (int i = 0; i < 10; ++i) LoadTextureFile(DataPath(std::string("textures/") + FILES[i]), textures[i]);
  fontTexture = textures[0];

  // Five cells of 2.5 units across, two rows of them under a line of text.
  const PreviewView view{0, 0, 12.5, 7.2, 1250, 720};
  BeginPicture(view);
  for (int i = 0; i < 10; ++i) {
    const double cx = 1.25 + 2.5 * (i % 5), cy = 5.0 - 3.0 * (i / 5);
    if (textures[i]) TexturedQuad(textures[i], cx, cy, 2.2, i == 0);
    DrawText(FILES[i], {cx, cy - 1.35}, true);
  }
  DrawText("red siege - the quick brown fox jumps over the lazy dog 0123456789 .!?+-", {0.2, 6.8}, false);
  int missing = static_cast<int>(std::count(textures, textures + 10, 0u));
  glDeleteTextures(10, textures);
  fontTexture = 0;
  return missing + (SavePicture(view, outDir + "/textures.png") ? 0 : 1);
}
