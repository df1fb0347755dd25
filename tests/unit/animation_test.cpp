#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <tuple>

#include "actors/animation.h"
#include "actors/skeleton.h"
#include "rig/figures.h"

namespace {

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
