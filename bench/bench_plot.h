// The game benchmark's frame-time graph: every timed frame of every phase in order, in its
// phase's own reference frames, so a hitch shows where it happens. Drawn on the CPU into an RGB
// picture (GL's row order, bottom row first) and written as a PNG.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "render/png_file.h"

struct tplotseries {
  std::string name;
  std::vector<double> costs;  // ms, in the order played
  double reference;           // the series' own reference frame, ms
};

namespace plot {
struct tcanvas {
  int w, h;
  std::vector<uint8_t> rgb;
  tcanvas(int width, int height) : w(width), h(height), rgb(static_cast<size_t>(width) * height * 3, 255) {}
  // (x, y) from the top left, as the picture is looked at.
  void dot(int x, int y, const uint8_t c[3]) {
    if (x < 0 || y < 0 || x >= w || y >= h) return;
    std::memcpy(&rgb[(static_cast<size_t>(h - 1 - y) * w + x) * 3], c, 3);
  }
  void fill(int x0, int y0, int x1, int y1, const uint8_t c[3]) {
    for (int y = std::max(0, y0); y <= std::min(h - 1, y1); ++y)
      for (int x = std::max(0, x0); x <= std::min(w - 1, x1); ++x) dot(x, y, c);
  }
};

// A 3 x 5 font for the labels: each glyph's rows top first, three bits a row (4 = left).
inline const uint16_t *Glyph(char c) {
  static const uint16_t digits[10][5] = {{7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 7, 1, 7},
                                         {5, 5, 7, 1, 1}, {7, 4, 7, 1, 7}, {7, 4, 7, 5, 7}, {7, 1, 1, 1, 1},
                                         {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7}};
  static const uint16_t letters[26][5] = {
      {2, 5, 7, 5, 5}, {6, 5, 6, 5, 6}, {3, 4, 4, 4, 3}, {6, 5, 5, 5, 6}, {7, 4, 6, 4, 7}, {7, 4, 6, 4, 4},
      {3, 4, 5, 5, 3}, {5, 5, 7, 5, 5}, {7, 2, 2, 2, 7}, {1, 1, 1, 5, 2}, {5, 5, 6, 5, 5}, {4, 4, 4, 4, 7},
      {5, 7, 7, 5, 5}, {6, 5, 5, 5, 5}, {2, 5, 5, 5, 2}, {6, 5, 6, 4, 4}, {2, 5, 5, 6, 3}, {6, 5, 6, 5, 5},
      {3, 4, 2, 1, 6}, {7, 2, 2, 2, 2}, {5, 5, 5, 5, 7}, {5, 5, 5, 5, 2}, {5, 5, 7, 7, 5}, {5, 5, 2, 5, 5},
      {5, 5, 2, 2, 2}, {7, 1, 2, 4, 7}};
  static const uint16_t dot[5] = {0, 0, 0, 0, 2}, blank[5] = {0, 0, 0, 0, 0};
  if (c >= '0' && c <= '9') return digits[c - '0'];
  if (c >= 'a' && c <= 'z') return letters[c - 'a'];
  if (c >= 'A' && c <= 'Z') return letters[c - 'A'];
  return c == '.' ? dot : blank;
}

// Text at (x, y), its top left, each font pixel `scale` pixels wide.
inline void Text(tcanvas &p, int x, int y, const std::string &s, const uint8_t c[3], int scale = 2) {
  for (char ch : s) {
    const uint16_t *g = Glyph(ch);
    for (int row = 0; row < 5; ++row)
      for (int col = 0; col < 3; ++col)
        if (g[row] & (4 >> col))
          p.fill(x + col * scale, y + row * scale, x + col * scale + scale - 1, y + row * scale + scale - 1, c);
    x += 4 * scale;
  }
}
}  // namespace plot

// Each series' frames side by side, a column per frame (or the highest and lowest of the few
// frames a column holds when there are more frames than columns), each cost over its series' own
// reference; lines at every half reference frame, the goals' 1.5 and 2.0 darker. Costs above the
// top are drawn at the top in red. Returns false when the file cannot be written.
inline bool PlotFrames(const std::string &path, const std::vector<tplotseries> &series, const std::string &title) {
  using plot::tcanvas;
  size_t frames = 0;
  for (const tplotseries &s : series) frames += s.costs.size();
  if (frames == 0) return false;
  const int left = 40, right = 10, top = 40, bottom = 30, plotH = 400;
  const double most = 4;  // reference frames at the top
  const int plotW = static_cast<int>(std::min<size_t>(2400, std::max<size_t>(800, frames)));
  tcanvas p(left + plotW + right, top + plotH + bottom);
  const uint8_t grid[3] = {225, 225, 225}, goal[3] = {150, 150, 150}, ink[3] = {0, 0, 0}, over[3] = {220, 0, 0};
  const uint8_t shades[2][3] = {{248, 248, 255}, {255, 250, 240}};
  const uint8_t colours[6][3] = {{30, 90, 200},  {210, 120, 0}, {20, 140, 60},
                                 {140, 40, 160}, {0, 140, 150}, {120, 90, 40}};
  auto rowOf = [&](double r) { return top + plotH - static_cast<int>(std::lround(std::min(r, most) / most * plotH)); };
  // Each series' band, shaded in turns, and its name above it.
  size_t at = 0;
  for (size_t k = 0; k < series.size(); ++k) {
    const int x0 = left + static_cast<int>(at * plotW / frames);
    at += series[k].costs.size();
    const int x1 = left + static_cast<int>(at * plotW / frames) - 1;
    p.fill(x0, top, x1, top + plotH, shades[k % 2]);
    plot::Text(p, x0 + 2, top - 12 - 12 * static_cast<int>(k % 2), series[k].name, colours[k % 6]);
  }
  for (int half = 1; half <= static_cast<int>(2 * most); ++half) {
    const double r = half / 2.0;
    const int y = rowOf(r);
    p.fill(left, y, left + plotW - 1, y, r == 1.5 || r == 2.0 ? goal : grid);
    char label[8];
    std::snprintf(label, sizeof label, "%.1f", r);
    plot::Text(p, 4, y - 5, label, ink);
  }
  p.fill(left - 1, top, left - 1, top + plotH, ink);
  p.fill(left, top + plotH, left + plotW - 1, top + plotH, ink);
  plot::Text(p, left, top + plotH + 8, title, ink);
  // The frames: each column from its lowest to its highest cost, joined to the column before.
  at = 0;
  int lastRow = -1;
  for (size_t k = 0; k < series.size(); ++k) {
    const tplotseries &s = series[k];
    const double ref = std::max(1e-9, s.reference);
    for (size_t i = 0; i < s.costs.size(); ++i, ++at) {
      const int x = left + static_cast<int>(at * plotW / frames);
      const double r = s.costs[i] / ref;
      const int y = rowOf(r);
      const int from = lastRow < 0 || i == 0 ? y : lastRow;
      p.fill(x, std::min(y, from), x, std::max(y, from), r > most ? over : colours[k % 6]);
      lastRow = y;
    }
  }
  return WritePngFile(path, p.rgb, p.w, p.h);
}
