// A small RGBA raster for drawing content, with y pointing up (row 0 is the bottom row, as
// GL's t = 0), anti-aliased by supersampled coverage.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct Rgba {
  double r, g, b, a;
};

struct Pt {
  double x, y;
};

struct Canvas {
  int width, height;
  std::vector<double> px;  // r, g, b, a per pixel, straight (not premultiplied) alpha

  Canvas(int w, int h, Rgba fill = {0, 0, 0, 0});
  Rgba get(int x, int y) const;
  void set(int x, int y, Rgba c);
  // Source-over blend of c with the given coverage (0..1).
  void blend(int x, int y, Rgba c, double coverage);

  void fillRect(double x0, double y0, double x1, double y1, Rgba c);
  void fillPolygon(const std::vector<Pt> &pts, Rgba c);
  void fillEllipse(double cx, double cy, double rx, double ry, Rgba c);
  void fillCircle(double cx, double cy, double r, Rgba c) { fillEllipse(cx, cy, r, r, c); }
  // A straight stroke of the given width with square ends.
  void line(double x0, double y0, double x1, double y1, double width, Rgba c);

  // 8-bit RGBA rows, bottom row first.
  std::vector<uint8_t> bytes() const;
};

// Writes an uncompressed TGA (type 2) with an empty image-ID field, rows in canvas order
// (bottom row first, the TGA default origin). 32 bits keep alpha; 24 drop it.
bool WriteTga(const std::string &path, const Canvas &c, int bits);
// Mixes two colours.
Rgba Mix(Rgba a, Rgba b, double t);
