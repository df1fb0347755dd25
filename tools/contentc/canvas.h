// A small RGBA raster for drawing content, with y pointing up (row 0 is the bottom row, as
// GL's t = 0), anti-aliased by supersampled coverage.
#pragma once
#include <cstdint>
#include <functional>
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

  // The core of every filled shape: supersampled coverage of `inside` within a bounding box.
  void fillWhere(double minx, double miny, double maxx, double maxy, const std::function<bool(double, double)> &inside,
                 Rgba c);
  // Several contours filled together by the even-odd rule, so inner contours cut holes.
  void fillContours(const std::vector<std::vector<Pt>> &contours, Rgba c);
  void fillRoundRect(double x0, double y0, double x1, double y1, double radius, Rgba c);
  // A polyline of the given width with round joins and ends, covered once (no doubled alpha
  // where segments meet).
  void stroke(const std::vector<Pt> &pts, double width, Rgba c);
  // An elliptical blob whose alpha falls smoothly from c.a to 0 at the rim; the inner `core`
  // fraction of the radius stays at full strength.
  void softEllipse(double cx, double cy, double rx, double ry, Rgba c, double core);
  // Lowers alpha inside the polygon by `amount` of its coverage: cuts shapes out.
  void erasePolygon(const std::vector<Pt> &pts, double amount = 1);
  // Rewrites every pixel through f(x, y, old), x and y at the pixel centre.
  void shade(const std::function<Rgba(double, double, Rgba)> &f);
  // Copies src over this canvas with its first pixel at (x, y), replacing what was there.
  void blit(const Canvas &src, int x, int y);
  // Gives fully transparent pixels the colour of the nearest visible ones, so linear filtering
  // at a sprite's edge fades its own colour instead of dragging in black.
  void bleedColour();

  // 8-bit RGBA rows, bottom row first.
  std::vector<uint8_t> bytes() const;
};

// Writes an uncompressed TGA (type 2) with an empty image-ID field, rows in canvas order
// (bottom row first, the TGA default origin). 32 bits keep alpha; 24 drop it.
bool WriteTga(const std::string &path, const Canvas &c, int bits);
// A 32-bit BMP with alpha (a BITMAPV4HEADER with channel masks), as SDL_LoadBMP reads it.
std::vector<uint8_t> BmpBytes(const Canvas &c);
// Mixes two colours.
Rgba Mix(Rgba a, Rgba b, double t);
double Smoothstep(double e0, double e1, double x);
// Smooth value noise in 0..1 that repeats every periodX units across and periodY units up, so
// textures made from it tile without seams; Fbm sums `octaves` of it at doubling frequencies.
double TileNoise(double x, double y, int periodX, int periodY, uint32_t seed);
double TileFbm(double x, double y, int periodX, int periodY, int octaves, uint32_t seed);
