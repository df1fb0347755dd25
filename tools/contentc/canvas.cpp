#include "contentc/canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/files.h"

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

void Canvas::fillWhere(double minx, double miny, double maxx, double maxy,
                       const std::function<bool(double, double)> &inside, Rgba c) {
  int x0 = std::max(0, static_cast<int>(std::floor(minx))), x1 = std::min(width - 1, static_cast<int>(std::ceil(maxx)));
  int y0 = std::max(0, static_cast<int>(std::floor(miny))),
      y1 = std::min(height - 1, static_cast<int>(std::ceil(maxy)));
  const int n = 4;  // 4 x 4 samples per pixel
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) {
      int hits = 0;
      for (int sy = 0; sy < n; ++sy)
        for (int sx = 0; sx < n; ++sx)
          if (inside(x + (sx + 0.5) / n, y + (sy + 0.5) / n)) ++hits;
      if (hits) blend(x, y, c, hits / double(n * n));
    }
}

static void Bounds(const std::vector<Pt> &pts, double &minx, double &miny, double &maxx, double &maxy) {
  for (const Pt &p : pts) {
    minx = std::min(minx, p.x);
    maxx = std::max(maxx, p.x);
    miny = std::min(miny, p.y);
    maxy = std::max(maxy, p.y);
  }
}

void Canvas::fillPolygon(const std::vector<Pt> &pts, Rgba c) {
  if (pts.size() < 3) return;
  fillContours({pts}, c);
}

void Canvas::fillContours(const std::vector<std::vector<Pt>> &contours, Rgba c) {
  double minx = 1e30, miny = 1e30, maxx = -1e30, maxy = -1e30;
  for (const auto &pts : contours) Bounds(pts, minx, miny, maxx, maxy);
  if (minx > maxx) return;
  fillWhere(
      minx, miny, maxx, maxy,
      [&](double x, double y) {
        bool in = false;
        for (const auto &pts : contours)
          if (pts.size() >= 3 && Inside(pts, x, y)) in = !in;
        return in;
      },
      c);
}

void Canvas::fillRoundRect(double x0, double y0, double x1, double y1, double r, Rgba c) {
  if (x0 > x1) std::swap(x0, x1);
  if (y0 > y1) std::swap(y0, y1);
  r = std::min({r, (x1 - x0) / 2, (y1 - y0) / 2});
  fillWhere(
      x0, y0, x1, y1,
      [&](double x, double y) {
        if (x < x0 || x > x1 || y < y0 || y > y1) return false;
        double dx = std::max({x0 + r - x, 0.0, x - (x1 - r)});
        double dy = std::max({y0 + r - y, 0.0, y - (y1 - r)});
        return dx * dx + dy * dy <= r * r;
      },
      c);
}

// Squared distance from p to the segment a-b.
static double SegmentDistance2(Pt p, Pt a, Pt b) {
  double dx = b.x - a.x, dy = b.y - a.y, l2 = dx * dx + dy * dy;
  double t = l2 > 0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / l2, 0.0, 1.0) : 0.0;
  double ex = a.x + t * dx - p.x, ey = a.y + t * dy - p.y;
  return ex * ex + ey * ey;
}

void Canvas::stroke(const std::vector<Pt> &pts, double w, Rgba c) {
  if (pts.empty()) return;
  double minx = 1e30, miny = 1e30, maxx = -1e30, maxy = -1e30;
  Bounds(pts, minx, miny, maxx, maxy);
  double r = w / 2, r2 = r * r;
  fillWhere(
      minx - r, miny - r, maxx + r, maxy + r,
      [&](double x, double y) {
        if (pts.size() == 1) return SegmentDistance2({x, y}, pts[0], pts[0]) <= r2;
        for (size_t i = 1; i < pts.size(); ++i)
          if (SegmentDistance2({x, y}, pts[i - 1], pts[i]) <= r2) return true;
        return false;
      },
      c);
}

void Canvas::softEllipse(double cx, double cy, double rx, double ry, Rgba c, double core) {
  if (rx <= 0 || ry <= 0) return;
  int x0 = std::max(0, static_cast<int>(std::floor(cx - rx))),
      x1 = std::min(width - 1, static_cast<int>(std::ceil(cx + rx)));
  int y0 = std::max(0, static_cast<int>(std::floor(cy - ry))),
      y1 = std::min(height - 1, static_cast<int>(std::ceil(cy + ry)));
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) {
      double dx = (x + 0.5 - cx) / rx, dy = (y + 0.5 - cy) / ry;
      double d = std::sqrt(dx * dx + dy * dy);
      if (d >= 1) continue;
      blend(x, y, c, 1 - Smoothstep(core, 1, d));
    }
}

void Canvas::erasePolygon(const std::vector<Pt> &pts, double amount) {
  if (pts.size() < 3) return;
  double minx = 1e30, miny = 1e30, maxx = -1e30, maxy = -1e30;
  Bounds(pts, minx, miny, maxx, maxy);
  // Coverage is gathered on a scratch canvas so the cut is anti-aliased like every fill.
  Canvas mask(width, height);
  mask.fillWhere(minx, miny, maxx, maxy, [&](double x, double y) { return Inside(pts, x, y); }, {1, 1, 1, 1});
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      double m = mask.get(x, y).a * amount;
      if (m <= 0) continue;
      Rgba p = get(x, y);
      p.a *= 1 - std::min(1.0, m);
      set(x, y, p);
    }
}

void Canvas::shade(const std::function<Rgba(double, double, Rgba)> &f) {
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) set(x, y, f(x + 0.5, y + 0.5, get(x, y)));
}

void Canvas::blit(const Canvas &src, int x, int y) {
  for (int j = 0; j < src.height; ++j)
    for (int i = 0; i < src.width; ++i) set(x + i, y + j, src.get(i, j));
}

void Canvas::bleedColour() {
  // Grow the visible colours outward one ring at a time (averaging the visible neighbours),
  // until every transparent pixel has taken a colour.
  std::vector<char> known(static_cast<size_t>(width) * height);
  bool any = false;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      known[static_cast<size_t>(y) * width + x] = get(x, y).a > 0;
      any = any || get(x, y).a > 0;
    }
  if (!any) return;
  for (bool grew = true; grew;) {
    grew = false;
    std::vector<char> next = known;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        if (known[static_cast<size_t>(y) * width + x]) continue;
        double r = 0, g = 0, b = 0;
        int n = 0;
        for (int dy = -1; dy <= 1; ++dy)
          for (int dx = -1; dx <= 1; ++dx) {
            int nx = x + dx, ny = y + dy;
            if (nx < 0 || ny < 0 || nx >= width || ny >= height) continue;
            if (!known[static_cast<size_t>(ny) * width + nx]) continue;
            Rgba q = get(nx, ny);
            r += q.r;
            g += q.g;
            b += q.b;
            ++n;
          }
        if (!n) continue;
        set(x, y, {r / n, g / n, b / n, 0});
        next[static_cast<size_t>(y) * width + x] = 1;
        grew = true;
      }
    known.swap(next);
  }
}

void Canvas::fillEllipse(double cx, double cy, double rx, double ry, Rgba c) {
  if (rx <= 0 || ry <= 0) return;
  fillWhere(
      cx - rx, cy - ry, cx + rx, cy + ry,
      [&](double x, double y) {
        double dx = (x - cx) / rx, dy = (y - cy) / ry;
        return dx * dx + dy * dy <= 1;
      },
      c);
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

std::vector<uint8_t> BmpBytes(const Canvas &c) {
  const size_t header = 14 + 108, pixels = static_cast<size_t>(c.width) * c.height * 4;
  std::vector<uint8_t> file(header + pixels);
  file[0] = 'B', file[1] = 'M';
  PutU32(&file[2], static_cast<uint32_t>(file.size()));
  PutU32(&file[10], static_cast<uint32_t>(header));
  uint8_t *info = &file[14];  // BITMAPV4HEADER: the masks name the alpha byte
  PutU32(info, 108);
  PutI32(info + 4, c.width);
  PutI32(info + 8, c.height);  // positive: rows bottom first, as the canvas keeps them
  PutU16(info + 12, 1);
  PutU16(info + 14, 32);
  PutU32(info + 16, 3);  // BI_BITFIELDS
  PutU32(info + 20, static_cast<uint32_t>(pixels));
  PutU32(info + 24, 2835), PutU32(info + 28, 2835);  // 72 dpi
  PutU32(info + 40, 0x00ff0000), PutU32(info + 44, 0x0000ff00), PutU32(info + 48, 0x000000ff);
  PutU32(info + 52, 0xff000000);
  PutU32(info + 56, 0x73524742);  // 'sRGB'
  std::vector<uint8_t> rgba = c.bytes();
  for (size_t i = 0, o = header; i < rgba.size(); i += 4, o += 4) {
    file[o] = rgba[i + 2], file[o + 1] = rgba[i + 1], file[o + 2] = rgba[i], file[o + 3] = rgba[i + 3];
  }
  return file;
}

Rgba Mix(Rgba a, Rgba b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

double Smoothstep(double e0, double e1, double x) {
  double t = std::clamp((x - e0) / (e1 - e0), 0.0, 1.0);
  return t * t * (3 - 2 * t);
}

// A repeatable hash of a lattice point, 0..1.
static double LatticeValue(int x, int y, uint32_t seed) {
  uint32_t h = seed * 0x9e3779b9u ^ static_cast<uint32_t>(x) * 0x85ebca6bu ^ static_cast<uint32_t>(y) * 0xc2b2ae35u;
  h ^= h >> 16;
  h *= 0x7feb352du;
  h ^= h >> 15;
  h *= 0x846ca68bu;
  h ^= h >> 16;
  return (h & 0xffffff) / double(0xffffff);
}

double TileNoise(double x, double y, int periodX, int periodY, uint32_t seed) {
  periodX = std::max(1, periodX);
  periodY = std::max(1, periodY);
  double fx = std::floor(x), fy = std::floor(y);
  double tx = x - fx, ty = y - fy;
  auto wrap = [](double v, int period) {
    return static_cast<int>(((static_cast<long long>(v) % period) + period) % period);
  };
  int x0 = wrap(fx, periodX), y0 = wrap(fy, periodY), x1 = (x0 + 1) % periodX, y1 = (y0 + 1) % periodY;
  double sx = tx * tx * (3 - 2 * tx), sy = ty * ty * (3 - 2 * ty);
  double a = LatticeValue(x0, y0, seed), b = LatticeValue(x1, y0, seed);
  double c = LatticeValue(x0, y1, seed), d = LatticeValue(x1, y1, seed);
  double bottom = a + (b - a) * sx, top = c + (d - c) * sx;
  return bottom + (top - bottom) * sy;
}

double TileFbm(double x, double y, int periodX, int periodY, int octaves, uint32_t seed) {
  double sum = 0, amp = 0.5, norm = 0;
  for (int i = 0; i < octaves; ++i) {
    sum += amp * TileNoise(x, y, periodX, periodY, seed + 7919u * i);
    norm += amp;
    amp *= 0.5;
    x *= 2;
    y *= 2;
    periodX *= 2;
    periodY *= 2;
  }
  return norm > 0 ? sum / norm : 0;
}
