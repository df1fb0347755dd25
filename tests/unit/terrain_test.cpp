#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "base/files.h"
#include "rig/blocks.h"

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
