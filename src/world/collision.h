// Box overlap, pushing characters out of the terrain, body integration and segment queries.
#pragma once
#include <cstdint>

#include "actors/records.h"
#include "base/vector.h"
#include "world/terrain.h"

// Half-size of a character's box, centred on its body's position.
constexpr double CHARACTER_HALF_WIDTH = 0.05;
constexpr double CHARACTER_HALF_HEIGHT = 0.1;

// The nearest crossing of a segment, or its end point with side 'n' when nothing is crossed.
struct thit {
  tvector point;
  char side;  // 'n' none, 'l' / 'r' the edge at the smaller / larger x, 't' / 'b' see segmentbox
  // Terrain queries: a count of crossings. segmentcharacters: the index in `enemies` of the
  // character struck. A full int rather than a byte, so every zombie can be named.
  int32_t count;
};

// How far, per axis, the second box must move to leave the first (pointing from the first
// centre to the second); (0, 0) when they do not overlap. Touching counts as overlap.
tvector boxoverlap(tvector min1, tvector max1, tvector min2, tvector max2);
// Whether two boxes overlap or touch. Unlike a nonzero boxoverlap, also true for boxes whose
// centres coincide.
bool boxestouch(tvector min1, tvector max1, tvector min2, tvector max2);
// Pushes a character's box out of every active block along its axis of least penetration.
void collideblocks(const tblkarray &list, tbody &body, tanidata &anim);
// collideblocks against the tile under the body and its neighbour; movestate 2 when nothing
// held the body up.
void collideterrain(tbody &body, tanidata &anim);
// Advances velocity then position by dt seconds, damping tuned for 15 ms frames.
void integrate(tbody &body, double fx, double fy, double dt);

// Nearest crossing of A->B with the rectangle's edges. A vertical segment landing on the upper
// surface says 't'; a general segment says 'b' there ('t' for the lower surface).
thit segmentbox(tvector a, tvector b, tvector min, tvector max);
thit segmentblocks(const tblkarray &list, tvector a, tvector b);
// Searches A's tile and the next one towards B.
thit segmentterrain(tvector a, tvector b);
// The nearest active character's box A->B crosses; `ignore` names one character to pass over
// (a shot that has just gone into it must not strike it again on its way out).
thit segmentcharacters(tvector a, tvector b, int ignore = -1);
