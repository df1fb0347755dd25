#include <cmath>

#include "actors/skeleton.h"
#include "base/fmath.h"

namespace {

constexpr double kRadiansPerDegree = 0.017453292519943295;

struct twalk {
  const tguy &guy;
  const PartVisitor &visit;
  size_t budget;  // visits left
};

// A sound skeleton visits each part once per root above it; this is ample for that and keeps
// a looping or fanned-out file from stalling a frame.
size_t VisitBudget(const tguy &guy) { return 8 * guy.parts.size() + 64; }

// No sound chain is deeper than its part count, nor anywhere near this.
constexpr size_t kMaxDepth = 256;

void Walk(twalk &w, size_t i, const tplacement &parent, size_t depth) {
  if (w.budget == 0 || depth > w.guy.parts.size() || depth > kMaxDepth) return;
  --w.budget;
  const tguypart &part = w.guy.parts[i];
  const tplacement place = PlacePart(parent, part);
  w.visit(static_cast<int>(i), place, part.visible == 0);
  for (size_t j = 0; j < w.guy.parts.size(); ++j)
    if (j != i && w.guy.parts[j].parentid == part.id) Walk(w, j, place, depth + 1);
}

}  // namespace

tplacement IdentityPlacement() { return {1, 0, 0, 1, 0, 0}; }

tvector PlacePoint(const tplacement &m, tvector v) {
  return {m.xx * v.x + m.xy * v.y + m.x0, m.yx * v.x + m.yy * v.y + m.y0};
}

tplacement PlacePart(const tplacement &parent, const tguypart &part) {
  const double r = part.angle * kRadiansPerDegree;
  const double c = fmath::cosine(r), s = fmath::sine(r);
  // Linear part: parent * R. Translation: parent applied to (-pivot + R * offset).
  tvector t = {-part.pivot.x + c * part.offset.x - s * part.offset.y,
               -part.pivot.y + s * part.offset.x + c * part.offset.y};
  tplacement m;
  m.xx = parent.xx * c + parent.xy * s;
  m.xy = -parent.xx * s + parent.xy * c;
  m.yx = parent.yx * c + parent.yy * s;
  m.yy = -parent.yx * s + parent.yy * c;
  tvector o = PlacePoint(parent, t);
  m.x0 = o.x;
  m.y0 = o.y;
  return m;
}

void WalkSkeleton(const tguy &guy, const PartVisitor &visit) {
  twalk w{guy, visit, VisitBudget(guy)};
  for (size_t i = 0; i < guy.parts.size(); ++i) {
    const tguypart &p = guy.parts[i];
    if (p.visible && p.id == p.parentid) Walk(w, i, IdentityPlacement(), 1);
  }
}

void WalkPart(int i, const tguy &guy, const tplacement &parent, const PartVisitor &visit) {
  if (i < 0 || static_cast<size_t>(i) >= guy.parts.size()) return;
  twalk w{guy, visit, VisitBudget(guy)};
  Walk(w, static_cast<size_t>(i), parent, 1);
}
