// The font atlas, rasterised from DejaVu Sans Bold with FreeType's anti-aliasing.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstring>
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

// The text draws each 32-pixel cell 0.18 wide but advances only 0.14: 24.9 pixels of the cell.
// A font's own letters fill about three fifths of that, so words would look letter-spaced. The
// glyphs are therefore drawn wider than the font's shapes, until a typical small letter's ink
// spans 23 pixels, and none spans more than 24, so even "mm" keeps a hair of space between.
const int kTypicalInk = 23, kWidestInk = 24;
// One clear pixel round every cell keeps linear filtering from pulling in a neighbour's ink.
const int kMargin = 1, kRoom = kFontCell - 2 * kMargin;

struct Glyph {
  int width = 0, rows = 0, top = 0;  // top: rows above the baseline
  std::vector<uint8_t> coverage;     // rows top first
};

struct FtLibrary {
  FT_Library lib = nullptr;
  FT_Face face = nullptr;
  ~FtLibrary() {
    if (face) FT_Done_Face(face);
    if (lib) FT_Done_FreeType(lib);
  }
};

// Columns holding at least half coverage somewhere: the width a reader sees.
int InkColumns(const Glyph &g) {
  int first = g.width, last = -1;
  for (int r = 0; r < g.rows; ++r)
    for (int c = 0; c < g.width; ++c)
      if (g.coverage[static_cast<size_t>(r) * g.width + c] >= 128) {
        first = std::min(first, c);
        last = std::max(last, c);
      }
  return last < first ? 0 : last - first + 1;
}

// A wider pixel size rather than a transform of the outline, so the hinter still snaps the
// horizontal strokes of the stretched letters to whole pixels.
bool RenderGlyph(FT_Face face, char ch, int pixelSize, double widen, Glyph &g, std::string *error) {
  FT_F26Dot6 height = pixelSize * 64, width = static_cast<FT_F26Dot6>(std::lround(pixelSize * widen * 64));
  if (FT_Set_Char_Size(face, width, height, 72, 72)) {
    *error = "cannot set the font size";
    return false;
  }
  if (FT_Load_Char(face, static_cast<unsigned char>(ch), FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT)) {
    *error = std::string("cannot render the glyph '") + ch + "'";
    return false;
  }
  const FT_Bitmap &bm = face->glyph->bitmap;
  if (bm.pixel_mode != FT_PIXEL_MODE_GRAY) {
    *error = "the font did not render in grey levels";
    return false;
  }
  g.width = static_cast<int>(bm.width);
  g.rows = static_cast<int>(bm.rows);
  g.top = face->glyph->bitmap_top;
  g.coverage.resize(static_cast<size_t>(g.width) * g.rows);
  for (int r = 0; r < g.rows; ++r)
    for (int c = 0; c < g.width; ++c) g.coverage[static_cast<size_t>(r) * g.width + c] = bm.buffer[r * bm.pitch + c];
  return true;
}

// Every glyph at one size and widening; a glyph whose ink would pass `widestInk` is narrowed
// on its own until it fits, as a monospaced font narrows its m and w.
bool RenderGlyphs(FT_Face face, int pixelSize, double widen, int widestInk, std::vector<Glyph> &glyphs,
                  std::string *error) {
  glyphs.assign(kFontGlyphs, Glyph{});
  for (int k = 0; k < kFontGlyphs; ++k) {
    if (kFontChars[k] == ' ') continue;
    double w = widen;
    if (!RenderGlyph(face, kFontChars[k], pixelSize, w, glyphs[k], error)) return false;
    while ((InkColumns(glyphs[k]) > widestInk || glyphs[k].width > kRoom) && w > 0.3) {
      w *= 0.98;
      if (!RenderGlyph(face, kFontChars[k], pixelSize, w, glyphs[k], error)) return false;
    }
  }
  return true;
}

// Median ink width of the small letters of ordinary width (not the narrow i, j, l, t, f).
int TypicalInk(const std::vector<Glyph> &glyphs) {
  std::vector<int> widths;
  for (int k = 0; k < kFontGlyphs; ++k) {
    char c = kFontChars[k];
    if (c >= 'a' && c <= 'z' && !std::strchr("ijltf", c)) widths.push_back(InkColumns(glyphs[k]));
  }
  std::sort(widths.begin(), widths.end());
  return widths[widths.size() / 2];
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
  // The largest size whose tallest ascender and deepest descender both fit a cell.
  std::vector<Glyph> glyphs;
  int size = kFontCell, above = 0, below = 0;
  for (;; --size) {
    if (size < 12) {
      *error = "the font's glyphs do not fit the atlas cells";
      return false;
    }
    if (!RenderGlyphs(ft.face, size, 1.0, kRoom, glyphs, error)) return false;
    above = below = 0;
    for (const Glyph &g : glyphs) {
      if (g.coverage.empty()) continue;
      above = std::max(above, g.top);
      below = std::max(below, g.rows - g.top);
    }
    if (above + below <= kRoom) break;
  }
  // Then widen until the ordinary small letters fill the text's pitch.
  const int natural = std::max(1, TypicalInk(glyphs));
  double widen = 0.97 * kTypicalInk / natural;
  for (;; widen *= 1.01) {
    if (widen > 3) {
      *error = "the font's letters cannot be widened to fill the text's pitch";
      return false;
    }
    if (!RenderGlyphs(ft.face, size, widen, kWidestInk, glyphs, error)) return false;
    if (TypicalInk(glyphs) >= kTypicalInk) break;
  }
  for (const Glyph &g : glyphs)
    if (!g.coverage.empty() && (g.top > above || g.rows - g.top > below)) {
      *error = "the widened glyphs no longer fit the atlas cells";
      return false;
    }

  // One baseline for all, with the tallest ascender and deepest descender centred in the cell;
  // the lower-case letters the game shows then sit about the middle of the drawn quad.
  const int baseline = kMargin + (kRoom - above - below) / 2 + above;
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
