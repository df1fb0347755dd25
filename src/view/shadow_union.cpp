// The shadow the blocks around the camera cast, as one profile instead of one
// volume per block. Along each ray of light the shadow starts where the ray
// first enters a block and runs on for the extrusion's length; rays that meet a
// later block are already in shadow there. So the union of every block's volume
// is the band beyond the first-hit profile, seen from the light, and the light
// can be drawn as that band's complement, each lit pixel once.
#include <algorithm>
#include <cmath>
#include <vector>

#include "view/light.h"
#include "world/terrain.h"

namespace {
// A piece of a block's lit-facing outline in light coordinates: u across the
// light, t along it.
struct tlitedge {
  double u0, t0, u1, t1;  // u0 < u1
  double at(double u) const { return t0 + (t1 - t0) * (u - u0) / (u1 - u0); }
  double slope() const { return (t1 - t0) / (u1 - u0); }
};

std::vector<tlitedge> edges;
std::vector<double> breaks;
std::vector<const tlitedge *> active;  // the edges spanning the interval swept

// The lower chain (smallest t) of a rectangle's corners from its least to its
// greatest u: the outline the light meets first. A lower convex hull, so that a
// side seen almost edge-on (the sun straight above makes the sides nearly
// parallel to the light) still counts as a side.
void AddBlock(const block &b, tvector d, tvector n) {
  const tvector c[4] = {b.corner1, {b.corner2.x, b.corner1.y}, b.corner2, {b.corner1.x, b.corner2.y}};
  struct tlp {
    double u, t;
  } p[4], hull[4];
  for (int i = 0; i < 4; ++i) p[i] = {c[i].x * n.x + c[i].y * n.y, c[i].x * d.x + c[i].y * d.y};
  std::sort(p, p + 4, [](const tlp &a, const tlp &b) { return a.u < b.u || (a.u == b.u && a.t < b.t); });
  int h = 0;
  for (const tlp &q : p) {
    while (h >= 2 && (hull[h - 1].u - hull[h - 2].u) * (q.t - hull[h - 2].t) -
                             (hull[h - 1].t - hull[h - 2].t) * (q.u - hull[h - 2].u) <=
                         0)
      --h;
    hull[h++] = q;
  }
  for (int i = 0; i + 1 < h; ++i)
    if (hull[i + 1].u > hull[i].u) edges.push_back({hull[i].u, hull[i].t, hull[i + 1].u, hull[i + 1].t});
}
}  // namespace

void ShadowProfile(tvector d, std::vector<tshadowrun> &runs) {
  tvector n = {-d.y, d.x};
  edges.clear();
  runs.clear();
  int centre = tileindex(CameraPos.x);
  for (int tile = centre - 1; tile <= centre + 1; ++tile) {
    if (tile < -7 || tile > 7) continue;
    for (const block &b : worldRow[tile + 7].drawn)
      if (b.active) AddBlock(b, d, n);  // an unseen block casts no shadow
  }
  // Between two neighbouring edge ends the same edges span the whole interval; there the
  // profile is the lowest of them, and it can only change edge where a lower one crosses it.
  // Sweeping the ends with the edges that span each interval keeps the work to the edges
  // there: the blocks of three tiles give thousands of edges, and pairing each with every
  // other cost more than the light's fill at a low sun.
  breaks.clear();
  for (const tlitedge &e : edges) {
    breaks.push_back(e.u0);
    breaks.push_back(e.u1);
  }
  std::sort(breaks.begin(), breaks.end());
  breaks.erase(std::unique(breaks.begin(), breaks.end()), breaks.end());
  std::sort(edges.begin(), edges.end(), [](const tlitedge &a, const tlitedge &b) { return a.u0 < b.u0; });

  // Neighbouring pieces of the same edge make one run: each run becomes a strip
  // of the light's geometry, and fewer strips mean fewer seams and fewer
  // triangles to set up.
  const tlitedge *run = nullptr;
  double runStart = 0, runEnd = 0;
  auto emit = [&runs](const tlitedge *e, double ua, double ub) { runs.push_back({ua, e->at(ua), ub, e->at(ub)}); };
  auto piece = [&](const tlitedge *e, double ua, double ub) {
    if (e != run || ua != runEnd) {
      if (run) emit(run, runStart, runEnd);
      run = e;
      runStart = ua;
    }
    runEnd = ub;
  };
  // The edge lowest at u; of edges level there, the one falling fastest, which stays lowest
  // past u.
  auto lowest = [](double u) {
    const tlitedge *best = nullptr;
    for (const tlitedge *e : active) {
      if (!best) {
        best = e;
        continue;
      }
      double d = e->at(u) - best->at(u);
      if (d < -1e-9 || (d <= 1e-9 && e->slope() < best->slope())) best = e;
    }
    return best;
  };
  active.clear();
  size_t next = 0;
  for (size_t k = 0; k + 1 < breaks.size(); ++k) {
    const double ua = breaks[k], ub = breaks[k + 1];
    while (next < edges.size() && edges[next].u0 <= ua) active.push_back(&edges[next++]);
    active.erase(std::remove_if(active.begin(), active.end(), [ua](const tlitedge *e) { return e->u1 <= ua; }),
                 active.end());
    if (active.empty()) continue;  // a gap: light passes between the blocks there
    double u = ua;
    while (u < ub) {
      const tlitedge *best = lowest(u);
      // Where the first edge falling faster than it comes below it.
      double end = ub;
      for (const tlitedge *e : active) {
        double fall = best->slope() - e->slope();
        if (fall <= 0) continue;
        double x = u + (e->at(u) - best->at(u)) / fall;
        if (x > u && x < end) end = x;
      }
      piece(best, u, end);
      u = end;
    }
  }
  if (run) emit(run, runStart, runEnd);
}

void StraightenProfile(std::vector<tshadowrun> &runs, double tolerance) {
  size_t out = 0;
  for (size_t i = 0; i < runs.size();) {
    // From the first run's start, the slopes that pass within the tolerance of every corner
    // met so far; the joined run ends at the last corner whose slope lies among them.
    const double u = runs[i].u0, t = runs[i].t0;
    double lo = -HUGE_VAL, hi = HUGE_VAL;
    size_t last = i;
    auto admit = [&](double cu, double ct) {
      lo = std::max(lo, (ct - tolerance - t) / (cu - u));
      hi = std::min(hi, (ct + tolerance - t) / (cu - u));
    };
    admit(runs[i].u1, runs[i].t1);
    for (size_t j = i + 1; j < runs.size() && runs[j].u0 == runs[j - 1].u1; ++j) {
      admit(runs[j].u0, runs[j].t0);  // a step in the profile is a corner too
      const double slope = (runs[j].t1 - t) / (runs[j].u1 - u);
      if (slope < lo || slope > hi) break;
      admit(runs[j].u1, runs[j].t1);
      last = j;
    }
    runs[out++] = {u, t, runs[last].u1, runs[last].t1};
    i = last + 1;
  }
  runs.resize(out);
}
