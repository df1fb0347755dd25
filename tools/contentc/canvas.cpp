#include "contentc/canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/files.h"

Canvas::Canvas(int w, int h, Rgba fill) : width(w), height(h), px(static_cast<size_t>(w) * h * 4) {
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) set(x, y, fill);
}

Rgba Canvas::get(int x, int y) const {
  const double *p = &px[(static_cast<size_t>(y) * width + x) * 4];
  return {p[0], p[1], p[2], p[3]};
}

void Canvas::set(int x, int y, Rgba c) {
  if (x < 0 || y < 0 || x >= width || y >= height) return;
  double *p = &px[(static_cast<size_t>(y) * width + x) * 4];
  p[0] = c.r;
  p[1] = c.g;
  p[2] = c.b;
  p[3] = c.a;
}

void Canvas::blend(int x, int y, Rgba c, double coverage) {
  if (x < 0 || y < 0 || x >= width || y >= height || coverage <= 0) return;
  Rgba d = get(x, y);
  double sa = c.a * std::min(1.0, coverage);
  double oa = sa + d.a * (1 - sa);
  if (oa <= 0) {
    set(x, y, {0, 0, 0, 0});
    return;
  }
  auto mix = [&](double s, double dd) { return (s * sa + dd * d.a * (1 - sa)) / oa; };
  set(x, y, {mix(c.r, d.r), mix(c.g, d.g), mix(c.b, d.b), oa});
}

void Canvas::fillRect(double x0, double y0, double x1, double y1, Rgba c) {
  fillPolygon({{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}, c);
}

static bool Inside(const std::vector<Pt> &pts, double x, double y) {
  bool in = false;
  for (size_t i = 0, j = pts.size() - 1; i < pts.size(); j = i++) {
    if ((pts[i].y > y) != (pts[j].y > y)) {
      double xi = pts[j].x + (y - pts[j].y) * (pts[i].x - pts[j].x) / (pts[i].y - pts[j].y);
      if (x < xi) in = !in;
    }
  }
  return in;
}

void Canvas::fillPolygon(const std::vector<Pt> &pts, Rgba c) {
  if (pts.size() < 3) return;
  double minx = pts[0].x, maxx = minx, miny = pts[0].y, maxy = miny;
  for (const Pt &p : pts) {
    minx = std::min(minx, p.x);
    maxx = std::max(maxx, p.x);
    miny = std::min(miny, p.y);
    maxy = std::max(maxy, p.y);
  }
  int x0 = std::max(0, static_cast<int>(std::floor(minx))), x1 = std::min(width - 1, static_cast<int>(std::ceil(maxx)));
  int y0 = std::max(0, static_cast<int>(std::floor(miny))), y1 = std::min(height - 1, static_cast<int>(std::ceil(maxy)));
  const int n = 4;  // 4 x 4 samples per pixel
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) {
      int hits = 0;
      for (int sy = 0; sy < n; ++sy)
        for (int sx = 0; sx < n; ++sx)
          if (Inside(pts, x + (sx + 0.5) / n, y + (sy + 0.5) / n)) ++hits;
      if (hits) blend(x, y, c, hits / double(n * n));
    }
}

void Canvas::fillEllipse(double cx, double cy, double rx, double ry, Rgba c) {
  std::vector<Pt> pts;
  int segments = std::max(12, static_cast<int>(std::max(rx, ry) * 4));
  for (int i = 0; i < segments; ++i) {
    double a = 2 * M_PI * i / segments;
    pts.push_back({cx + rx * std::cos(a), cy + ry * std::sin(a)});
  }
  fillPolygon(pts, c);
}

void Canvas::line(double x0, double y0, double x1, double y1, double w, Rgba c) {
  double dx = x1 - x0, dy = y1 - y0, l = std::sqrt(dx * dx + dy * dy);
  if (l <= 0) return;
  double nx = -dy / l * w / 2, ny = dx / l * w / 2;
  fillPolygon({{x0 + nx, y0 + ny}, {x1 + nx, y1 + ny}, {x1 - nx, y1 - ny}, {x0 - nx, y0 - ny}}, c);
}

std::vector<uint8_t> Canvas::bytes() const {
  std::vector<uint8_t> out(px.size());
  for (size_t i = 0; i < px.size(); ++i)
    out[i] = static_cast<uint8_t>(std::lround(std::clamp(px[i], 0.0, 1.0) * 255.0));
  return out;
}

bool WriteTga(const std::string &path, const Canvas &c, int bits) {
  int b = bits / 8;
  std::vector<uint8_t> file(18 + static_cast<size_t>(c.width) * c.height * b);
  file[2] = 2;
  PutU16(&file[12], static_cast<uint16_t>(c.width));
  PutU16(&file[14], static_cast<uint16_t>(c.height));
  file[16] = static_cast<uint8_t>(bits);
  file[17] = bits == 32 ? 8 : 0;  // alpha bits; origin bottom-left
  std::vector<uint8_t> rgba = c.bytes();
  size_t o = 18;
  for (size_t i = 0; i < rgba.size(); i += 4) {
    file[o++] = rgba[i + 2];  // TGA stores BGR(A)
    file[o++] = rgba[i + 1];
    file[o++] = rgba[i];
    if (b == 4) file[o++] = rgba[i + 3];
  }
  std::string error;
  if (!WriteFileAtomic(path, file, &error)) {
    std::fprintf(stderr, "contentc: %s\n", error.c_str());
    return false;
  }
  return true;
}

Rgba Mix(Rgba a, Rgba b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}
