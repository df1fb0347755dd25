#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "app/files.h"
#include "rig/rig.h"
#include "world/terrain.h"

namespace {

block MakeBlock(double x1, double y1, double x2, double y2, uint8_t active = 1) {
  block b{};
  b.active = active;
  for (int i = 0; i < 39; ++i) b.carried[i] = static_cast<uint8_t>(i * 7 + 1);
  b.corner1 = {x1, y1};
  b.corner2 = {x2, y2};
  return b;
}

tiledesc MakeDesc(uint8_t kind, double left = 0.25, double right = 0.75) {
  tiledesc d{};
  d.leftheight = left;
  d.rightheight = right;
  d.cratespot = {1.5, 0.5};
  d.pickupspot = {-1.25, 0.75};
  d.kind = kind;
  for (int i = 0; i < 7; ++i) d.unused1[i] = static_cast<uint8_t>(0xA0 + i);
  d.startspot = {0.5, 1};
  d.basespot = {-0.5, 2};
  for (int i = 0; i < 8; ++i) d.unused2[i] = static_cast<uint8_t>(0xB0 + i);
  return d;
}

void ExpectSameBlock(const block &a, const block &b) {
  EXPECT_EQ(a.active, b.active);
  EXPECT_EQ(0, std::memcmp(a.carried, b.carried, 39));
  EXPECT_EQ(a.corner1.x, b.corner1.x);
  EXPECT_EQ(a.corner1.y, b.corner1.y);
  EXPECT_EQ(a.corner2.x, b.corner2.x);
  EXPECT_EQ(a.corner2.y, b.corner2.y);
}

void ExpectSameDesc(const tiledesc &a, const tiledesc &b) {
  EXPECT_EQ(EncodeTiledesc(a), EncodeTiledesc(b));
}

// A level folder in a temporary base directory; restores the base directory afterwards.
struct PieceFolder {
  TempDir dir;
  std::string savedBase = baseDirectory;
  PieceFolder() { baseDirectory = dir.path(); }
  ~PieceFolder() { baseDirectory = savedBase; }
  void write(const std::string &file, const std::vector<uint8_t> &bytes) {
    dir.write("zombie levels/" + file, bytes);
  }
  void piece(const std::string &name, const tiledesc &d, const tblkarray &collision,
             const tblkarray &drawn) {
    write(name + ".zcg", EncodeBlocks(collision));
    write(name + ".zdg", EncodeBlocks(drawn));
    write(name + ".zmd", EncodeTiledesc(d));
  }
};

size_t LibrarySize() {
  size_t n = 0;
  for (auto &kind : pieceLibrary) n += kind.size();
  return n;
}

int LineCount(const std::string &text) {
  int n = 0;
  for (char c : text) n += c == '\n';
  return n;
}

}  // namespace

TEST(Terrain, TileIndexTable) {
  EXPECT_EQ(tileindex(0), 0);
  EXPECT_EQ(tileindex(2.49), 0);
  EXPECT_EQ(tileindex(-2.49), 0);
  EXPECT_EQ(tileindex(2.5), 1);
  EXPECT_EQ(tileindex(7.49), 1);
  EXPECT_EQ(tileindex(7.5), 2);
  EXPECT_EQ(tileindex(-2.5), -1);
  EXPECT_EQ(tileindex(-7.49), -1);
  EXPECT_EQ(tileindex(-7.5), -2);
  EXPECT_EQ(tileindex(32.49), 6);
  EXPECT_EQ(tileindex(32.5), 7);
  EXPECT_EQ(tileindex(36), 7);
  EXPECT_EQ(tileindex(1000), 7);
  EXPECT_EQ(tileindex(-1000), -7);
  // Values a runaway body can reach still name a real tile.
  EXPECT_EQ(tileindex(1e300), 7);
  EXPECT_EQ(tileindex(-std::numeric_limits<double>::infinity()), -7);
  EXPECT_EQ(tileindex(std::numeric_limits<double>::quiet_NaN()), 0);
}

TEST(Terrain, BlockRecordsRoundTripFieldByField) {
  tblkarray blocks = {MakeBlock(-1, -2, 1, 2, 0), MakeBlock(0.125, 3, 2.5, 4.75, 9)};
  std::vector<uint8_t> bytes = EncodeBlocks(blocks);
  ASSERT_EQ(bytes.size(), 144u);
  // Layout: active byte, 39 carried bytes, then four little-endian doubles from offset 40.
  EXPECT_EQ(bytes[72], 9);
  EXPECT_EQ(bytes[1], 1);
  EXPECT_EQ(bytes[39], static_cast<uint8_t>(38 * 7 + 1));
  EXPECT_EQ(GetF64(&bytes[72 + 40]), 0.125);
  EXPECT_EQ(GetF64(&bytes[72 + 48]), 3);
  EXPECT_EQ(GetF64(&bytes[72 + 56]), 2.5);
  EXPECT_EQ(GetF64(&bytes[72 + 64]), 4.75);
  const uint8_t one[8] = {0, 0, 0, 0, 0, 0, 0xF0, 0x3F};  // 1.0
  EXPECT_EQ(0, std::memcmp(&bytes[56], one, 8));

  tblkarray back = {MakeBlock(9, 9, 9, 9)};
  ASSERT_TRUE(DecodeBlocks(bytes.data(), bytes.size(), back));
  ASSERT_EQ(back.size(), 2u);
  ExpectSameBlock(back[0], blocks[0]);
  ExpectSameBlock(back[1], blocks[1]);

  // A partial record is refused and the list is left as it was.
  EXPECT_FALSE(DecodeBlocks(bytes.data(), 143, back));
  EXPECT_EQ(back.size(), 2u);
  EXPECT_TRUE(DecodeBlocks(nullptr, 0, back));
  EXPECT_TRUE(back.empty());
}

TEST(Terrain, DescriptionRoundTripAndLayout) {
  tiledesc d = MakeDesc(3, -0.5, 1.5);
  std::vector<uint8_t> bytes = EncodeTiledesc(d);
  ASSERT_EQ(bytes.size(), 96u);
  EXPECT_EQ(GetF64(&bytes[0]), -0.5);
  EXPECT_EQ(GetF64(&bytes[8]), 1.5);
  EXPECT_EQ(GetF64(&bytes[16]), 1.5);
  EXPECT_EQ(GetF64(&bytes[40]), 0.75);
  EXPECT_EQ(bytes[48], 3);
  EXPECT_EQ(bytes[49], 0xA0);
  EXPECT_EQ(GetF64(&bytes[56]), 0.5);
  EXPECT_EQ(GetF64(&bytes[80]), 2);
  EXPECT_EQ(bytes[95], 0xB7);

  tiledesc back{};
  ASSERT_TRUE(DecodeTiledesc(bytes.data(), bytes.size(), back));
  ExpectSameDesc(back, d);
  // Only the first record is read: trailing bytes do not matter, a short file is refused.
  bytes.resize(200, 0xEE);
  tiledesc longer{};
  ASSERT_TRUE(DecodeTiledesc(bytes.data(), bytes.size(), longer));
  ExpectSameDesc(longer, d);
  tiledesc untouched = MakeDesc(1);
  EXPECT_FALSE(DecodeTiledesc(bytes.data(), 95, untouched));
  ExpectSameDesc(untouched, MakeDesc(1));
}

TEST(Terrain, LoadBlocksFromFiles) {
  TempDir dir;
  tblkarray blocks = {MakeBlock(-1, 0, 1, 1, 0), MakeBlock(0, 0, 2, 2, 5)};
  dir.write("a.zcg", EncodeBlocks(blocks));
  tblkarray list = {MakeBlock(7, 7, 8, 8)};
  ASSERT_TRUE(loadblocks(dir.file("a.zcg"), list));
  ASSERT_EQ(list.size(), 2u);
  // Active bytes of 0 (or anything else) load as 1; the rest is kept.
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(list[i].active, 1);
    blocks[i].active = 1;
    ExpectSameBlock(list[i], blocks[i]);
  }

  dir.write("empty.zcg", std::vector<uint8_t>{});
  list = {MakeBlock(7, 7, 8, 8)};
  EXPECT_TRUE(loadblocks(dir.file("empty.zcg"), list));
  EXPECT_TRUE(list.empty());

  std::vector<uint8_t> partial = EncodeBlocks(blocks);
  partial.resize(100);
  dir.write("partial.zcg", partial);
  list = {MakeBlock(7, 7, 8, 8)};
  EXPECT_FALSE(loadblocks(dir.file("partial.zcg"), list));
  EXPECT_TRUE(list.empty());

  list = {MakeBlock(7, 7, 8, 8)};
  EXPECT_FALSE(loadblocks(dir.file("missing.zcg"), list));
  EXPECT_TRUE(list.empty());
}

TEST(Terrain, CopyShiftAndMirror) {
  tblkarray source = {MakeBlock(-1, 0, 0.5, 1, 0), MakeBlock(1, 2, 2, 3, 1)};
  tblkarray copy = {MakeBlock(5, 5, 6, 6)};
  copyblocks(source, copy);
  ASSERT_EQ(copy.size(), 2u);
  ExpectSameBlock(copy[0], source[0]);  // inactive blocks are copied too
  ExpectSameBlock(copy[1], source[1]);

  shiftblocks(copy, {10, -1});
  EXPECT_EQ(copy[0].corner1.x, 9);
  EXPECT_EQ(copy[0].corner1.y, -1);
  EXPECT_EQ(copy[0].corner2.x, 10.5);
  EXPECT_EQ(copy[0].corner2.y, 0);
  EXPECT_EQ(copy[1].corner2.x, 12);
  EXPECT_EQ(source[0].corner1.x, -1);  // the copy owns its blocks

  ttilerecord tile{};
  tile.collision = source;
  tile.drawn = {MakeBlock(-2.5, -1, -1.5, 0.5)};
  tile.desc = MakeDesc(2, 0.25, 0.75);
  const ttilerecord original = tile;

  mirrortile(tile);
  // Corners come back in min/max order.
  EXPECT_EQ(tile.collision[0].corner1.x, -0.5);
  EXPECT_EQ(tile.collision[0].corner2.x, 1);
  EXPECT_EQ(tile.collision[0].corner1.y, 0);
  EXPECT_EQ(tile.collision[0].corner2.y, 1);
  EXPECT_EQ(tile.drawn[0].corner1.x, 1.5);
  EXPECT_EQ(tile.drawn[0].corner2.x, 2.5);
  EXPECT_EQ(tile.desc.leftheight, 0.75);
  EXPECT_EQ(tile.desc.rightheight, 0.25);
  EXPECT_EQ(tile.desc.kind, 3);
  EXPECT_EQ(tile.desc.cratespot.x, -1.5);
  EXPECT_EQ(tile.desc.cratespot.y, 0.5);
  EXPECT_EQ(tile.desc.pickupspot.x, 1.25);
  EXPECT_EQ(tile.desc.startspot.x, -0.5);
  EXPECT_EQ(tile.desc.basespot.x, 0.5);
  EXPECT_EQ(tile.desc.basespot.y, 2);

  mirrortile(tile);
  ASSERT_EQ(tile.collision.size(), 2u);
  for (size_t i = 0; i < 2; ++i) ExpectSameBlock(tile.collision[i], original.collision[i]);
  ExpectSameBlock(tile.drawn[0], original.drawn[0]);
  ExpectSameDesc(tile.desc, original.desc);

  // Middle and base pieces keep their kind.
  for (uint8_t kind : {0, 1}) {
    ttilerecord t{};
    t.desc = MakeDesc(kind);
    mirrortile(t);
    EXPECT_EQ(t.desc.kind, kind);
  }
  // Corners given out of order are put in order by the mirror.
  ttilerecord swapped{};
  swapped.collision = {MakeBlock(1, 3, -1, 2)};
  mirrortile(swapped);
  EXPECT_EQ(swapped.collision[0].corner1.x, -1);
  EXPECT_EQ(swapped.collision[0].corner2.x, 1);
  EXPECT_EQ(swapped.collision[0].corner1.y, 2);
  EXPECT_EQ(swapped.collision[0].corner2.y, 3);
}

TEST(Terrain, LoadPiecesDerivesMirroredVariants) {
  PieceFolder f;
  f.piece("middle", MakeDesc(0, 0, 1), {MakeBlock(-2.5, -1, 1, 0, 0)}, {});
  f.piece("left", MakeDesc(2, 2, 0), {}, {MakeBlock(-2.5, 0, 2.5, 1)});
  f.piece("base", MakeDesc(1), {MakeBlock(-1, -1, 1, 0)}, {MakeBlock(-1, -1, 1, 0)});
  ASSERT_TRUE(loadpieces());

  ASSERT_EQ(pieceLibrary[0].size(), 2u);
  const ttilerecord &authored = pieceLibrary[0][0], &mirrored = pieceLibrary[0][1];
  EXPECT_EQ(authored.desc.leftheight, 0);
  EXPECT_EQ(authored.collision[0].corner1.x, -2.5);
  EXPECT_EQ(authored.collision[0].active, 1);
  EXPECT_TRUE(authored.drawn.empty());  // an empty block file gives no blocks
  EXPECT_EQ(mirrored.desc.leftheight, 1);
  EXPECT_EQ(mirrored.desc.rightheight, 0);
  EXPECT_EQ(mirrored.collision[0].corner1.x, -1);
  EXPECT_EQ(mirrored.collision[0].corner2.x, 2.5);
  EXPECT_EQ(mirrored.desc.kind, 0);

  // A left end with no right end still yields a right end.
  ASSERT_EQ(pieceLibrary[2].size(), 1u);
  ASSERT_EQ(pieceLibrary[3].size(), 1u);
  EXPECT_EQ(pieceLibrary[2][0].desc.kind, 2);
  EXPECT_EQ(pieceLibrary[3][0].desc.kind, 3);
  EXPECT_EQ(pieceLibrary[3][0].desc.leftheight, 0);
  EXPECT_EQ(pieceLibrary[3][0].desc.rightheight, 2);
  // The base is used only as authored.
  ASSERT_EQ(pieceLibrary[1].size(), 1u);
  EXPECT_EQ(pieceLibrary[1][0].desc.basespot.x, -0.5);
  for (auto &kind : pieceLibrary)
    for (auto &tile : kind) EXPECT_EQ(tile.list, 0u);
}

TEST(Terrain, LoadPiecesSortsByNameAndIgnoresIncompletePieces) {
  PieceFolder f;
  f.piece("c", MakeDesc(1, 3), {}, {});
  f.piece("a", MakeDesc(1, 1), {}, {});
  f.piece("b", MakeDesc(1, 2), {}, {});
  // Companions missing: ignored without a word.
  f.write("lonely.zcg", EncodeBlocks({MakeBlock(0, 0, 1, 1)}));
  f.write("nodesc.zcg", {});
  f.write("nodesc.zdg", {});
  f.write("nodrawn.zcg", {});
  f.write("nodrawn.zmd", EncodeTiledesc(MakeDesc(1, 9)));
  // Not a block file at all, and a folder that looks like one.
  f.write("readme.txt", EncodeTiledesc(MakeDesc(1, 9)));
  f.write("dir.zcg/x", {});
  f.write("dir.zdg", {});
  f.write("dir.zmd", EncodeTiledesc(MakeDesc(1, 9)));

  testing::internal::CaptureStderr();
  ASSERT_TRUE(loadpieces());
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  ASSERT_EQ(pieceLibrary[1].size(), 3u);
  EXPECT_EQ(pieceLibrary[1][0].desc.leftheight, 1);
  EXPECT_EQ(pieceLibrary[1][1].desc.leftheight, 2);
  EXPECT_EQ(pieceLibrary[1][2].desc.leftheight, 3);
  EXPECT_EQ(LibrarySize(), 3u);

  // Names compare exactly: "A" sorts before "a" and is a piece of its own.
  f.piece("A", MakeDesc(1, 0.5), {}, {});
  ASSERT_TRUE(loadpieces());
  ASSERT_EQ(pieceLibrary[1].size(), 4u);
  EXPECT_EQ(pieceLibrary[1][0].desc.leftheight, 0.5);
}

TEST(Terrain, LoadPiecesSkipsDamagedPiecesWithOneLineEach) {
  PieceFolder f;
  f.piece("good", MakeDesc(0), {MakeBlock(0, 0, 1, 1)}, {MakeBlock(0, 0, 1, 1)});
  f.piece("kind4", MakeDesc(4), {}, {});
  f.piece("partial", MakeDesc(1), {}, {});
  std::vector<uint8_t> broken = EncodeBlocks({MakeBlock(0, 0, 1, 1)});
  broken.resize(71);
  f.write("partial.zdg", broken);
  f.piece("shortdesc", MakeDesc(1), {}, {});
  std::vector<uint8_t> shortDesc = EncodeTiledesc(MakeDesc(1));
  shortDesc.resize(95);
  f.write("shortdesc.zmd", shortDesc);

  testing::internal::CaptureStderr();
  ASSERT_TRUE(loadpieces());
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(LineCount(err), 3) << err;
  EXPECT_NE(err.find("kind4.zmd"), std::string::npos) << err;
  EXPECT_NE(err.find("partial.zdg"), std::string::npos) << err;
  EXPECT_NE(err.find("shortdesc.zmd"), std::string::npos) << err;
  EXPECT_EQ(err.find("good"), std::string::npos) << err;
  // Only the good piece and its mirror made it.
  EXPECT_EQ(pieceLibrary[0].size(), 2u);
  EXPECT_EQ(LibrarySize(), 2u);
}

TEST(Terrain, LoadPiecesWithNothingUsableEmptiesTheLibrary) {
  {
    PieceFolder f;
    f.piece("base", MakeDesc(1), {}, {});
    ASSERT_TRUE(loadpieces());
    ASSERT_EQ(LibrarySize(), 1u);
  }
  {
    PieceFolder f;  // no "zombie levels" folder at all
    EXPECT_FALSE(loadpieces());
    EXPECT_EQ(LibrarySize(), 0u);
  }
  {
    PieceFolder f;
    f.write("only.zcg", {});
    EXPECT_FALSE(loadpieces());
  }
  {
    PieceFolder f;
    f.piece("bad", MakeDesc(7), {}, {});
    testing::internal::CaptureStderr();
    EXPECT_FALSE(loadpieces());
    EXPECT_EQ(LineCount(testing::internal::GetCapturedStderr()), 1);
    EXPECT_EQ(LibrarySize(), 0u);
  }
}
