#include <gtest/gtest.h>

#include <tuple>
#include <utility>
#include <vector>

#include "rig/blocks.h"
#include "world/collision.h"

namespace {
// An empty row of tiles, then blocks in world coordinates put into the slots' collision lists.
void World(const std::vector<std::pair<int, block>> &blocks = {}) {
  for (ttilerecord &tile : worldRow) tile.collision.clear();
  for (const auto &[slot, b] : blocks) worldRow[slot].collision.push_back(b);
}

tbody Body(double x, double y, double vx, double vy) { return {{x, y}, {vx, vy}, {0, 0}}; }

void ExpectHit(const thit &h, const thit &expected) {
  EXPECT_DOUBLE_EQ(h.point.x, expected.point.x);
  EXPECT_DOUBLE_EQ(h.point.y, expected.point.y);
  EXPECT_TRUE(h.side == expected.side && h.count == expected.count) << h.side << " " << h.count;
}
}  // namespace

TEST(Collision, CollideBlocksPushesAlongTheShallowerAxis) {
  const block floor = Block(-1, 0, 1, 1), square = Block(-1, -1, 1, 1);
  const double t = 0.03125;
  // {what, block, body before, body after, move state after starting in the air (2)}
  const std::tuple<const char *, block, tbody, tbody, int> table[] = {
      {"sunk 0.005: lifted, still falling, standing", floor, Body(0, 1.095, 0.5, -2), Body(0, 1.1, 0.5, -2), 0},
      {"sunk 0.02: lifted and stopped", floor, Body(0.3, 1.08, 0, -2), Body(0.3, 1.1, 0, 0), 0},
      {"out of a ceiling: stopped, not standing", floor, Body(0.3, -0.08, 0, 3), Body(0.3, -0.1, 0, 0), 2},
      {"into a wall: horizontal speed lost", floor, Body(-1.04, 0.3, 2, -1), Body(-1.05, 0.3, 0, -1), 2},
      {"inactive blocks are not there", Block(-1, 0, 1, 1, 0), Body(0, 0.5, 1, 1), Body(0, 0.5, 1, 1), 2},
      {"touching is no push", Block(-1, 0, 1, 1.025), Body(0.25, 1.125, 1, 1), Body(0.25, 1.125, 1, 1), 2},
      {"a tie goes to the vertical", square, Body(1.05 - t, 1.1 - t, 1, 1), Body(1.05 - t, 1.1, 1, 0), 0},
      {"a shallower x goes sideways", square, Body(1.05 - t, 1.1 - 2 * t, 1, 1), Body(1.05, 1.1 - 2 * t, 0, 1), 2}};
  for (const auto &[what, blk, in, out, movestate] : table) {
    tanidata anim{};
    anim.movestate = 2;
    tbody b = in;
    collideblocks({blk}, b, anim);
    EXPECT_NEAR(b.pos.x, out.pos.x, 1e-12) << what;
    EXPECT_NEAR(b.pos.y, out.pos.y, 1e-12) << what;
    EXPECT_TRUE(b.vel.x == out.vel.x && b.vel.y == out.vel.y && anim.movestate == movestate) << what;
  }
}

TEST(Collision, CollideTerrainLooksAtOneNeighbourAndSetsMoveState) {
  const block wallRight = Block(2.45, -1, 3, 5), wallLeft = Block(-3, -1, -2.45, 5);
  // {what, blocks, body, position after, move state set from the other one}
  const std::tuple<const char *, std::vector<std::pair<int, block>>, tbody, tvector, int> table[] = {
      {"landing", {{7, Block(-2.5, -1, 2.5, 0)}}, Body(0.3, 0.095, 0, -0.1), {0.3, 0.1}, 0},
      {"in the air", {{7, Block(-2.5, -1, 2.5, 0)}}, Body(0, 3, 0, -1), {0, 3}, 2},
      // A wall just across the boundary stops a body moving towards it; one at rest looks both ways.
      {"moving right into slot 8", {{8, wallRight}}, Body(2.41, 1, 1, 0), {2.4, 1}, 2},
      {"moving left, away from slot 8", {{8, wallRight}}, Body(2.41, 1, -1, 0), {2.41, 1}, 2},
      {"at rest by slot 8", {{8, wallRight}}, Body(2.41, 1, 0, 0), {2.4, 1}, 2},
      {"at rest by slot 6", {{6, wallLeft}}, Body(-2.41, 1, 0, 0), {-2.4, 1}, 2},
      {"right end", {{14, Block(36.5, -1, 38, 0)}}, Body(37, 0.05, 5, -1), {37, 0.1}, 0},
      {"left end", {{0, Block(-38, -1, -36.5, 0)}}, Body(-37, 0.05, -5, -1), {-37, 0.1}, 0},
      {"far outside: the end tiles still answer", {{14, Block(36.5, -1, 38, 0)}}, Body(1e9, 0, 5, -1), {1e9, 0}, 2}};
  for (const auto &[what, blocks, in, out, movestate] : table) {
    World(blocks);
    tanidata anim{};
    anim.movestate = movestate ? 0 : 2;
    tbody b = in;
    collideterrain(b, anim);
    EXPECT_NEAR(b.pos.x, out.x, 1e-12) << what;
    EXPECT_NEAR(b.pos.y, out.y, 1e-12) << what;
    EXPECT_EQ(anim.movestate, movestate) << what;
  }
  World();
}

TEST(Collision, SegmentBox) {
  const tvector lo{-1, -1}, hi{1, 1}, tallHi{1, 2};
  // Vertical and horizontal: named by where the probe lands; general segments by the edge crossed. Through a corner
  // the left edge keeps the tie; a tall box's right edge is found first, then the nearer upper edge, which says 'b'
  // there; rising through the lower edge says 't'.
  const std::tuple<tvector, tvector, tvector, thit> table[] = {
      {{0, 2}, {0, -2}, hi, {{0, 1}, 't', 1}},
      {{0, -2}, {0, 2}, hi, {{0, -1}, 'b', 1}},
      {{0, 3}, {0, 1}, tallHi, {{0, 2}, 't', 1}},
      {{0, 0}, {0, -3}, hi, {{0, -1}, 'b', 1}},  // leaving downwards from inside
      {{-2, 0}, {2, 0}, hi, {{-1, 0}, 'l', 1}},
      {{2, 0.5}, {-2, 0.5}, hi, {{1, 0.5}, 'r', 1}},
      {{0, 0.5}, {0, -0.5}, hi, {{0, -0.5}, 'n', 0}},  // entirely inside
      {{2, 2}, {2, -2}, hi, {{2, -2}, 'n', 0}},
      {{-2, 0.5}, {2, -0.5}, hi, {{-1, 0.25}, 'l', 1}},
      {{-2, 2}, {2, -2}, hi, {{-1, 1}, 'l', 1}},
      {{-2, 3}, {2, 1}, tallHi, {{0, 2}, 'b', 2}},
      {{-0.5, -2}, {0.5, 0}, hi, {{0, -1}, 't', 1}}};
  for (const auto &[a, b, top, hit] : table) {
    SCOPED_TRACE(testing::Message() << "(" << a.x << "," << a.y << ")->(" << b.x << "," << b.y << ")");
    ExpectHit(segmentbox(a, b, lo, top), hit);
  }
}

TEST(Collision, SegmentBlocksAndTerrainFindTheNearestCrossing) {
  tblkarray list = {Block(5, -1, 6, 1), Block(3, -1, 4, 1), Block(1, -1, 2, 1, 0), Block(2, -1, 2.5, 1)};
  // The count is the running total of crossings when the nearest block was met; the inactive one does not exist.
  ExpectHit(segmentblocks(list, {0, 0.1}, {10, -0.1}), {{2, 0.06}, 'l', 3});
  ExpectHit(segmentblocks(list, {0, 0}, {0.5, 0}), {{0.5, 0}, 'n', 0});

  const block far = Block(3, -1, 4, 1), overhang = Block(0.5, -1, 1, 1);
  const std::tuple<const char *, std::vector<std::pair<int, block>>, tvector, tvector, thit> table[] = {
      {"nothing", {}, {-1, 0}, {1, 0.5}, {{1, 0.5}, 'n', 0}},
      {"the next tile towards B is searched", {{8, far}}, {1, 0}, {5, 0}, {{3, 0}, 'l', 1}},
      // A block overhanging from slot 8 into tile 0 is seen only when heading right.
      {"overhang, heading left", {{8, far}, {8, overhang}}, {2, 0}, {-2, 0}, {{-2, 0}, 'n', 0}},
      {"overhang, vertical", {{8, far}, {8, overhang}}, {0.75, 2}, {0.75, -2}, {{0.75, -2}, 'n', 0}},
      {"overhang, heading right", {{8, far}, {8, overhang}}, {0, 0}, {2, 0}, {{0.5, 0}, 'l', 1}},
      {"a nearer block in A's own tile wins", {{8, far}, {7, Block(2, -1, 2.4, 1)}}, {1, 0}, {5, 0}, {{2, 0}, 'l', 1}},
      {"heading left", {{6, Block(-4, -1, -3, 1)}}, {-1, 0.5}, {-5, 0.5}, {{-3, 0.5}, 'r', 1}},
      {"right end, no outer neighbour", {{14, Block(36, -1, 37, 1)}}, {35, 0}, {40, 0}, {{36, 0}, 'l', 1}},
      {"left end", {{0, Block(-37, -1, -36, 1)}}, {-35, 0}, {-40, 0}, {{-36, 0}, 'r', 1}}};
  for (const auto &[what, blocks, a, b, hit] : table) {
    SCOPED_TRACE(what);
    World(blocks);
    ExpectHit(segmentterrain(a, b), hit);
  }
  World();
}

TEST(Collision, SegmentCharactersNamesEveryZombie) {
  enemies.assign(300, tenemy{});
  ExpectHit(segmentcharacters({0, 0}, {5, 0}), {{5, 0}, 'n', 0});
  enemies[299].active = 1;
  enemies[299].body.pos = {3, 0};
  enemies[12].body.pos = {1, 0};  // inactive: not there
  ExpectHit(segmentcharacters({0, 0}, {5, 0}), {{2.95, 0}, 'l', 299});
  // The nearest of several wins; the box is 0.1 wide and 0.2 tall.
  enemies[280].active = 1;
  enemies[280].body.pos = {2, 0.15};
  ExpectHit(segmentcharacters({0, 0.1}, {5, 0.1}), {{1.95, 0.1}, 'l', 280});
  ExpectHit(segmentcharacters({2, 2}, {2, -2}), {{2, 0.25}, 't', 280});
  enemies.clear();
}
