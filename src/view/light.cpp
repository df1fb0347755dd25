// The wash as the lit region's own geometry. In light coordinates the view
// rectangle is cut into strips at the ends of the profile's runs; in each strip
// the profile is straight, so what is lit there (before the profile, and past
// the shadow's far end) is at most two convex polygons. Neighbouring strips
// share the vertices of their common side exactly, so GL's rasterisation rules
// fill every lit pixel once: no seam is lit twice or left dark.
// A low sun makes the strips long slivers a pixel or two thick across the whole
// view, and a rasteriser pays for a sliver's length, not its area. So where
// neighbouring strips' profiles lie close together, their lit parts up to the
// lowest of them are one polygon (its edge carries every seam's point, so the
// pieces above meet it edge to edge), and only short pieces reach up to the
// profile.
#include "view/light.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "view/view.h"

namespace {
struct tlp {
  double u, t;
};

// Where the line u = const crosses the rectangle's border: [lo, hi] in t.
void Crossing(const tlp c[4], double u, double &lo, double &hi) {
  lo = HUGE_VAL;
  hi = -HUGE_VAL;
  for (int k = 0; k < 4; ++k) {
    const tlp &a = c[k], &b = c[(k + 1) % 4];
    if (a.u == u) lo = std::min(lo, a.t), hi = std::max(hi, a.t);
    if ((a.u < u && u < b.u) || (b.u < u && u < a.u)) {
      double t = a.t + (b.t - a.t) * (u - a.u) / (b.u - a.u);
      lo = std::min(lo, t), hi = std::max(hi, t);
    }
  }
}

// One boundary between strips: where it crosses the rectangle, and the
// profile's value just before it (left) and just after it (right), NAN where no
// run shades.
struct tseam {
  double u, lo, hi, left, right;
  double floorLeft = NAN, floorRight = NAN;  // the shared floor of the strips before and after it
};

// Strips whose profiles lie within this of their lowest (along the light, in world units) share
// one floor: the pieces above it are no longer than this.
constexpr double kFloorReach = 0.1;

std::vector<tseam> seams;
std::vector<const tshadowrun *> shade;  // each strip's run, or none
std::vector<double> floors;             // each strip's shared floor, or NAN
std::vector<size_t> groupEnd;           // for the first strip of a shared floor, the seam it ends at
std::vector<tlp> strip, piece, fitted;

// Keeps the part of `in` where inside(v) >= 0. A crossing on a strip's side is
// the seam's own stored value, so both strips that share the side get the very
// same vertex.
template <class F>
void Clip(const std::vector<tlp> &in, std::vector<tlp> &out, F inside, const tseam &a, double ta, const tseam &b,
          double tb) {
  out.clear();
  for (size_t k = 0; k < in.size(); ++k) {
    const tlp &p = in[k], &q = in[(k + 1) % in.size()];
    double fp = inside(p), fq = inside(q);
    if (fp >= 0) out.push_back(p);
    if ((fp < 0) == (fq < 0)) continue;
    if (p.u == a.u && q.u == a.u)
      out.push_back({a.u, ta});
    else if (p.u == b.u && q.u == b.u)
      out.push_back({b.u, tb});
    else
      out.push_back({p.u + (q.u - p.u) * fp / (fp - fq), p.t + (q.t - p.t) * fp / (fp - fq)});
  }
}

// Adds, along each side lying on a seam, the points where the neighbouring
// strip's polygons turn, so the two strips' triangles meet edge to edge with no
// T-junction.
void Fit(const std::vector<tlp> &in, std::vector<tlp> &out, const tseam &a, const tseam &b) {
  out.clear();
  for (size_t k = 0; k < in.size(); ++k) {
    const tlp &p = in[k], &q = in[(k + 1) % in.size()];
    out.push_back(p);
    const tseam *s = p.u == a.u && q.u == a.u ? &a : (p.u == b.u && q.u == b.u ? &b : nullptr);
    if (!s) continue;
    double marks[6];
    int count = 0;
    for (double m : {s->left, s->left + SHADOW_LENGTH, s->right, s->right + SHADOW_LENGTH, s->floorLeft, s->floorRight})
      if (m > std::min(p.t, q.t) && m < std::max(p.t, q.t)) {
        // In the order the side runs, from p to q.
        int k = count++;
        for (; k > 0 && (q.t > p.t ? m < marks[k - 1] : m > marks[k - 1]); --k) marks[k] = marks[k - 1];
        marks[k] = m;
      }
    for (int k = 0; k < count; ++k)
      if (k == 0 || marks[k] != marks[k - 1]) out.push_back({s->u, marks[k]});
  }
}

struct twashcolour {
  double y0, y1, blue, low, high;
};

// The wash's triangles in one reused array: a few hundred polygons one vertex call at a time
// cost more than their fill.
std::vector<float> washXyz, washRgba;

// A convex polygon as a fan round its centre: every side of the polygon is a side of one of its
// triangles, as the seams need.
void Emit(const std::vector<tlp> &poly, tvector d, tvector n, const twashcolour &c) {
  if (poly.size() < 3) return;
  auto world = [&d, &n](const tlp &p) { return n * p.u + d * p.t; };
  auto vertex = [&c](tvector v) {
    washXyz.insert(washXyz.end(), {static_cast<float>(v.x), static_cast<float>(v.y), 0.f});
    washRgba.insert(washRgba.end(), {1.f, 1.f, static_cast<float>(c.blue),
                                     static_cast<float>(c.low + (c.high - c.low) * (v.y - c.y0) / (c.y1 - c.y0))});
  };
  tvector centre = {0, 0};
  for (const tlp &p : poly) centre = centre + world(p);
  centre = centre * (1.0 / poly.size());
  for (size_t k = 0; k < poly.size(); ++k) {
    vertex(centre);
    vertex(world(poly[k]));
    vertex(world(poly[(k + 1) % poly.size()]));
  }
}

// The view rectangle between two seams, its corners `sorted` by u.
void Strip(const tseam &a, const tseam &b, const tlp sorted[4], std::vector<tlp> &out) {
  const tlp &first = sorted[0], &last = sorted[3];
  auto below = [&first, &last](const tlp &p) {
    return last.u == first.u || p.t <= first.t + (last.t - first.t) * (p.u - first.u) / (last.u - first.u);
  };
  out.clear();
  out.push_back({a.u, a.lo});
  for (int k = 0; k < 4; ++k)
    if (sorted[k].u > a.u && sorted[k].u < b.u && below(sorted[k])) out.push_back(sorted[k]);
  out.push_back({b.u, b.lo});
  out.push_back({b.u, b.hi});
  for (int k = 3; k >= 0; --k)
    if (sorted[k].u > a.u && sorted[k].u < b.u && !below(sorted[k])) out.push_back(sorted[k]);
  out.push_back({a.u, a.hi});
}

tlp sortedCorners[4];
std::vector<tlp> floorPoly;

// The shared floor of the strips from seam i to seam e: the view between them up to t = f, with
// every seam's point on its top edge.
void EmitFloor(size_t i, size_t e, double f, tvector d, tvector n, const twashcolour &colour) {
  Strip(seams[i], seams[e], sortedCorners, strip);
  Clip(
      strip, piece, [f](const tlp &p) { return f - p.t; }, seams[i], f, seams[e], f);
  floorPoly.clear();
  for (size_t k = 0; k < piece.size(); ++k) {
    const tlp &p = piece[k], &q = piece[(k + 1) % piece.size()];
    floorPoly.push_back(p);
    if (p.t != f || q.t != f || p.u == q.u) continue;
    if (p.u < q.u)
      for (size_t s = i + 1; s < e; ++s) floorPoly.push_back({seams[s].u, f});
    else
      for (size_t s = e - 1; s > i; --s) floorPoly.push_back({seams[s].u, f});
  }
  Fit(floorPoly, fitted, seams[i], seams[e]);
  Emit(fitted, d, n, colour);
}
}  // namespace

void DrawLitRegion(tvector d, const std::vector<tshadowrun> &runs, double x0, double y0, double x1, double y1,
                   double blue, double low, double high) {
  const tvector n = {-d.y, d.x};
  auto light = [&d, &n](double x, double y) { return tlp{x * n.x + y * n.y, x * d.x + y * d.y}; };
  const tlp c[4] = {light(x0, y0), light(x1, y0), light(x1, y1), light(x0, y1)};
  // The corners by u: the first and last are the rectangle's ends across the
  // light; of the others, those below the line joining the ends bound it from
  // below.
  tlp sorted[4] = {c[0], c[1], c[2], c[3]};
  std::sort(sorted, sorted + 4, [](const tlp &a, const tlp &b) { return a.u < b.u || (a.u == b.u && a.t < b.t); });
  const tlp &first = sorted[0], &last = sorted[3];
  std::copy(sorted, sorted + 4, sortedCorners);

  seams.clear();
  seams.push_back({first.u, 0, 0, NAN, NAN});
  for (const tshadowrun &r : runs)
    for (double u : {r.u0, r.u1})
      if (u > first.u && u < last.u && u != seams.back().u) seams.push_back({u, 0, 0, NAN, NAN});
  if (last.u > seams.back().u) seams.push_back({last.u, 0, 0, NAN, NAN});
  for (tseam &s : seams) Crossing(c, s.u, s.lo, s.hi);
  // Each strip's run, if any, and its profile's value at the strip's two sides.
  shade.assign(seams.size(), nullptr);
  size_t r = 0;
  for (size_t i = 0; i + 1 < seams.size(); ++i) {
    double mid = (seams[i].u + seams[i + 1].u) / 2;
    while (r < runs.size() && runs[r].u1 < mid) ++r;
    if (r == runs.size() || runs[r].u0 > mid) continue;
    const tshadowrun &run = runs[r];
    auto at = [&run](double u) { return run.t0 + (run.t1 - run.t0) * (u - run.u0) / (run.u1 - run.u0); };
    shade[i] = &run;
    seams[i].right = at(seams[i].u);
    seams[i + 1].left = at(seams[i + 1].u);
  }

  // Shared floors: runs of two or more shaded strips whose profiles stay within kFloorReach of
  // their lowest, that lowest crossing every seam of the run inside the view.
  floors.assign(seams.size(), NAN);
  groupEnd.assign(seams.size(), 0);
  for (size_t i = 0; i + 1 < seams.size();) {
    size_t j = i;
    double lowest = HUGE_VAL, highest = -HUGE_VAL, best = NAN;
    size_t bestEnd = i;
    while (j + 1 < seams.size() && shade[j]) {
      const double l = std::min({lowest, seams[j].right, seams[j + 1].left});
      const double h = std::max({highest, seams[j].right, seams[j + 1].left});
      bool inside = h - l <= kFloorReach;
      for (size_t k = i; inside && k <= j + 1; ++k) inside = seams[k].lo < l && l < seams[k].hi;
      if (!inside) break;
      lowest = l, highest = h, ++j;
      if (j - i >= 2) best = lowest, bestEnd = j;
    }
    if (std::isnan(best)) {
      ++i;
      continue;
    }
    for (size_t k = i; k < bestEnd; ++k) floors[k] = best;
    groupEnd[i] = bestEnd;
    seams[i].floorRight = best;
    seams[bestEnd].floorLeft = best;
    i = bestEnd;
  }

  const twashcolour colour = {y0, y1, blue, low, high};
  washXyz.clear();
  washRgba.clear();
  for (size_t i = 0; i + 1 < seams.size(); ++i) {
    const tseam &a = seams[i], &b = seams[i + 1];
    if (groupEnd[i]) EmitFloor(i, groupEnd[i], floors[i], d, n, colour);
    Strip(a, b, sorted, strip);
    if (!shade[i]) {
      Fit(strip, fitted, a, b);
      Emit(fitted, d, n, colour);
      continue;
    }
    const tshadowrun &run = *shade[i];
    auto profile = [&](const tlp &p) {
      return p.u == a.u ? a.right
                        : (p.u == b.u ? b.left : run.t0 + (run.t1 - run.t0) * (p.u - run.u0) / (run.u1 - run.u0));
    };
    // Before the light meets the blocks, and past the shadow's far end.
    Clip(
        strip, piece, [&](const tlp &p) { return profile(p) - p.t; }, a, a.right, b, b.left);
    if (!std::isnan(floors[i])) {
      const double f = floors[i];
      fitted.swap(piece);
      Clip(
          fitted, piece, [f](const tlp &p) { return p.t - f; }, a, f, b, f);
    }
    Fit(piece, fitted, a, b);
    Emit(fitted, d, n, colour);
    Clip(
        strip, piece, [&](const tlp &p) { return p.t - (profile(p) + SHADOW_LENGTH); }, a, a.right + SHADOW_LENGTH, b,
        b.left + SHADOW_LENGTH);
    Fit(piece, fitted, a, b);
    Emit(fitted, d, n, colour);
  }
  DrawArrays(GL_TRIANGLES, washXyz, washRgba);
}
