// Figures: skeleton, animation and weapon files (byte-exact round trips and torn records of any
// size are the fuzz targets': fuzz_guy, fuzz_animation, fuzz_weapons), zombies' slots, and the
// animations played on a skeleton.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <tuple>

#include "actors/animation.h"
#include "actors/models.h"
#include "actors/skeleton.h"
#include "base/files.h"
#include "rig/figures.h"
#include "rig/rig.h"

namespace {

// A temporary data folder with no remembered skeleton from another test.
struct DataFolder : TempBase {
  DataFolder() { ForgetSkeletonCache(); }
  ~DataFolder() { ForgetSkeletonCache(); }
};

tguypart MakePart(int32_t id, int32_t parentid, double c) {
  return {1, {0.9, 0.5, 0.25, 0.75}, parentid, id, 30.0 + id, 'h', {-c, 0}, {c, 2 * c}, {0.5, -0.5}, {1, 2}};
}

tweaponfile MakeWeapon(const std::string &name) {
  tweaponfile r{};
  tweapon &w = r.weapon;
  w.rate = 10, w.speed = 20.5, w.noise = 3.5, w.pellets = 6, w.pickupammo = -7, w.pierce = 2, w.iconrow = 5;
  w.name = name, w.semiauto = 1, w.ejectonreload = 4;
  r.textureFile = "gun.tga", r.fireSoundFile = "bang.wav", r.reloadSoundFile = "click.wav";
  return r;
}

// Key frame k of a two-part animation: angles 10k and 20k, pivot (k, -k).
tframe Key(double time, double k) { return {time, {10 * k, 20 * k, k, -k}}; }
using Values = std::vector<double>;
const double DEGREES = 180 / M_PI;

void Step(tanidata &d, double time) {
  d.time = time;
  AdvanceAnimation(d);
}

class Animation : public ::testing::Test {
 protected:
  void SetUp() override {
    MaskFloatExceptions();
    guys = {Chain(2)};
    // 0: four key frames over a cycle of 2 s; 1: a single pose; 2: none (its file was missing); 3: written for a bigger
    // skeleton, then a short key frame.
    animations = {{{Key(0, 1), Key(0.5, 2), Key(1.0, 3), Key(1.5, 4)}, 2.0},
                  {{Key(0, 5)}, 1.0},
                  {{}, 1.0},
                  {{{0, {1, 2, 3, 4, 5, 6}}, {0.5, {7}}}, 1.0}};
  }
  void TearDown() override {
    guys.clear();
    animations.clear();
  }
};
}  // namespace

TEST(GuyFile, FieldPositionsAndLoadingScalesBlackensAndKeepsOldOnMissingFile) {
  std::vector<tguypart> parts = {MakePart(0, 0, 1), MakePart(1, 0, 2), MakePart(2, 1, 3)};
  parts[2].tag = '1';
  std::vector<uint8_t> bytes = EncodeGuyParts(parts);
  ASSERT_EQ(bytes.size(), 3 * GUYPART_RECORD_SIZE);
  EXPECT_EQ(GetI32(&bytes[256 + 44]), 2);  // the file's positions, not the compiler's
  EXPECT_EQ(bytes[256 + 56], '1');
  EXPECT_EQ(EncodeGuyParts(DecodeGuyParts(bytes.data(), bytes.size())), bytes);  // no field dropped on reading
  DataFolder data;
  bytes.resize(2 * GUYPART_RECORD_SIZE + 60, 0xAB);  // a torn third record
  data.dir.write("guys/standard.guy", bytes);
  tguy guy{};
  LoadGuy("standard", guy, 0.5);
  ASSERT_EQ(guy.parts.size(), 2u);
  const tguypart &p = guy.parts[1];
  EXPECT_EQ((std::vector<double>{p.corner1.x, p.corner2.y, p.offset.y, p.pivot.x}),
            (std::vector<double>{-1, 2, -0.25, 0.5}));
  EXPECT_EQ(p.angle, 31);  // angles are not lengths
  EXPECT_EQ((std::vector<double>(p.colour, p.colour + 4)), (std::vector<double>{0, 0, 0, 0.75}));
  LoadGuy("nobody", guy, 2.0);  // missing: left exactly as it was
  EXPECT_TRUE(guy.parts.size() == 2 && guy.parts[1].pivot.x == 0.5);
  data.dir.write("guys/empty.guy", std::vector<uint8_t>{});
  LoadGuy("empty", guy, 1.0);
  EXPECT_TRUE(guy.loaded == 1 && guy.parts.empty());
}

TEST(AnimationFile, LoadingScalesTimesAndRefusesDamage) {
  const tanim anim{{{0.0, {10, 20, 30, 0.5, -0.5}}, {0.5, {11, 21, 31, 0.25, -0.25}}}, 2.0};
  std::vector<uint8_t> bytes = EncodeAnimation(anim);
  ASSERT_EQ(bytes.size(), 8u * (1 + 2 * 6));
  // Not even the length, or a negative part count: refused, the target untouched.
  tanim back;
  back.length = 7;
  EXPECT_FALSE(DecodeAnimation(bytes.data(), 7, 3, back) || DecodeAnimation(bytes.data(), bytes.size(), -1, back));
  EXPECT_EQ(back.length, 7);
  DataFolder data;
  data.dir.write("animations/jump.ani", bytes);
  std::vector<uint8_t> still(8);
  PutF64(still.data(), 3.0);
  data.dir.write("animations/still.ani", still);
  data.dir.write("animations/stub.ani", std::vector<uint8_t>{1, 2, 3});
  tanim loaded;
  LoadAnimation("jump", 3, loaded, 0.125);
  EXPECT_EQ(loaded.length, 0.25);
  ASSERT_EQ(loaded.frames.size(), 2u);
  EXPECT_EQ(loaded.frames[1].time, 0.0625);
  EXPECT_EQ(loaded.frames[1].values, anim.frames[1].values);  // angles and pivot unscaled
  LoadAnimation("still", 3, loaded, 1.0);
  EXPECT_TRUE(loaded.length == 3.0 && loaded.frames.empty());
  for (const char *kept : {"stub", "missing"}) {
    LoadAnimation(kept, 3, loaded, 1.0);
    EXPECT_EQ(loaded.length, 3.0) << kept;
  }
}

TEST(WeaponFile, FieldPositionsAndNameLengths) {
  std::vector<tweaponfile> table = {MakeWeapon("pistol"), MakeWeapon("a shotgun")};
  table[1].weapon.pellets = 8;
  table[1].textureFile = "shot gun.jpg";
  std::vector<uint8_t> bytes = EncodeWeapons(table);
  ASSERT_EQ(bytes.size(), 2 * WEAPON_RECORD_SIZE);
  EXPECT_EQ(GetI32(&bytes[880 + 48]), 8);
  EXPECT_EQ(bytes[672], 6);
  EXPECT_EQ(bytes[876], 4);
  EXPECT_EQ(EncodeWeapons(DecodeWeapons(bytes.data(), bytes.size())), bytes);  // no field dropped on reading
  // The length byte rules: 5 means five characters whatever follows; one beyond the 200 bytes of room is damage, cut to
  // the room; a longer name is cut when written.
  bytes[672] = 5;
  EXPECT_EQ(DecodeWeapons(bytes.data(), bytes.size())[0].weapon.name, "pisto");
  bytes[672] = 250;
  std::fill(bytes.begin() + 673, bytes.begin() + 873, 'x');
  EXPECT_EQ(DecodeWeapons(bytes.data(), bytes.size())[0].weapon.name, std::string(200, 'x'));
  std::vector<uint8_t> longName = EncodeWeapons({MakeWeapon(std::string(300, 'y'))});
  EXPECT_EQ(DecodeWeapons(longName.data(), WEAPON_RECORD_SIZE)[0].weapon.name, std::string(200, 'y'));
}

TEST(CreateCharacter, SlotsAndSkeletonEntries) {
  DataFolder data;
  std::vector<tguypart> parts = {MakePart(0, 0, 1), MakePart(1, 0, 2), MakePart(2, 1, 1)};
  data.dir.write("guys/standard.guy", EncodeGuyParts(parts));
  enemies.clear();
  guys.assign(1, tguy{});
  LoadGuy("standard", guys[0], 0.075);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(CreateCharacter(i, 1), i);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(enemies[i].guy, i + 1);  // entry 0 is the player's
  const tenemy &e = enemies[2];
  EXPECT_EQ(e.anim.partcount, 3);
  EXPECT_TRUE(e.anim.rates.size() == 5u && e.anim.from.values.size() == 5u && e.anim.target.values.size() == 5u);
  EXPECT_DOUBLE_EQ(guys[e.guy].parts[1].corner2.y, 4 * 0.075);
  // A dead zombie's slot is reused with its own skeleton entry, restored whole.
  enemies[3].active = 0;
  guys[enemies[3].guy].parts[2].visible = 0;  // an arm shot off
  enemies[3].body.accel = {5, 5}, enemies[3].damage = 2;
  EXPECT_EQ(CreateCharacter(7, 8), 3);
  EXPECT_TRUE(enemies[3].guy == 4 && guys[4].parts[2].visible == 1);
  EXPECT_TRUE(enemies[3].body.accel.x == 0 && enemies[3].damage == 0);
  EXPECT_EQ(CreateCharacter(0, 0), 5);  // all active: appended
  enemies.clear();
  guys.clear();
}

TEST_F(Animation, AdvanceMovesOneKeyFrameAndWraps) {
  tanidata d = PoseState(2, 0);
  d.target = {0.5, Key(0, 1).values};
  Step(d, 0.5);  // exactly the duration is not past it
  EXPECT_TRUE(d.frame == 0 && d.time == 0.5);
  Step(d, 100);  // far past it: still one key frame, the excess dropped
  EXPECT_TRUE(d.frame == 1 && d.time == 0);
  EXPECT_EQ(d.target.values, Key(0, 2).values);
  EXPECT_EQ(d.rates, (Values{20, 40, 2, -2}));  // (key 2 - key 1) / 0.5
  // Frames 2, 3, then 0; finished only on the step that lands on 0, which lasts the length 2 minus the last stamp 1.5.
  for (int expected : {2, 3, 0}) {
    Step(d, 0.6);
    EXPECT_EQ(d.frame, expected);
    EXPECT_EQ(d.finished, expected == 0 ? 1 : 0);
  }
  EXPECT_DOUBLE_EQ(d.target.time, 0.5);
  Step(d, 0);  // the next call clears finished whether or not it moves
  EXPECT_EQ(d.finished, 0);
  // An animation without key frames is never advanced; nor is an index naming none.
  for (int anim : {2, 9}) {
    tanidata empty = PoseState(2, anim);
    Step(empty, 5);
    EXPECT_EQ(empty.time, 5) << anim;
  }
}

TEST_F(Animation, SetAnimationBlendsFromTheCurrentPose) {
  tanidata d = PoseState(2, 1);
  d.time = 0.3;
  d.target.time = 0.7;
  // Already playing, past the last index, negative, no key frames, or a skeleton naming nothing: nothing changes.
  for (auto [anim, guy] : std::vector<std::pair<int, int>>{{1, 0}, {4, 0}, {-1, 0}, {2, 0}, {0, 7}}) {
    SetAnimation(d, anim, guy, 0.2, 0, 0);
    EXPECT_TRUE(d.anim == 1 && d.time == 0.3 && d.target.time == 0.7) << anim << " " << guy;
  }
  guys[0].parts[0].pivot = {3, 4};
  SetAnimation(d, 0, 0, 0.2, 0, 0);
  EXPECT_TRUE(d.anim == 0 && d.time == 0);
  EXPECT_EQ(d.from.values, (Values{100, 101, 3, 4}));
  EXPECT_EQ(d.target.values, Key(0, 1).values);
  EXPECT_DOUBLE_EQ(d.target.time, 0.2);
  EXPECT_DOUBLE_EQ(d.rates[0], (10 - 100) / 0.2);
  // Without sync, a blend of 0 gives infinite rates that the next advance replaces.
  d.anim = 1;
  SetAnimation(d, 0, 0, 0.0, 0, 0);
  Step(d, 0.016);
  EXPECT_EQ(d.frame, 1);
  for (double r : d.rates) EXPECT_TRUE(std::isfinite(r));
}

TEST_F(Animation, ApplyPoseAndMismatchedSizes) {
  tanidata d = PoseState(2, 0);
  d.from.values = {10, 20, 1, -1};
  d.rates = {4, -8, 2, 6};
  d.time = 0.25;
  ApplyPose(guys[0], d);
  const tguypart &p0 = guys[0].parts[0], &p1 = guys[0].parts[1];
  EXPECT_EQ((Values{p0.angle, p1.angle, p0.pivot.x, p0.pivot.y}), (Values{11, 18, 1.5, 0.5}));
  EXPECT_DOUBLE_EQ(p1.pivot.x, 0);  // only part 0's pivot is animated
  // Animation 3 has six values then one: the short key frame holds the parts it lacks.
  d = PoseState(2, 0);
  SetAnimation(d, 3, 0, 0.5, 0, 0);
  EXPECT_EQ(d.target.values, (Values{1, 2, 3, 4}));
  Step(d, 1);
  EXPECT_EQ(d.target.values, (Values{7, 2, 3, 4}));
  EXPECT_EQ(d.rates[1], 0);
}

TEST_F(Animation, AimLimbBendsTheFirstVisibleTaggedPart) {
  // 0 root turned 10, 1 upper arm, 2 forearm tagged '1', 3 another '1' on the same upper arm.
  tguy copy = Chain(3);
  copy.parts[0].angle = 10;
  copy.parts.push_back(copy.parts[2]);
  copy.parts[3].id = 3;
  copy.parts[3].angle = 55;
  // Each row aims at 40 and gives parts 1, 2 and 3's angles after it (NAN: any). Reach 2 is a straight limb, the lower
  // bone along the upper one; reach 1 puts the limb at twice, and the parent at, half the bend either way by facing and
  // flip; beyond the bones' span the limb is straight (or folded).
  const double half = std::acos(0.5) * DEGREES;
  // {part 2 hidden, tag, flip, reach, facing, angles}
  const std::tuple<bool, char, uint8_t, double, uint8_t, std::array<double, 3>> cases[] = {
      {false, '1', 0, 2.0, 0, {-40 - 10, 0, 55}},  // only the lower-indexed one
      {false, '1', 0, 1.0, 1, {40 - 10 + half, -2 * half, 55}},
      {false, '1', 1, 1.0, 1, {40 - 10 - half, 2 * half, 55}},
      {false, '1', 1, 1.0, 0, {-40 - 10 + half, -2 * half, 55}},
      {true, '1', 0, 2.0, 0, {NAN, 102, 0}},    // a hidden tagged part is passed over for the next visible one
      {false, '2', 0, 1.0, 0, {101, 102, 55}},  // no such tag does nothing
      {false, '1', 0, 3.0, 0, {NAN, 0, 55}},
      {false, '1', 0, -5.0, 0, {NAN, 360, 55}},
      {false, '1', 0, -1.8, 0, {NAN, 2 * std::acos(-0.9) * DEGREES, 55}}};  // the grenade throw's folded arm
  for (const auto &[hide2, tag, flip, reach, facing, angles] : cases) {
    tguy g = copy;
    g.parts[2].visible = !hide2;
    AimLimb(g, tag, flip, 40, reach, facing);
    for (int k = 0; k < 3; ++k)
      EXPECT_TRUE(std::isnan(angles[k]) || std::fabs(g.parts[k + 1].angle - angles[k]) < 1e-9)
          << "part " << k + 1 << " aiming " << tag << " flip " << int(flip) << " reach " << reach;
  }
  AimLimb(copy, '1', 0, 40, NAN, 0);
  EXPECT_TRUE(std::isfinite(copy.parts[1].angle) && std::isfinite(copy.parts[2].angle));
}

TEST(SkeletonWalk, TraversalOfHiddenPartsAndDamagedLinks) {
  auto part = [](int id, int parent, uint8_t visible) {
    tguypart p{};
    p.visible = visible, p.id = id, p.parentid = parent;
    return p;
  };
  tguy g{};
  g.parts = {part(0, 0, 1), part(1, 0, 0), part(2, 1, 1), part(5, 5, 0), part(6, 5, 1)};
  g.parts[0].angle = 90, g.parts[0].pivot = {1, 0}, g.parts[0].offset = {0, 2};
  g.parts[1].offset = {1, 0};
  std::vector<std::pair<int, bool>> order;
  std::vector<tvector> origins;
  WalkSkeleton(g, [&](int i, const tplacement &m, bool transparent) {
    order.push_back({i, transparent});
    origins.push_back(PlacePoint(m, {0, 0}));
  });
  // The hidden root 3 and its child 4 are not drawn; hidden 1 is, transparent, with its child.
  EXPECT_EQ(order, (std::vector<std::pair<int, bool>>{{0, false}, {1, true}, {2, false}}));
  // T(-pivot) R(90) T(offset) takes part 0's origin to (-3, 0); part 1's offset, turned with it, lands one unit up.
  EXPECT_LT(vecdistance(origins[0], {-3, 0}, false) + vecdistance(origins[1], {-3, 1}, false), 1e-12);
  // Damaged files: a loop of parent links, and many parts sharing ids that would fan out exponentially, both end within
  // the visit limit.
  size_t visits = 0;
  auto count = [&](int, const tplacement &, bool) { ++visits; };
  g.parts = {part(0, 0, 1), part(1, 0, 1), part(0, 1, 1), part(1, 1, 1)};
  WalkSkeleton(g, count);
  EXPECT_TRUE(visits > 0 && visits <= 8 * g.parts.size() + 64) << visits;
  g.parts.clear();
  for (int level = 0; level < 40; ++level)
    for (int k = 0; k < 3; ++k) g.parts.push_back(part(level, level == 0 ? 0 : level - 1, 1));
  visits = 0;
  WalkSkeleton(g, count);
  EXPECT_LE(visits, 8 * g.parts.size() + 64);
}
