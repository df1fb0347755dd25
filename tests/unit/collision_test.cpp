#include <gtest/gtest.h>

#include "app/window/window.h"
#include "world/collision.h"

namespace {

block Block(double x1, double y1, double x2, double y2, uint8_t active = 1) {
  block b{};
  b.active = active;
  b.corner1 = {x1, y1};
  b.corner2 = {x2, y2};
  return b;
}

void ClearWorld() {
  for (ttilerecord &tile : worldRow) {
    tile.collision.clear();
    tile.drawn.clear();
  }
}

// Puts a block given in world coordinates into the collision list of a slot.
void AddBlock(int slot, double x1, double y1, double x2, double y2) {
  worldRow[slot].collision.push_back(Block(x1, y1, x2, y2));
}

void ExpectHit(const thit &h, double x, double y, char side, int count) {
  EXPECT_DOUBLE_EQ(h.point.x, x);
  EXPECT_DOUBLE_EQ(h.point.y, y);
  EXPECT_EQ(h.side, side);
  EXPECT_EQ(h.count, count);
}

tbody Body(double x, double y, double vx = 0, double vy = 0) {
  tbody b{};
  b.pos = {x, y};
  b.vel = {vx, vy};
  return b;
}

}  // namespace

TEST(Collision, BoxOverlap) {
  // Overlapping: the push points from the first centre to the second.
  tvector p = boxoverlap({0, 0}, {2, 2}, {1.5, -0.5}, {2.5, 0.5});
  EXPECT_DOUBLE_EQ(p.x, 0.5);
  EXPECT_DOUBLE_EQ(p.y, -0.5);
  p = boxoverlap({1.5, -0.5}, {2.5, 0.5}, {0, 0}, {2, 2});
  EXPECT_DOUBLE_EQ(p.x, -0.5);
  EXPECT_DOUBLE_EQ(p.y, 0.5);
  // Touching counts but pushes nothing on the touching axis.
  p = boxoverlap({0, 0}, {1, 1}, {1, 0.25}, {2, 1.25});
  EXPECT_EQ(p.x, 0);
  EXPECT_DOUBLE_EQ(p.y, 0.75);
  // Disjoint on one axis only, and identical boxes (both signs 0).
  p = boxoverlap({0, 0}, {1, 1}, {0.5, 1.01}, {1.5, 2});
  EXPECT_EQ(p.x, 0);
  EXPECT_EQ(p.y, 0);
  p = boxoverlap({0, 0}, {1, 1}, {0, 0}, {1, 1});
  EXPECT_EQ(p.x, 0);
  EXPECT_EQ(p.y, 0);
}

TEST(Collision, CollideBlocksPushesAlongTheShallowerAxis) {
  const tblkarray floor = {Block(-1, 0, 1, 1)};
  tanidata anim{};
  // Sunk 0.005: lifted, still falling, standing. Sunk 0.02: lifted and stopped.
  anim.movestate = 2;
  tbody b = Body(0.3, 1.095, 0.5, -2);
  collideblocks(floor, b, anim);
  EXPECT_EQ(b.pos.x, 0.3);
  EXPECT_NEAR(b.pos.y, 1.1, 1e-12);
  EXPECT_EQ(b.vel.x, 0.5);
  EXPECT_EQ(b.vel.y, -2);
  EXPECT_EQ(anim.movestate, 0);
  b = Body(0.3, 1.08, 0, -2);
  collideblocks(floor, b, anim);
  EXPECT_NEAR(b.pos.y, 1.1, 1e-12);
  EXPECT_EQ(b.vel.y, 0);

  // Pushed down out of a ceiling: not standing.
  anim.movestate = 2;
  b = Body(0.3, -0.08, 0, 3);
  collideblocks(floor, b, anim);
  EXPECT_NEAR(b.pos.y, -0.1, 1e-12);
  EXPECT_EQ(b.vel.y, 0);
  EXPECT_EQ(anim.movestate, 2);

  // Walking into a wall: pushed back sideways, horizontal speed lost.
  b = Body(-1.04, 0.3, 2, -1);
  collideblocks(floor, b, anim);
  EXPECT_NEAR(b.pos.x, -1.05, 1e-12);
  EXPECT_EQ(b.pos.y, 0.3);
  EXPECT_EQ(b.vel.x, 0);
  EXPECT_EQ(b.vel.y, -1);

  // Inactive blocks are not there; touching is no push.
  b = Body(0, 0.5, 1, 1);
  collideblocks({Block(-1, 0, 1, 1, 0)}, b, anim);
  EXPECT_EQ(b.pos.y, 0.5);
  EXPECT_EQ(b.vel.x, 1);
  b = Body(0.25, 1.125, 1, 1);
  collideblocks({Block(-1, 0, 1, 1.025)}, b, anim);
  EXPECT_EQ(b.pos.y, 1.125);
  EXPECT_EQ(b.vel.x, 1);

  // A tie between the axes goes to the vertical one; a shallower x goes sideways.
  const tblkarray square = {Block(-1, -1, 1, 1)};
  const tvector half{0.05, 0.1};
  b = Body(1.05 - 0.03125, 1.1 - 0.03125, 1, 1);
  const tvector tie = boxoverlap({-1, -1}, {1, 1}, b.pos - half, b.pos + half);
  ASSERT_EQ(tie.x, tie.y);
  collideblocks(square, b, anim);
  EXPECT_EQ(b.pos.x, 1.05 - 0.03125);
  EXPECT_NEAR(b.pos.y, 1.1, 1e-12);
  EXPECT_EQ(b.vel.x, 1);
  EXPECT_EQ(b.vel.y, 0);
  b = Body(1.05 - 0.03125, 1.1 - 0.0625, 1, 1);
  collideblocks(square, b, anim);
  EXPECT_NEAR(b.pos.x, 1.05, 1e-12);
  EXPECT_EQ(b.pos.y, 1.1 - 0.0625);
  EXPECT_EQ(b.vel.x, 0);
  EXPECT_EQ(b.vel.y, 1);
}

TEST(Collision, CharacterCentredOverABlockIsPushedStraightOut) {
  // Centres aligned on x: the horizontal push is 0, yet the character must still be lifted.
  tanidata anim{};
  anim.movestate = 2;
  tbody b = Body(0, 1.095, 0.5, -1);
  collideblocks({Block(-1, 0, 1, 1)}, b, anim);
  EXPECT_EQ(b.pos.x, 0);
  EXPECT_NEAR(b.pos.y, 1.1, 1e-12);
  EXPECT_EQ(b.vel.x, 0.5);
  EXPECT_EQ(anim.movestate, 0);
  // Centres aligned on y: pushed sideways out of a tall wall.
  b = Body(-1.04, 0.5, 2, 0);
  collideblocks({Block(-1, 0, 1, 1)}, b, anim);
  EXPECT_NEAR(b.pos.x, -1.05, 1e-12);
  EXPECT_EQ(b.pos.y, 0.5);
  EXPECT_EQ(b.vel.x, 0);
}

TEST(Collision, CollideTerrainLooksAtOneNeighbourAndSetsMoveState) {
  ClearWorld();
  tanidata anim{};
  // Standing on a floor in slot 7: held up, standing.
  AddBlock(7, -2.5, -1, 2.5, 0);
  tbody b = Body(0.3, 0.095, 0, -0.1);
  anim.movestate = 2;
  collideterrain(b, anim);
  EXPECT_NEAR(b.pos.y, 0.1, 1e-12);
  EXPECT_EQ(anim.movestate, 0);
  // In the air: not moved, marked as such.
  b = Body(0, 3, 0, -1);
  collideterrain(b, anim);
  EXPECT_EQ(b.pos.y, 3);
  EXPECT_EQ(anim.movestate, 2);

  // A wall just across the boundary in slot 8 stops a body moving right, not one moving left.
  ClearWorld();
  AddBlock(8, 2.45, -1, 3, 5);
  b = Body(2.41, 1, 1, 0);
  collideterrain(b, anim);
  EXPECT_NEAR(b.pos.x, 2.4, 1e-12);
  EXPECT_EQ(b.vel.x, 0);
  b = Body(2.41, 1, -1, 0);
  collideterrain(b, anim);
  EXPECT_EQ(b.pos.x, 2.41);
  // A body at rest looks both ways.
  AddBlock(6, -3, -1, -2.45, 5);
  b = Body(-2.41, 1, 0, 0);
  collideterrain(b, anim);
  EXPECT_NEAR(b.pos.x, -2.4, 1e-12);

  // The ends of the row have no outer neighbour.
  ClearWorld();
  AddBlock(14, 36.5, -1, 38, 0);
  AddBlock(0, -38, -1, -36.5, 0);
  b = Body(37, 0.05, 5, -1);
  collideterrain(b, anim);
  EXPECT_NEAR(b.pos.y, 0.1, 1e-12);
  EXPECT_EQ(anim.movestate, 0);
  b = Body(-37, 0.05, -5, -1);
  collideterrain(b, anim);
  EXPECT_NEAR(b.pos.y, 0.1, 1e-12);
  // Far outside the row the end tiles still answer.
  b = Body(1e9, 0, 5, -1);
  collideterrain(b, anim);
  EXPECT_EQ(anim.movestate, 2);
  ClearWorld();
}

TEST(Collision, IntegrateDampsByFrameTime) {
  const double saved = frameTime;
  frameTime = 0.015;
  tbody b{};
  b.pos = {1, 2};
  b.vel = {2, 3};
  b.accel = {10, -10};
  integrate(b, 0.7, 1.0);
  EXPECT_EQ(b.vel.x, (10 * 0.015 + 2) * 0.7);
  EXPECT_EQ(b.vel.y, -10 * 0.015 + 3);
  EXPECT_EQ(b.pos.x, 1 + b.vel.x * 0.015);
  EXPECT_EQ(b.pos.y, 2 + b.vel.y * 0.015);

  // A longer frame damps more: 0.7 becomes 0.697 at 17 ms.
  frameTime = 0.017;
  b = tbody{};
  b.vel = {1, 1};
  integrate(b, 0.7, 1.0);
  EXPECT_NEAR(b.vel.x, 0.697, 1e-12);
  EXPECT_NEAR(b.vel.y, 0.997, 1e-12);
  frameTime = saved;
}

TEST(Collision, SegmentBoxVerticalAndHorizontalRules) {
  const tvector lo{-1, -1}, hi{1, 1};
  // Straight down through the rectangle lands on its upper edge: 't'.
  ExpectHit(segmentbox({0, 2}, {0, -2}, lo, hi), 0, 1, 't', 1);
  // Straight up from below meets the lower edge: 'b'.
  ExpectHit(segmentbox({0, -2}, {0, 2}, lo, hi), 0, -1, 'b', 1);
  // Ending inside: only the upper edge is spanned.
  ExpectHit(segmentbox({0.5, 3}, {0.5, 0}, {-1, -1}, {1, 2}), 0.5, 2, 't', 1);
  ExpectHit(segmentbox({0, 3}, {0, 1}, {-1, -1}, {1, 2}), 0, 2, 't', 1);
  // Starting inside and leaving downwards: the lower edge.
  ExpectHit(segmentbox({0, 0}, {0, -3}, lo, hi), 0, -1, 'b', 1);
  // Horizontal, both ways.
  ExpectHit(segmentbox({-2, 0}, {2, 0}, lo, hi), -1, 0, 'l', 1);
  ExpectHit(segmentbox({2, 0.5}, {-2, 0.5}, lo, hi), 1, 0.5, 'r', 1);
  ExpectHit(segmentbox({0, 0}, {3, 0}, lo, hi), 1, 0, 'r', 1);
  // Entirely inside: no edge spanned.
  ExpectHit(segmentbox({0, 0.5}, {0, -0.5}, lo, hi), 0, -0.5, 'n', 0);
  // Missing the rectangle.
  ExpectHit(segmentbox({2, 2}, {2, -2}, lo, hi), 2, -2, 'n', 0);
  ExpectHit(segmentbox({-3, 2}, {3, 2.5}, lo, hi), 3, 2.5, 'n', 0);
}

TEST(Collision, SegmentBoxGeneralRule) {
  const tvector lo{-1, -1}, hi{1, 1};
  // The right-edge crossing is farther than the left one.
  ExpectHit(segmentbox({-2, 0.5}, {2, -0.5}, lo, hi), -1, 0.25, 'l', 1);
  // Through a corner: left and upper edges tie and the left edge keeps it.
  ExpectHit(segmentbox({-2, 2}, {2, -2}, lo, hi), -1, 1, 'l', 1);
  // Right edge found first, then the nearer upper edge, which says 'b' here.
  ExpectHit(segmentbox({-2, 3}, {2, 1}, {-1, -1}, {1, 2}), 0, 2, 'b', 2);
  // Rising through the lower edge says 't'.
  ExpectHit(segmentbox({-0.5, -2}, {0.5, 0}, lo, hi), 0, -1, 't', 1);
  // Touching only at the end point is no crossing.
  ExpectHit(segmentbox({-2, 0}, {-1, 0.5}, lo, hi), -1, 0.5, 'n', 0);
  ExpectHit(segmentbox({0.5, 3}, {0, 1}, lo, hi), 0, 1, 'n', 0);
  // A crossing at the start point counts (it is nearer than B).
  ExpectHit(segmentbox({-1, 0}, {2, 0.5}, lo, hi), -1, 0, 'l', 1);
  // A vertical segment along the left edge is not inside the x range: general rule.
  ExpectHit(segmentbox({-1, 2}, {-1, -2}, lo, hi), -1, 1, 'b', 2);
}

TEST(Collision, SegmentBlocksKeepsNearestAndCountsCrossings) {
  tblkarray list = {Block(5, -1, 6, 1), Block(3, -1, 4, 1), Block(1, -1, 2, 1, 0),
                    Block(2, -1, 2.5, 1), Block(7, -1, 8, 1)};
  // The count is the running total of crossings when the nearest block was met; the inactive
  // block does not exist.
  ExpectHit(segmentblocks(list, {0, 0.1}, {10, -0.1}), 2, 0.06, 'l', 3);
  EXPECT_EQ(segmentblocks(list, {0, 0}, {10, 0}).count, 3);
  ExpectHit(segmentblocks(list, {0, 0}, {0.5, 0}), 0.5, 0, 'n', 0);
  ExpectHit(segmentblocks({}, {0, 0}, {1, 1}), 1, 1, 'n', 0);
}

TEST(Collision, SegmentTerrainSearchesTheNextTileTowardsB) {
  ClearWorld();
  ExpectHit(segmentterrain({-1, 0}, {1, 0.5}), 1, 0.5, 'n', 0);

  // A wall in the next tile to the right, reached from tile 0.
  AddBlock(8, 3, -1, 4, 1);
  ExpectHit(segmentterrain({1, 0}, {5, 0}), 3, 0, 'l', 1);
  // A block that overhangs into tile 0 but lives in slot 8 is only seen when heading right:
  // not when heading left, nor by a vertical probe.
  AddBlock(8, 0.5, -1, 1, 1);
  ExpectHit(segmentterrain({2, 0}, {-2, 0}), -2, 0, 'n', 0);
  ExpectHit(segmentterrain({0.75, 2}, {0.75, -2}), 0.75, -2, 'n', 0);
  ExpectHit(segmentterrain({0, 0}, {2, 0}), 0.5, 0, 'l', 1);

  // A nearer block in A's own tile wins over the neighbour's.
  ClearWorld();
  AddBlock(8, 3, -1, 4, 1);
  AddBlock(7, 2, -1, 2.4, 1);
  ExpectHit(segmentterrain({1, 0}, {5, 0}), 2, 0, 'l', 1);

  // Heading left across into slot 6, and a ground probe straight down.
  ClearWorld();
  AddBlock(6, -4, -1, -3, 1);
  ExpectHit(segmentterrain({-1, 0.5}, {-5, 0.5}), -3, 0.5, 'r', 1);
  AddBlock(7, -2.5, -2, 2.5, -1);
  ExpectHit(segmentterrain({0.5, 4}, {0.5, -6}), 0.5, -1, 't', 1);

  // The ends of the row have no outer neighbour to search.
  ClearWorld();
  AddBlock(14, 36, -1, 37, 1);
  ExpectHit(segmentterrain({35, 0}, {40, 0}), 36, 0, 'l', 1);
  AddBlock(0, -37, -1, -36, 1);
  ExpectHit(segmentterrain({-35, 0}, {-40, 0}), -36, 0, 'r', 1);
  ClearWorld();
}

TEST(Collision, SegmentCharactersNamesEveryZombie) {
  enemies.assign(300, tenemy{});
  ExpectHit(segmentcharacters({0, 0}, {5, 0}), 5, 0, 'n', 0);

  enemies[299].active = 1;
  enemies[299].body.pos = {3, 0};
  enemies[12].body.pos = {1, 0};  // inactive: not there
  thit h = segmentcharacters({0, 0}, {5, 0});
  ExpectHit(h, 2.95, 0, 'l', 299);

  // The nearest of several wins; the box is 0.1 wide and 0.2 tall.
  enemies[280].active = 1;
  enemies[280].body.pos = {2, 0.15};
  h = segmentcharacters({0, 0.1}, {5, 0.1});
  ExpectHit(h, 1.95, 0.1, 'l', 280);
  h = segmentcharacters({2, 2}, {2, -2});
  ExpectHit(h, 2, 0.25, 't', 280);
  enemies.clear();
}
