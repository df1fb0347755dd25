#include <gtest/gtest.h>

#include <cmath>

#include "game/camera.h"
#include "game/day.h"
#include "game/objects.h"
#include "game/state.h"
#include "game/world_build.h"
#include "rig/blocks.h"
#include "world/terrain.h"

namespace {
tdefender Defender(uint8_t active, tvector pos) {
  tdefender d{};
  d.active = active, d.pos = pos;
  return d;
}

// A piece: ground block under its whole width, the given edge heights and spots.
ttilerecord Piece(uint8_t kind, double left, double right, tvector start = {0, 0.1}, tvector base = {0, 0}) {
  ttilerecord t{};
  t.desc.kind = kind, t.desc.leftheight = left, t.desc.rightheight = right;
  t.desc.cratespot = {1, 0.5}, t.desc.pickupspot = {-1, 0.5}, t.desc.startspot = start, t.desc.basespot = base;
  t.collision = t.drawn = {Block(-2.5, -3, 2.5, 0)};
  return t;
}

class WorldBuild : public ::testing::Test {
 protected:
  void SetUp() override {
    for (auto &k : pieceLibrary) k.clear();
    for (ttilerecord &t : worldRow) t = ttilerecord{};
    ResetGameState();
    Ending = tending{};
    weapons.assign(4, tweapon{});
    for (int i = 0; i < 4; ++i) weapons[i].iconrow = static_cast<uint8_t>(i + 4);
    basePos = {0, 0}, baseTileOffset = 0;
    SetFixedSeed(5);
  }
  void TearDown() override {
    SetFixedSeed(-1);
    for (auto &k : pieceLibrary) k.clear();
    weapons.clear();
    defenderList.clear();
  }
  void Library(double middleLeft, double middleRight, double baseLeft = 0, double baseRight = 0, double endOuter = 0) {
    pieceLibrary[2] = {Piece(2, endOuter, 0)};
    pieceLibrary[0] = {Piece(0, middleLeft, middleRight)};
    pieceLibrary[1] = {Piece(1, baseLeft, baseRight, {0.5, 0.1}, {-0.5, 0.2})};
    pieceLibrary[3] = {Piece(3, 0, endOuter)};
  }
  double GroundTop(int slot) { return worldRow[slot].collision[0].corner2.y; }
  // Everything the day's build lays down that the player would see.
  static std::vector<double> World() {
    std::vector<double> v = {basePos.x, basePos.y, baseTileOffset, heli.pos.x, heli.pos.y};
    for (const ttilerecord &t : worldRow)
      for (const tblkarray *list : {&t.collision, &t.drawn})
        for (const block &b : *list) v.insert(v.end(), {b.corner1.x, b.corner1.y, b.corner2.x, b.corner2.y});
    for (const tcrate &c : crateList) v.push_back(c.pos.x);
    for (const tpickup &p : pickupList) v.push_back(p.item);
    for (const tdefender &d : defenderList) v.push_back(d.pos.y);
    return v;
  }
};
}  // namespace

TEST_F(WorldBuild, FlatPiecesPutTheBaseAndPlayerOnTheirSpots) {
  Library(0, 0);
  ASSERT_TRUE(buildworld());
  placeplayer();
  EXPECT_EQ((std::vector<double>{basePos.x, basePos.y, Player.body.pos.x, Player.body.pos.y}),
            (std::vector<double>{-0.5, 0.2, 0.51, 0.1}));
  for (int s = 0; s < WORLD_SLOTS; ++s) {
    EXPECT_DOUBLE_EQ(worldRow[s].collision[0].corner1.x, 5.0 * (s - 7) - 2.5) << "slot " << s;
    EXPECT_DOUBLE_EQ(GroundTop(s), 0) << "slot " << s;
  }
  // No crates on the base tile, whatever the draws.
  for (const tcrate &c : crateList) EXPECT_GT(std::abs(c.pos.x), 2.5);
}

TEST_F(WorldBuild, RisingPiecesStepUpOneUnitPerTile) {
  Library(0, 1);
  ASSERT_TRUE(buildworld());
  for (int s = 1; s <= 6; ++s) EXPECT_DOUBLE_EQ(GroundTop(s), s - 1) << "slot " << s;
  EXPECT_DOUBLE_EQ(GroundTop(7), 6);  // the base continues from slot 6's right edge
  for (int s = 8; s <= 13; ++s) EXPECT_DOUBLE_EQ(GroundTop(s), s - 2) << "slot " << s;
  EXPECT_DOUBLE_EQ(basePos.y, 6.2);
}

// Summing every piece's rise up to and including the base would count the base's own right
// height and the left end's outer height: the player would start inside or above the ground.
TEST_F(WorldBuild, ThePlayerStartsOnTheBaseGroundWhateverItsEdgeHeights) {
  Library(0, 0.5, /*baseLeft*/ 0.3, /*baseRight*/ 1.2, /*endOuter*/ 0.8);
  ASSERT_TRUE(buildworld());
  placeplayer();
  // The base piece's ground top is at 0 in its own coordinates and start spot 0.1 above it.
  EXPECT_NEAR(Player.body.pos.y - GroundTop(7), 0.1, 1e-9);
  BeginDay();  // the day transition places the player the same way (no pieces on disk here)
  EXPECT_NEAR(Player.body.pos.y - GroundTop(7), 0.1, 1e-9);
  EXPECT_DOUBLE_EQ(CameraPos.y, Player.body.pos.y);
}

TEST_F(WorldBuild, CratesRaiseTheirSlotsPressureAndWeaponCratesOfferTheRightItems) {
  Library(0, 0);
  for (int seed = 1; seed < 40; ++seed) {
    SetFixedSeed(seed);
    for (double &w : Game.spawnweight) w = 0;
    ASSERT_TRUE(buildworld());
    double perSlot[WORLD_SLOTS] = {};
    for (const tcrate &c : crateList) perSlot[tileindex(c.pos.x) + 7] += 1.5;
    for (int s = 0; s < WORLD_SLOTS; ++s) EXPECT_DOUBLE_EQ(Game.spawnweight[s], perSlot[s]);
    EXPECT_EQ(pickupList.size() % 3, 0u);
    for (const tpickup &p : pickupList) {
      EXPECT_TRUE(p.item >= 1 && p.item <= 4) << p.item;  // the starting weapon is never offered
      EXPECT_EQ(p.iconrow, p.item == 4 ? 3 : p.item + 4);
    }
  }
  // With two weapons it is always weapon 1, or grenades.
  weapons.resize(2);
  pickupList.clear();
  for (int i = 0; i < 300; ++i) spawnweaponcrate({0, 0});
  int grenades = 0;
  for (const tpickup &p : pickupList) {
    EXPECT_TRUE(p.item == 1 || p.item == 2);
    grenades += p.item == 2;
  }
  EXPECT_NEAR(grenades / 300.0, 1 / 3.0, 0.08);
}

// A level folder lacking a kind of piece: the day's build changes nothing, so the world the
// player stands in stays whole, with its crates, base, defenders and the helicopter in flight.
TEST_F(WorldBuild, ALibraryLackingAKindKeepsThePreviousWorldWhole) {
  for (int lacking = 0; lacking < 4; ++lacking) {
    Library(0, 1, 0.3, 0.2);
    SetFixedSeed(9);
    ASSERT_TRUE(buildworld());
    Ending.heliActive = 1;
    heli.pos = {-3, 4};
    defenderList = {Defender(1, {3, 7})};
    const auto before = World();
    // The next day's pieces stand elsewhere and at other heights: any change would show.
    Library(0.5, 0, 0, 0.7, 0.4);
    for (auto &kind : pieceLibrary)
      for (ttilerecord &p : kind) p.collision = p.drawn = {Block(-2.4, -2, 2.4, 0.25)};
    pieceLibrary[lacking].clear();
    EXPECT_FALSE(buildworld()) << "kind " << lacking;
    EXPECT_EQ(World(), before) << "kind " << lacking;
  }
  Ending = tending{};
}

TEST_F(WorldBuild, DefendersDropOntoTheFirstSurfaceBelowTheBaseHeight) {
  Library(0, 0);
  worldRow[7].collision = {Block(-2.5, -3, 2.5, 0), Block(1, 3, 2, 3.5), Block(-2, 6, -1, 6.5)};
  basePos = {0, 0.2};
  defenderList = {Defender(1, {1.5, 9}), Defender(1, {-1.5, -2}), Defender(1, {0.2, 0}), Defender(0, {0.3, 4})};
  dropdefenders();
  // On the ledge met first going down; the ledge above 5.2 is out of the probe's reach; an
  // inactive one is left alone.
  const double heights[] = {3.5, 0, 0, 4};
  for (int i = 0; i < 4; ++i) EXPECT_DOUBLE_EQ(defenderList[i].pos.y, heights[i]) << i;
}

TEST_F(WorldBuild, TheHelicopterStartsLeftOfTheBaseAndRidesAlongWithIt) {
  Library(0, 0);
  basePos = {2, 1};
  startheli();
  EXPECT_TRUE(Ending.heliActive);
  EXPECT_EQ((std::vector<double>{heli.pos.x, heli.pos.y, heli.target.x, heli.target.y, double(heli.gunner.weapon)}),
            (std::vector<double>{-38, 3, 2, 2, 1}));
  EXPECT_GT(heli.gunner.aim, 0);  // faces the base, to its right
  heli.pos = {4, 3};
  ASSERT_TRUE(buildworld());  // the new base is at (-0.5, 0.2)
  EXPECT_TRUE(std::fabs(heli.pos.x - 1.5) < 1e-12 && std::fabs(heli.pos.y - (3 - 1 + 0.2)) < 1e-12)
      << heli.pos.x << " " << heli.pos.y;
}
