// Collision, motion and segment queries over the world row and the characters.
#include "world/collision.h"

#include <cmath>

namespace {

// How deep the second box reaches into the first on each axis, and the offset between centres.
struct toverlap {
  bool overlapping;  // touching counts
  tvector depth;
  tvector offset;
};

toverlap Overlap(tvector min1, tvector max1, tvector min2, tvector max2) {
  const tvector c1 = (min1 + max1) * 0.5, c2 = (min2 + max2) * 0.5;
  const tvector h1 = c1 - min1, h2 = c2 - min2;
  const tvector d = c2 - c1;
  const tvector reach{h1.x + h2.x, h1.y + h2.y};
  const tvector gap{std::fabs(d.x), std::fabs(d.y)};
  return {reach.y >= gap.y && reach.x >= gap.x, reach - gap, d};
}

}  // namespace

tvector boxoverlap(tvector min1, tvector max1, tvector min2, tvector max2) {
  const toverlap o = Overlap(min1, max1, min2, max2);
  if (!o.overlapping) return {0, 0};
  return {o.depth.x * signum(o.offset.x), o.depth.y * signum(o.offset.y)};
}

bool boxestouch(tvector min1, tvector max1, tvector min2, tvector max2) {
  return Overlap(min1, max1, min2, max2).overlapping;
}

void collideblocks(const tblkarray &list, tbody &body, tanidata &anim) {
  const tvector half{CHARACTER_HALF_WIDTH, CHARACTER_HALF_HEIGHT};
  for (const block &b : list) {
    if (!b.active) continue;
    const toverlap o = Overlap(b.corner1, b.corner2, body.pos - half, body.pos + half);
    if (!o.overlapping) continue;
    // The shallower axis wins, a tie going to the vertical. Depths are compared rather than
    // pushes: the push is 0 on an axis where the centres line up, and comparing it would let a
    // character centred over a block sink through it.
    if (o.depth.x < o.depth.y) {
      body.pos.x += o.depth.x * signum(o.offset.x);
      body.vel.x = 0;
    } else {
      const double push = o.depth.y * signum(o.offset.y);
      if (push > 0) anim.movestate = 0;
      body.pos.y += push;
      // Gravity sinks a standing character a little each frame; only a real landing stops it.
      if (std::fabs(push) > 0.01) body.vel.y = 0;
    }
  }
}

void collideterrain(tbody &body, tanidata &anim) {
  const double oldY = body.pos.y;
  const int k = tileindex(body.pos.x);
  collideblocks(worldRow[7 + k].collision, body, anim);
  if (body.vel.x >= 0 && k < 7) collideblocks(worldRow[8 + k].collision, body, anim);
  if (body.vel.x <= 0 && k > -7) collideblocks(worldRow[6 + k].collision, body, anim);
  if (body.pos.y == oldY) anim.movestate = 2;
}

void integrate(tbody &body, double fx, double fy, double dt) {
  // The factors are tuned for a 15 ms frame; longer frames damp more.
  const double k = (dt - 0.015) * -1.5;
  body.vel.x = (body.accel.x * dt + body.vel.x) * (fx + k);
  body.vel.y = (body.accel.y * dt + body.vel.y) * (fy + k);
  body.pos.x += body.vel.x * dt;
  body.pos.y += body.vel.y * dt;
}

thit segmentbox(tvector a, tvector b, tvector min, tvector max) {
  thit h{b, 'n', 0};
  const bool L = between(min.x, a.x, b.x), R = between(max.x, a.x, b.x);
  const bool Y1 = between(min.y, a.y, b.y), Y2 = between(max.y, a.y, b.y);
  if (!L && !R && !Y1 && !Y2) return h;

  // Straight down or up through the rectangle: the letters name where the probe lands, so a
  // downward probe onto a surface reports 't'.
  if (a.x == b.x && min.x < a.x && a.x < max.x && (Y1 || Y2)) {
    const bool top = Y1 && Y2 ? std::fabs(min.y - a.y) >= std::fabs(max.y - a.y) : Y2;
    h.point.y = top ? max.y : min.y;
    h.side = top ? 't' : 'b';
    h.count = 1;
    return h;
  }
  if (a.y == b.y && min.y < a.y && a.y < max.y && (L || R)) {
    const bool right = L && R ? std::fabs(min.x - a.x) >= std::fabs(max.x - a.x) : R;
    h.point.x = right ? max.x : min.x;
    h.side = right ? 'r' : 'l';
    h.count = 1;
    return h;
  }

  // General segments: the lower edge is 't' and the upper 'b'. Strictly nearer wins, so the
  // earlier edge keeps a tie and a touch at B itself never counts.
  double best = vecdistance(a, b, true);
  auto consider = [&](tvector p, char side) {
    const double d = vecdistance(a, p, true);
    if (d < best) {
      best = d;
      h.point = p;
      h.side = side;
      h.count++;
    }
  };
  auto vertical = [&](double e, char side) {
    const double y = a.y + (b.y - a.y) * (e - a.x) / (b.x - a.x);
    if (between(y, max.y, min.y)) consider({e, y}, side);
  };
  auto horizontal = [&](double e, char side) {
    const double x = a.x + (b.x - a.x) * (e - a.y) / (b.y - a.y);
    if (between(x, max.x, min.x)) consider({x, e}, side);
  };
  if (L) vertical(min.x, 'l');
  if (R) vertical(max.x, 'r');
  if (Y1) horizontal(min.y, 't');
  if (Y2) horizontal(max.y, 'b');
  return h;
}

thit segmentblocks(const tblkarray &list, tvector a, tvector b) {
  thit result{b, 'n', 0};
  int32_t total = 0;
  for (const block &blk : list) {
    if (!blk.active) continue;
    thit h = segmentbox(a, b, blk.corner1, blk.corner2);
    total += h.count;
    if (vecdistance(a, result.point, true) > vecdistance(a, h.point, true)) {
      result = h;
      result.count = total;
    }
  }
  return result;
}

thit segmentterrain(tvector a, tvector b) {
  const int k = tileindex(a.x);
  thit result = segmentblocks(worldRow[7 + k].collision, a, b);
  // The neighbour is searched only up to the best point so far, so any hit there is nearer.
  if (b.x > a.x && k < 7) {
    thit h = segmentblocks(worldRow[8 + k].collision, a, result.point);
    if (h.side != 'n') result = h;
  }
  if (b.x < a.x && k > -7) {
    thit h = segmentblocks(worldRow[6 + k].collision, a, result.point);
    if (h.side != 'n') result = h;
  }
  return result;
}

thit segmentcharacters(tvector a, tvector b, int ignore) {
  const tvector half{CHARACTER_HALF_WIDTH, CHARACTER_HALF_HEIGHT};
  thit result{b, 'n', 0};
  for (size_t i = 0; i < enemies.size(); ++i) {
    const tenemy &e = enemies[i];
    if (!e.active || static_cast<int>(i) == ignore) continue;
    thit h = segmentbox(a, b, e.body.pos - half, e.body.pos + half);
    if (vecdistance(a, result.point, true) > vecdistance(a, h.point, true)) {
      result = h;
      result.count = static_cast<int32_t>(i);
    }
  }
  return result;
}
