#include "contentc/piece_checks.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <deque>
#include <limits>

namespace {

constexpr double EPS = 1e-6;
constexpr double EDGE = 2.5;

std::string Fmt(const char *format, double a, double b = 0, double c = 0) {
  char buf[200];
  std::snprintf(buf, sizeof buf, format, a, b, c);
  return buf;
}

// Cuts [c0, c1] out of a list of intervals.
void Subtract(std::vector<std::pair<double, double>> &spans, double c0, double c1) {
  std::vector<std::pair<double, double>> out;
  for (auto [a, b] : spans) {
    if (c1 <= a || c0 >= b) {
      out.push_back({a, b});
      continue;
    }
    if (c0 > a) out.push_back({a, c0});
    if (c1 < b) out.push_back({c1, b});
  }
  spans = out;
}

bool Clear(const tblkarray &collision, double x0, double y0, double x1, double y1) {
  return BoxIsFree(collision, std::min(x0, x1), std::min(y0, y1), std::max(x0, x1), std::max(y0, y1));
}

// Whether a character can get from standing at xa on A to standing at xb on B: it rises (or
// walks) at xa to the higher of the two levels, crosses at that level, and settles at xb.
bool Move(const tblkarray &collision, const Surface &a, double xa, const Surface &b, double xb) {
  double dy = b.y - a.y;
  double gap = std::fabs(xb - xa);
  if (dy > MAX_STEP_UP + EPS) return false;
  if (gap > (dy > EPS ? MAX_JUMP_GAP : MAX_DROP_GAP) + EPS) return false;
  double top = std::max(a.y, b.y);
  double w = BOX_HALF_WIDTH;
  return Clear(collision, xa - w, a.y + 0.01, xa + w, top + BOX_HEIGHT) &&
         Clear(collision, std::min(xa, xb) - w, top + 0.01, std::max(xa, xb) + w, top + BOX_HEIGHT) &&
         Clear(collision, xb - w, b.y + 0.01, xb + w, top + BOX_HEIGHT);
}

bool Connected(const tblkarray &collision, const Surface &a, const Surface &b) {
  auto clamp = [](double v, const Surface &s) { return std::min(std::max(v, s.x0), s.x1); };
  const double step = 2 * BOX_HALF_WIDTH;
  double xas[] = {a.x0, a.x1, clamp(b.x0 - step, a), clamp(b.x1 + step, a), clamp(b.x0, a), clamp(b.x1, a)};
  double xbs[] = {b.x0, b.x1, clamp(a.x0, b), clamp(a.x1, b)};
  for (double xa : xas)
    for (double xb : xbs)
      if (Move(collision, a, xa, b, xb)) return true;
  return false;
}

}  // namespace

bool BoxIsFree(const tblkarray &collision, double x0, double y0, double x1, double y1) {
  for (const block &o : collision)
    if (o.corner1.x < x1 - EPS && o.corner2.x > x0 + EPS && o.corner1.y < y1 - EPS && o.corner2.y > y0 + EPS)
      return false;
  return true;
}

std::vector<Surface> StandingSurfaces(const tblkarray &collision) {
  std::vector<Surface> out;
  const double w = BOX_HALF_WIDTH;
  for (const block &b : collision) {
    double y = b.corner2.y;
    // A box may stand with most of its width past the edge before it slips off.
    std::vector<std::pair<double, double>> spans{{b.corner1.x - 0.8 * w, b.corner2.x + 0.8 * w}};
    for (const block &o : collision)
      if (o.corner1.y < y + BOX_HEIGHT - EPS && o.corner2.y > y + EPS)
        Subtract(spans, o.corner1.x - w, o.corner2.x + w);
    for (auto [a, c] : spans)
      if (c - a > EPS) out.push_back({y, a, c});
  }
  return out;
}

std::vector<bool> Reachable(const tblkarray &collision, const std::vector<Surface> &surfaces,
                            const std::vector<int> &from) {
  std::vector<bool> seen(surfaces.size(), false);
  std::deque<int> queue;
  for (int i : from) {
    seen[i] = true;
    queue.push_back(i);
  }
  while (!queue.empty()) {
    int i = queue.front();
    queue.pop_front();
    for (size_t j = 0; j < surfaces.size(); ++j)
      if (!seen[j] && Connected(collision, surfaces[i], surfaces[j])) {
        seen[j] = true;
        queue.push_back(static_cast<int>(j));
      }
  }
  return seen;
}

std::vector<int> EdgeSurfaces(const std::vector<Surface> &surfaces, int side, double y) {
  std::vector<int> out;
  for (size_t i = 0; i < surfaces.size(); ++i) {
    const Surface &s = surfaces[i];
    bool atEdge = side < 0 ? s.x0 <= -EDGE + 0.05 : s.x1 >= EDGE - 0.05;
    if (atEdge && std::fabs(s.y - y) < EPS) out.push_back(static_cast<int>(i));
  }
  return out;
}

double GroundBelow(const tblkarray &collision, double x, double halfWidth, double y) {
  double best = -std::numeric_limits<double>::infinity();
  for (const block &b : collision)
    if (b.corner1.x < x + halfWidth - EPS && b.corner2.x > x - halfWidth + EPS && b.corner2.y <= y + EPS)
      best = std::max(best, b.corner2.y);
  return best;
}

std::vector<std::string> CheckPiece(const PieceSource &p) {
  std::vector<std::string> problems;
  const tiledesc &d = p.desc;
  const tblkarray &c = p.collision;
  std::vector<Surface> surfaces = StandingSurfaces(c);
  bool joinsLeft = d.kind != 2, joinsRight = d.kind != 3;

  // The world build lifts every piece but the left end so its left edge meets the running
  // height, and places the player as if the base piece's right edge were at 0.
  if (d.kind == 2 && d.leftheight != 0) problems.push_back("a left end is never lifted: its leftheight must be 0");
  if (d.kind == 3 && d.rightheight != 0)
    problems.push_back("a right end becomes a left end when mirrored: its rightheight must be 0");
  if (d.kind == 1 && d.rightheight != 0)
    problems.push_back("the player is placed as if a base piece's rightheight were 0: it must be 0");

  std::vector<int> left = EdgeSurfaces(surfaces, -1, d.leftheight);
  std::vector<int> right = EdgeSurfaces(surfaces, 1, d.rightheight);
  if (joinsLeft && left.empty())
    problems.push_back(Fmt("no ground to stand on at the left edge at leftheight %g", d.leftheight));
  if (joinsRight && right.empty())
    problems.push_back(Fmt("no ground to stand on at the right edge at rightheight %g", d.rightheight));
  if (!problems.empty()) return problems;

  std::vector<int> entry = joinsLeft ? left : right;
  std::vector<bool> reach = Reachable(c, surfaces, entry);
  if (joinsLeft && joinsRight) {
    std::vector<bool> back = Reachable(c, surfaces, right);
    if (std::none_of(right.begin(), right.end(), [&](int i) { return reach[i]; }))
      problems.push_back("cannot be crossed from left to right (a step higher than a jump, or a wall)");
    if (std::none_of(left.begin(), left.end(), [&](int i) { return back[i]; }))
      problems.push_back("cannot be crossed from right to left (a step higher than a jump, or a wall)");
    for (size_t i = 0; i < reach.size(); ++i) reach[i] = reach[i] && back[i];
  } else {
    // An end piece walls off the world: its far edge must be out of reach.
    int far = joinsLeft ? 1 : -1;
    for (size_t i = 0; i < surfaces.size(); ++i) {
      bool atFar = far < 0 ? surfaces[i].x0 <= -EDGE + 0.3 : surfaces[i].x1 >= EDGE - 0.3;
      if (reach[i] && atFar)
        problems.push_back(
            Fmt("the outer edge can be reached at height %g: an end piece must wall off the world", surfaces[i].y));
    }
  }

  auto reachableAt = [&](double x, double y) {
    for (size_t i = 0; i < surfaces.size(); ++i)
      if (reach[i] && std::fabs(surfaces[i].y - y) < EPS && x >= surfaces[i].x0 - 0.1 && x <= surfaces[i].x1 + 0.1)
        return true;
    return false;
  };

  // A supply crate is drawn with its bottom on the spot and never falls.
  tvector cs = d.cratespot;
  if (std::fabs(GroundBelow(c, cs.x, 0.0, cs.y) - cs.y) > EPS)
    problems.push_back(Fmt("cratespot (%g, %g) does not rest on top of a collision block", cs.x, cs.y));
  else if (!BoxIsFree(c, cs.x - 0.1, cs.y, cs.x + 0.1, cs.y + 0.2))
    problems.push_back(Fmt("the crate at cratespot (%g, %g) would stand inside a block", cs.x, cs.y));
  else if (!reachableAt(cs.x, cs.y))
    problems.push_back(Fmt("cratespot (%g, %g) cannot be reached", cs.x, cs.y));

  // Three weapon crates 0.15 across, 0.2 apart, fall from the spot onto whatever is below.
  tvector ps = d.pickupspot;
  for (double dx : {-0.2, 0.0, 0.2}) {
    double x = ps.x + dx, bottom = ps.y - 0.075;
    double ground = GroundBelow(c, x, 0.075, bottom);
    if (!BoxIsFree(c, x - 0.075, bottom, x + 0.075, bottom + 0.15))
      problems.push_back(Fmt("a weapon crate at (%g, %g) would start inside a block", x, ps.y));
    else if (!(bottom - ground <= 0.3 + EPS))
      problems.push_back(
          Fmt("a weapon crate at (%g, %g) would fall %g before landing (keep pickupspot just above the ground)", x,
              ps.y, bottom - ground));
    else if (dx == 0 && !reachableAt(x, ground))
      problems.push_back(Fmt("pickupspot (%g, %g) lands where nobody can get", ps.x, ps.y));
  }

  if (d.kind == 1) {
    tvector s = d.startspot;
    double x = s.x + 0.01;
    if (!BoxIsFree(c, x - 0.05, s.y - 0.1, x + 0.05, s.y + 0.1))
      problems.push_back(Fmt("the player at startspot (%g, %g) would start inside a block", s.x, s.y));
    else if (!(s.y - 0.1 - GroundBelow(c, x, 0.05, s.y - 0.1) <= 0.1 + EPS))
      problems.push_back(
          Fmt("startspot (%g, %g) is not just above the ground (its y is the player's centre, 0.1 above the feet)", s.x,
              s.y));
    tvector b = d.basespot;
    if (std::fabs(GroundBelow(c, b.x, 0.0, b.y) - b.y) > EPS)
      problems.push_back(Fmt("basespot (%g, %g) does not rest on top of a collision block", b.x, b.y));
    else if (!reachableAt(b.x, b.y))
      problems.push_back(Fmt("basespot (%g, %g) cannot be reached", b.x, b.y));
    // Defenders are dropped onto the first ground below a point 5 above the base, up to 1.5
    // either side of it: that ground should be level with the base.
    for (double dx = -1.5; dx <= 1.5 + EPS; dx += 0.1) {
      double g = GroundBelow(c, b.x + dx, 0.0, b.y + 5);
      if (std::fabs(g - b.y) > 0.3 + EPS) {
        problems.push_back(
            Fmt("a defender dropped at %g from the base would stand at %g, not near the base's height %g", dx, g, b.y));
        break;
      }
    }
  }
  return problems;
}
