#include <gtest/gtest.h>

#include <cmath>

#include "actors/animation.h"
#include "actors/skeleton.h"
#include "rig/figures.h"

namespace {

// Key frame k of a two-part animation: angles 10k and 20k, pivot (k, -k).
tframe Key(double time, double k) { return {time, {10 * k, 20 * k, k, -k}}; }

const double DEGREES = 57.29577951308232;

class Animation : public ::testing::Test {
 protected:
  void SetUp() override {
    MaskFloatExceptions();
    guys = {Chain(2)};
    animations.assign(4, tanim{});
    // 0: four key frames over a cycle of 2 s; 1: a single pose; 2: none (its file was
    // missing); 3: written for a bigger skeleton, then a short key frame.
    animations[0] = {{Key(0, 1), Key(0.5, 2), Key(1.0, 3), Key(1.5, 4)}, 2.0};
    animations[1] = {{Key(0, 5)}, 1.0};
    animations[2] = {{}, 1.0};
    animations[3] = {{{0, {1, 2, 3, 4, 5, 6}}, {0.5, {7}}}, 1.0};
  }
  void TearDown() override {
    guys.clear();
    animations.clear();
  }
};

}  // namespace

TEST_F(Animation, AdvanceMovesOneKeyFrameAndWraps) {
  tanidata d = PoseState(2, 0);
  d.target.values = Key(0, 1).values;
  d.target.time = 0.5;
  // Exactly the duration is not past it.
  d.time = 0.5;
  AdvanceAnimation(d);
  EXPECT_EQ(d.frame, 0);
  EXPECT_EQ(d.time, 0.5);
  // Far past it: still one key frame, the excess dropped.
  d.time = 100;
  AdvanceAnimation(d);
  EXPECT_EQ(d.frame, 1);
  EXPECT_EQ(d.time, 0);
  EXPECT_EQ(d.from.values, Key(0, 1).values);
  EXPECT_EQ(d.target.values, Key(0, 2).values);
  EXPECT_DOUBLE_EQ(d.rates[0], 20);  // (20 - 10) / 0.5
  EXPECT_DOUBLE_EQ(d.rates[3], -2);  // (-2 - -1) / 0.5
  // Frames 2, 3, then 0; finished only on the step that lands on 0.
  for (int expected : {2, 3, 0}) {
    d.time = 0.6;
    AdvanceAnimation(d);
    EXPECT_EQ(d.frame, expected);
    EXPECT_EQ(d.finished, expected == 0 ? 1 : 0);
  }
  EXPECT_DOUBLE_EQ(d.target.time, 0.5);  // length 2 minus the last stamp 1.5
  d.time = 0;
  AdvanceAnimation(d);  // the next call clears finished whether or not it moves
  EXPECT_EQ(d.finished, 0);

  // An animation without key frames is never advanced; nor is an index naming none.
  for (int anim : {2, 9}) {
    tanidata empty = PoseState(2, anim);
    empty.time = 5;
    AdvanceAnimation(empty);
    EXPECT_EQ(empty.time, 5) << anim;
  }
}

TEST_F(Animation, SetAnimationBlendsFromTheCurrentPose) {
  tanidata d = PoseState(2, 1);
  d.time = 0.3;
  d.target.time = 0.7;
  // Already playing, past the last index, negative, or no key frames: nothing changes.
  for (int anim : {1, 4, -1, 2}) {
    SetAnimation(d, anim, 0, 0.2, 0, 0);
    EXPECT_EQ(d.anim, 1);
    EXPECT_EQ(d.time, 0.3);
    EXPECT_EQ(d.target.time, 0.7);
  }
  SetAnimation(d, 0, 7, 0.2, 0, 0);  // a skeleton index naming nothing
  EXPECT_EQ(d.anim, 1);

  guys[0].parts[0].pivot = {3, 4};
  SetAnimation(d, 0, 0, 0.2, 0, 0);
  EXPECT_EQ(d.anim, 0);
  EXPECT_EQ(d.time, 0);
  EXPECT_EQ(d.from.values, (std::vector<double>{100, 101, 3, 4}));
  EXPECT_EQ(d.target.values, Key(0, 1).values);
  EXPECT_DOUBLE_EQ(d.target.time, 0.2);
  EXPECT_DOUBLE_EQ(d.rates[0], (10 - 100) / 0.2);

  // Joining in step at a random key frame: from it to the next, lasting the next one's stamp.
  randomState = 12345;
  for (int tries = 0; tries < 20; ++tries) {
    d.anim = 1;
    SetAnimation(d, 0, 0, 0.2, 1, 1);
    ASSERT_GE(d.frame, 0);
    ASSERT_LE(d.frame, 3);
    int next = (d.frame + 1) % 4;
    EXPECT_EQ(d.from.values, animations[0].frames[d.frame].values);
    EXPECT_EQ(d.target.values, animations[0].frames[next].values);
    EXPECT_EQ(d.target.time, animations[0].frames[next].time);
  }
  // Without sync, a blend of 0 gives infinite rates that the next advance replaces.
  d.anim = 1;
  SetAnimation(d, 0, 0, 0.0, 0, 0);
  d.time = 0.016;
  AdvanceAnimation(d);
  EXPECT_EQ(d.frame, 1);
  for (double r : d.rates) EXPECT_TRUE(std::isfinite(r));
}

TEST_F(Animation, ApplyPoseAndMismatchedSizes) {
  tanidata d = PoseState(2, 0);
  d.from.values = {10, 20, 1, -1};
  d.rates = {4, -8, 2, 6};
  d.time = 0.25;
  ApplyPose(guys[0], d);
  EXPECT_DOUBLE_EQ(guys[0].parts[0].angle, 11);
  EXPECT_DOUBLE_EQ(guys[0].parts[1].angle, 18);
  EXPECT_DOUBLE_EQ(guys[0].parts[0].pivot.x, 1.5);
  EXPECT_DOUBLE_EQ(guys[0].parts[0].pivot.y, 0.5);
  EXPECT_DOUBLE_EQ(guys[0].parts[1].pivot.x, 0);  // only part 0's pivot is animated

  // Animation 3 has six values then one: the short key frame holds the parts it lacks.
  d = PoseState(2, 0);
  SetAnimation(d, 3, 0, 0.5, 0, 0);
  EXPECT_EQ(d.target.values, (std::vector<double>{1, 2, 3, 4}));
  d.time = 1;
  AdvanceAnimation(d);
  EXPECT_EQ(d.target.values, (std::vector<double>{7, 2, 3, 4}));
  EXPECT_EQ(d.rates[1], 0);
}

TEST_F(Animation, AimLimbBendsTheFirstVisibleTaggedPart) {
  // 0 root, 1 upper arm, 2 forearm tagged '1', 3 another '1' on the same upper arm.
  tguy g = Chain(3);
  g.parts[0].angle = 10;
  tguypart spare = g.parts[2];
  spare.id = 3;
  spare.angle = 55;
  g.parts.push_back(spare);
  const tguy copy = g;

  // reach 2 gives a straight limb: the lower bone along the upper one.
  AimLimb(g, '1', 0, 40, 2.0, 0);
  EXPECT_DOUBLE_EQ(g.parts[2].angle, 0);
  EXPECT_DOUBLE_EQ(g.parts[1].angle, -40 - 10);
  EXPECT_DOUBLE_EQ(g.parts[3].angle, 55);  // only the lower-indexed one

  // Reach 1 under each facing and flip: the limb angle and the parent's a +- half.
  const double half = std::acos(0.5) * DEGREES;
  const struct {
    uint8_t flip, facing;
    double limb, parent;
  } table[] = {{0, 1, -2 * half, 40 - 10 + half},
               {1, 1, 2 * half, 40 - 10 - half},
               {1, 0, -2 * half, -40 - 10 + half}};
  for (const auto &t : table) {
    g = copy;
    AimLimb(g, '1', t.flip, 40, 1.0, t.facing);
    EXPECT_DOUBLE_EQ(g.parts[2].angle, t.limb) << int(t.flip) << int(t.facing);
    EXPECT_DOUBLE_EQ(g.parts[1].angle, t.parent) << int(t.flip) << int(t.facing);
  }

  // A hidden tagged part is passed over for the next visible one; no such tag does nothing.
  g = copy;
  g.parts[2].visible = 0;
  AimLimb(g, '1', 0, 40, 2.0, 0);
  EXPECT_DOUBLE_EQ(g.parts[2].angle, 102);
  EXPECT_DOUBLE_EQ(g.parts[3].angle, 0);
  g = copy;
  AimLimb(g, '2', 0, 40, 1.0, 0);
  EXPECT_DOUBLE_EQ(g.parts[1].angle, 101);

  // Beyond the bones' span the limb is straight (or folded), never not-a-number.
  g = copy;
  AimLimb(g, '1', 0, 40, 3.0, 0);
  EXPECT_DOUBLE_EQ(g.parts[2].angle, 0);
  AimLimb(g, '1', 0, 40, -5.0, 0);
  EXPECT_DOUBLE_EQ(g.parts[2].angle, 360);
  AimLimb(g, '1', 0, 40, NAN, 0);
  EXPECT_TRUE(std::isfinite(g.parts[1].angle));
  AimLimb(g, '1', 0, 40, -1.8, 0);  // the grenade throw's folded arm
  EXPECT_NEAR(g.parts[2].angle, 2 * std::acos(-0.9) * DEGREES, 1e-9);
}

TEST(SkeletonWalk, TraversalOfHiddenPartsAndDamagedLinks) {
  auto part = [](int id, int parent, uint8_t visible) {
    tguypart p{};
    p.visible = visible;
    p.id = id;
    p.parentid = parent;
    return p;
  };
  tguy g{};
  g.parts = {part(0, 0, 1), part(1, 0, 0), part(2, 1, 1), part(5, 5, 0), part(6, 5, 1)};
  g.parts[0].angle = 90;
  g.parts[0].pivot = {1, 0};
  g.parts[0].offset = {0, 2};
  g.parts[1].offset = {1, 0};
  std::vector<int> order;
  std::vector<bool> clear;
  std::vector<tvector> origins;
  WalkSkeleton(g, [&](int i, const tplacement &m, bool transparent) {
    order.push_back(i);
    clear.push_back(transparent);
    origins.push_back(PlacePoint(m, {0, 0}));
  });
  // The hidden root 3 and its child 4 are not drawn; hidden 1 is, transparent, with its child.
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(clear, (std::vector<bool>{false, true, false}));
  // T(-pivot) R(90) T(offset) takes part 0's origin to (-3, 0); part 1's offset, turned with
  // it, lands one unit up.
  EXPECT_NEAR(origins[0].x, -3, 1e-12);
  EXPECT_NEAR(origins[0].y, 0, 1e-12);
  EXPECT_NEAR(origins[1].x, -3, 1e-12);
  EXPECT_NEAR(origins[1].y, 1, 1e-12);

  // Damaged files: a loop of parent links, and many parts sharing ids that would fan out
  // exponentially, both end within the visit limit.
  size_t visits = 0;
  auto count = [&](int, const tplacement &, bool) { ++visits; };
  g.parts = {part(0, 0, 1), part(1, 0, 1), part(0, 1, 1), part(1, 1, 1)};
  WalkSkeleton(g, count);
  EXPECT_GT(visits, 0u);
  EXPECT_LE(visits, 8 * g.parts.size() + 64);
  g.parts.clear();
  for (int level = 0; level < 40; ++level)
    for (int k = 0; k < 3; ++k) g.parts.push_back(part(level, level == 0 ? 0 : level - 1, 1));
  visits = 0;
  WalkSkeleton(g, count);
  EXPECT_LE(visits, 8 * g.parts.size() + 64);
}
