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
};

std::vector<tlitedge> edges;
std::vector<double> breaks;

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
  // The profile can only turn where an edge ends or two edges cross.
  breaks.clear();
  for (size_t i = 0; i < edges.size(); ++i) {
    breaks.push_back(edges[i].u0);
    breaks.push_back(edges[i].u1);
    for (size_t j = i + 1; j < edges.size(); ++j) {
      const tlitedge &a = edges[i], &b = edges[j];
      double lo = std::max(a.u0, b.u0), hi = std::min(a.u1, b.u1);
      if (lo >= hi) continue;
      double da = a.at(lo) - b.at(lo), db = a.at(hi) - b.at(hi);
      if ((da < 0) != (db < 0) && da != db) breaks.push_back(lo + (hi - lo) * da / (da - db));
    }
  }
  std::sort(breaks.begin(), breaks.end());
  breaks.erase(std::unique(breaks.begin(), breaks.end()), breaks.end());

  // Neighbouring pieces of the same edge make one run: each run becomes a strip
  // of the light's geometry, and fewer strips mean fewer seams and fewer
  // triangles to set up.
  const tlitedge *run = nullptr;
  double runStart = 0, runEnd = 0;
  auto emit = [&runs](const tlitedge *e, double ua, double ub) { runs.push_back({ua, e->at(ua), ub, e->at(ub)}); };
  for (size_t k = 0; k + 1 < breaks.size(); ++k) {
    double ua = breaks[k], ub = breaks[k + 1], mid = (ua + ub) / 2;
    const tlitedge *best = nullptr;  // the edge the light meets first between the two breaks
    for (const tlitedge &e : edges)
      if (mid >= e.u0 && mid <= e.u1 && (!best || e.at(mid) < best->at(mid))) best = &e;
    if (best != run || ua != runEnd) {
      if (run) emit(run, runStart, runEnd);
      run = best;
      runStart = ua;
    }
    runEnd = ub;  // a gap (no edge) ends the run: light passes between the
                  // blocks there
  }
  if (run) emit(run, runStart, runEnd);
}
