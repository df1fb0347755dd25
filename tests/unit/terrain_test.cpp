// The ground: level-piece files and the row of tiles they make, and collision against it (bodies
// pushed out of blocks, segments crossing blocks, terrain and zombies).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>
#include <utility>
#include <vector>

#include "base/files.h"
#include "rig/blocks.h"
#include "world/collision.h"

namespace {
// A block whose carried bytes are all set, so losing any of them shows.
block Carrying(double x1, double y1, double x2, double y2, uint8_t active = 1) {
  block b = Block(x1, y1, x2, y2, active);
  for (int i = 0; i < 39; ++i) b.carried[i] = static_cast<uint8_t>(i * 7 + 1);
  return b;
}

tiledesc Desc(uint8_t kind, double left = 0.25, double right = 0.75) {
  tiledesc d{};
  d.leftheight = left, d.rightheight = right, d.kind = kind, d.unused1[0] = 0xA0, d.unused2[7] = 0xB7;
  d.cratespot = {1.5, 0.5}, d.pickupspot = {-1.25, 0.75}, d.startspot = {0.5, 1}, d.basespot = {-0.5, 2};
  return d;
}

size_t LibrarySize() {
  size_t n = 0;
  for (auto &kind : pieceLibrary) n += kind.size();
  return n;
}

// Loads the folder's pieces; stderr must have one line for each complaint, containing it.
void Load(bool ok, std::initializer_list<const char *> complaints) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(loadpieces(), ok);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), static_cast<long>(complaints.size())) << err;
  for (const char *c : complaints) EXPECT_NE(err.find(c), std::string::npos) << err;
}

std::vector<double> LeftHeights(int kind) {
  std::vector<double> h;
  for (const ttilerecord &t : pieceLibrary[kind]) h.push_back(t.desc.leftheight);
  return h;
}

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

TEST(Terrain, TileIndex) {
  // Values a runaway body can reach still name a real tile.
  const std::pair<double, int> table[] = {{2.49, 0},  {-2.49, 0}, {2.5, 1},   {7.5, 2},        {-2.5, -1}, {-7.49, -1},
                                          {32.49, 6}, {32.5, 7},  {1e300, 7}, {-HUGE_VAL, -7}, {NAN, 0}};
  for (const auto &[x, slot] : table) EXPECT_EQ(tileindex(x), slot) << x;
}

TEST(Terrain, FileRecordsRoundTripAndLoadBlocks) {
  tblkarray blocks = {Carrying(-1, -2, 1, 2, 0), Carrying(0.125, 3, 2.5, 4.75, 9)};
  std::vector<uint8_t> bytes = EncodeBlocks(blocks);
  ASSERT_EQ(bytes.size(), 2 * BLOCK_RECORD_SIZE);
  EXPECT_EQ(GetF64(&bytes[72 + 64]), 4.75);  // after the active byte and 39 carried bytes
  std::vector<uint8_t> desc = EncodeTiledesc(Desc(3, -0.5, 1.5));
  ASSERT_EQ(desc.size(), TILEDESC_RECORD_SIZE);
  EXPECT_EQ(desc[48], 3);
  EXPECT_EQ(GetF64(&desc[80]), 2);  // basespot.y, the last field before 8 spare bytes

  TempDir dir;
  dir.write("a.zcg", bytes);
  tblkarray list = {Block(7, 7, 8, 8)};
  ASSERT_TRUE(loadblocks(dir.file("a.zcg"), list));
  // Whatever the active byte said, every block read exists; the rest is kept.
  for (block &b : blocks) b.active = 1;
  EXPECT_EQ(EncodeBlocks(list), EncodeBlocks(blocks));
  // Only whole records make a block file: a byte short or long of one, or none, is damage.
  const std::pair<size_t, bool> sizes[] = {{0, true},
                                           {BLOCK_RECORD_SIZE - 1, false},
                                           {BLOCK_RECORD_SIZE + 1, false},
                                           {100, false},
                                           {2 * BLOCK_RECORD_SIZE, true}};
  for (const auto &[size, whole] : sizes) {
    bytes.resize(size);
    dir.write("b.zcg", bytes);
    list = {Block(7, 7, 8, 8)};
    EXPECT_EQ(loadblocks(dir.file("b.zcg"), list), whole) << size;
    EXPECT_EQ(list.size(), whole ? size / BLOCK_RECORD_SIZE : 0) << size;
  }
  list = {Block(7, 7, 8, 8)};
  EXPECT_FALSE(loadblocks(dir.file("missing.zcg"), list));
  EXPECT_TRUE(list.empty());
}

TEST(Terrain, Mirror) {
  ttilerecord tile{};
  tile.collision = {Carrying(-1, 0, 0.5, 1, 0)};
  tile.drawn = {Block(-2.5, -1, -1.5, 0.5)};
  tile.desc = Desc(2, 0.25, 0.75);
  mirrortile(tile);
  // Corners come back in min/max order; heights, ends and spots change sides. (Twice mirrored is
  // the tile again: fuzz_blocks'.)
  EXPECT_EQ(EncodeBlocks(tile.drawn), EncodeBlocks({Block(1.5, -1, 2.5, 0.5)}));
  const tiledesc &m = tile.desc;
  EXPECT_TRUE(m.leftheight == 0.75 && m.rightheight == 0.25 && m.kind == 3 && m.basespot.y == 2);
  EXPECT_TRUE(m.cratespot.x == -1.5 && m.pickupspot.x == 1.25 && m.startspot.x == -0.5 && m.basespot.x == 0.5);
}

// Pieces saved on systems that ignore case arrive as "RUIN.ZCG" or with mixed extensions.
TEST(Terrain, LoadPiecesMirrorsSortsAndIgnoresIncompletePieces) {
  PieceFolder f;
  f.piece("middle", Desc(0, 0, 1), {Block(-2.5, -1, 1, 0, 0)});
  f.piece("left", Desc(2, 2, 0), {}, {Block(-2.5, 0, 2.5, 1)});
  f.piece("b", Desc(1, 2));
  f.piece("a", Desc(1, 1));
  f.write("RUIN.ZCG", {});
  f.write("RUIN.Zdg", {});
  f.write("RUIN.zMD", EncodeTiledesc(Desc(1, 0)));
  f.write("b.ZCG", EncodeBlocks({Block(5, 5, 6, 6)}));  // sorts before "b.zcg", which is then skipped
  // Not a block file at all, and a folder that looks like one: ignored without a word.
  f.write("readme.txt", EncodeTiledesc(Desc(1, 9)));
  f.write("dir.zcg/x", {});
  f.write("dir.zdg", {});
  f.write("dir.zmd", EncodeTiledesc(Desc(1, 9)));
  // A piece missing a companion is skipped with a line naming what is missing; the name must match exactly.
  f.write("Ruin.zcg", EncodeBlocks({Block(0, 0, 1, 1)}));
  f.write("ruin.zdg", {});
  f.write("Half.ZCG", {});
  f.write("Half.zmd", EncodeTiledesc(Desc(1, 9)));

  Load(true, {"Ruin.zcg skipped: no Ruin.zdg or Ruin.zmd", "Half.ZCG skipped: no Half.zdg beside it",
              "b.zcg skipped: another file of the same name"});
  // One middle piece gives two middle tiles, authored then mirrored.
  ASSERT_EQ(pieceLibrary[0].size(), 2u);
  const ttilerecord &authored = pieceLibrary[0][0], &mirrored = pieceLibrary[0][1];
  EXPECT_EQ(authored.collision[0].active, 1);
  EXPECT_TRUE(mirrored.desc.leftheight == 1 && mirrored.collision[0].corner1.x == -1 &&
              mirrored.collision[0].corner2.x == 2.5);
  // A left end with no right end still yields a right end.
  ASSERT_TRUE(pieceLibrary[2].size() == 1 && pieceLibrary[3].size() == 1);
  EXPECT_EQ(pieceLibrary[3][0].desc.rightheight, 2);
  // Bases are used only as authored, in name order as the bytes compare.
  ASSERT_EQ(LeftHeights(1), (std::vector<double>{0, 1, 2}));
  EXPECT_EQ(EncodeBlocks(pieceLibrary[1][2].collision), EncodeBlocks({Block(5, 5, 6, 6)}));
}

TEST(Terrain, LoadPiecesSkipsDamagedPiecesWithOneLineEach) {
  {
    PieceFolder f;
    f.piece("good", Desc(0), {Block(0, 0, 1, 1)}, {Block(0, 0, 1, 1)});
    f.piece("kind4", Desc(4));
    f.piece("partial", Desc(1));
    f.write("partial.zdg", std::vector<uint8_t>(71, 1));
    f.piece("shortdesc", Desc(1));
    f.write("shortdesc.zmd", std::vector<uint8_t>(95, 1));

    Load(true, {"kind4.zmd", "partial.zdg", "shortdesc.zmd"});
    EXPECT_EQ(LibrarySize(), 2u);  // the good piece and its mirror
  }
  {
    // Nothing usable: false and an empty library, not the last folder's pieces.
    PieceFolder f;
    f.piece("bad", Desc(7));
    Load(false, {"bad"});
    EXPECT_EQ(LibrarySize(), 0u);
  }
  PieceFolder none;  // no "zombie levels" folder at all
  Load(false, {});
}

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
