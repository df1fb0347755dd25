// Where each part of a skeleton lies in its figure's frame: the part hierarchy walked without
// any drawing, so it can be checked headless.
#pragma once
#include <functional>

#include "actors/records.h"

// A 2D affine map: (x, y) -> (xx*x + xy*y + x0, yx*x + yy*y + y0).
struct tplacement {
  double xx, xy, yx, yy, x0, y0;
};

tplacement IdentityPlacement();
tvector PlacePoint(const tplacement &m, tvector v);
// parent * T(-pivot) * R(angle degrees, counter-clockwise) * T(offset).
tplacement PlacePart(const tplacement &parent, const tguypart &part);

// Called for each part as it would be drawn: its index, its placement and whether it is drawn
// fully transparent (a hidden part still carries its children).
using PartVisitor = std::function<void(int part, const tplacement &place, bool transparent)>;

// Every visible root (parentid == id) with its descendants, in drawing order.
void WalkSkeleton(const tguy &guy, const PartVisitor &visit);
// Part i and its descendants below `parent`. A damaged file can make parent links loop or
// fan out wildly, so the walk stops at a depth of the part count (at most 256) and after a fixed number of
// visits per skeleton; a sound skeleton stays far below both.
void WalkPart(int i, const tguy &guy, const tplacement &parent, const PartVisitor &visit);
