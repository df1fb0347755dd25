// The font atlas, rasterised from DejaVu Sans Bold with FreeType's anti-aliasing.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <memory>
#include <vector>

#include "base/files.h"
#include "contentc/art.h"

std::string FindFontFile() {
  static const char *const candidates[] = {
      "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
      "/usr/share/fonts/TTF/DejaVuSans-Bold.ttf",
      "/usr/share/fonts/dejavu/DejaVuSans-Bold.ttf",
      "/usr/local/share/fonts/DejaVuSans-Bold.ttf",
  };
  for (const char *path : candidates)
    if (FileExists(path)) return path;
  return "";
}

namespace {

struct Glyph {
  int width = 0, rows = 0, top = 0;  // top: rows above the baseline
  std::vector<uint8_t> coverage;      // rows top first
};

struct FtLibrary {
  FT_Library lib = nullptr;
  FT_Face face = nullptr;
  ~FtLibrary() {
    if (face) FT_Done_Face(face);
    if (lib) FT_Done_FreeType(lib);
  }
};

// The text advances by 0.14 of a 0.18-wide cell, far more than the font's own spacing, so the
// glyphs are widened to fill that pitch; the widest are narrowed again to fit their cells.
const double kWiden = 1.2;

bool LoadGlyph(FT_Face face, char ch, double widen, std::string *error) {
  FT_Matrix m{static_cast<FT_Fixed>(widen * 0x10000), 0, 0, 0x10000};
  FT_Set_Transform(face, &m, nullptr);
  if (FT_Load_Char(face, static_cast<unsigned char>(ch), FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL)) {
    *error = std::string("cannot render the glyph '") + ch + "'";
    return false;
  }
  return true;
}

bool RenderGlyphs(FT_Face face, int pixelSize, int maxWidth, std::vector<Glyph> &glyphs, std::string *error) {
  if (FT_Set_Pixel_Sizes(face, 0, pixelSize)) {
    *error = "cannot set the font size";
    return false;
  }
  glyphs.assign(kFontGlyphs, Glyph{});
  for (int k = 0; k < kFontGlyphs; ++k) {
    if (kFontChars[k] == ' ') continue;
    double widen = kWiden;
    if (!LoadGlyph(face, kFontChars[k], widen, error)) return false;
    while (static_cast<int>(face->glyph->bitmap.width) > maxWidth && widen > 0.5) {
      widen *= 0.97;
      if (!LoadGlyph(face, kFontChars[k], widen, error)) return false;
    }
    const FT_Bitmap &bm = face->glyph->bitmap;
    if (bm.pixel_mode != FT_PIXEL_MODE_GRAY) {
      *error = "the font did not render in grey levels";
      return false;
    }
    Glyph &g = glyphs[k];
    g.width = static_cast<int>(bm.width);
    g.rows = static_cast<int>(bm.rows);
    g.top = face->glyph->bitmap_top;
    g.coverage.resize(static_cast<size_t>(g.width) * g.rows);
    for (int r = 0; r < g.rows; ++r)
      for (int c = 0; c < g.width; ++c)
        g.coverage[static_cast<size_t>(r) * g.width + c] = bm.buffer[r * bm.pitch + c];
  }
  return true;
}

}  // namespace

bool MakeFontImage(const std::string &fontPath, Canvas &out, std::string *error) {
  FtLibrary ft;
  if (FT_Init_FreeType(&ft.lib)) {
    *error = "FreeType did not start";
    return false;
  }
  if (fontPath.empty() || FT_New_Face(ft.lib, fontPath.c_str(), 0, &ft.face)) {
    *error = "cannot open the font '" + fontPath + "'";
    return false;
  }
  // Two clear pixels round every glyph keep linear filtering from pulling in a neighbour's ink.
  const int margin = 2, room = kFontCell - 2 * margin;
  std::vector<Glyph> glyphs;
  int above = 0, below = 0;
  for (int size = 27; size >= 12; --size) {
    if (!RenderGlyphs(ft.face, size, room, glyphs, error)) return false;
    int widest = 0;
    above = below = 0;
    for (const Glyph &g : glyphs) {
      if (g.coverage.empty()) continue;
      widest = std::max(widest, g.width);
      above = std::max(above, g.top);
      below = std::max(below, g.rows - g.top);
    }
    if (widest <= room && above + below <= room) break;
    if (size == 12) {
      *error = "the font's glyphs do not fit the atlas cells";
      return false;
    }
  }
  // One baseline for all, with the tallest ascender and deepest descender centred in the cell;
  // the lower-case letters the game shows then sit about the middle of the drawn quad.
  const int baseline = margin + (room - above - below) / 2 + above;
  out = Canvas(kFontSize, kFontSize, {1, 1, 1, 0});  // white everywhere: no dark fringes
  for (int k = 0; k < kFontGlyphs; ++k) {
    const Glyph &g = glyphs[k];
    int cellX = (k % kFontColumns) * kFontCell, cellY = (k / kFontColumns) * kFontCell;
    int left = cellX + (kFontCell - g.width) / 2;
    int firstRow = cellY + baseline - g.top;
    for (int r = 0; r < g.rows; ++r)
      for (int c = 0; c < g.width; ++c)  // glyph rows top first, in pixel-data order
        out.set(left + c, firstRow + r, {1, 1, 1, g.coverage[static_cast<size_t>(r) * g.width + c] / 255.0});
  }
  return true;
}
