#include "combat_world.h"
#include "game/combat.h"
#include "game/particles.h"
#include "game/rules.h"

namespace {
class Particles : public CombatWorld {};
}  // namespace

TEST_F(Particles, OnlyInViewAndOnlyWhenWanted) {
  Options.particlesOff = 1;
  impactburst({{0, 0}, 'b', 0});
  Explode({0, 0.2}, false, 0.6, 3);
  EXPECT_TRUE(particleList.empty());

  Options.particlesOff = 0;
  // The view is 2.03 wide either side at the starting zoom: just outside nothing is made,
  // whatever its velocity.
  spawnparticle(PARTICLE_SPARK, 0, 2.04, 0.1, -10, 0, 0.01, 0.01);
  EXPECT_TRUE(particleList.empty());
  impactburst({{0, 0}, 'n', 0});
  EXPECT_TRUE(particleList.empty()) << "no surface, no burst";
  impactburst({{0, 0}, 'b', 0});
  EXPECT_EQ(ActiveCount(particleList), 6);
  for (const tparticle &p : particleList) EXPECT_GE(p.body.vel.y, 0) << "off an upward surface";
}

TEST_F(Particles, SparksStickAsSplatsCasesBounceSmokeDrifts) {
  // A spark falls onto flat ground, sticks and flattens a quarter of its half-height above it.
  spawnparticle(PARTICLE_SPARK, 0, 0, 0.05, 0, 0, 0.005, 0.0125);
  tparticle &spark = particleList[0];
  int frames = 0;
  for (; frames < 30 && spark.collides; ++frames) UpdateParticles();
  EXPECT_FALSE(spark.collides);
  EXPECT_FALSE(spark.moving);
  EXPECT_DOUBLE_EQ(spark.size.x, 0.0025);
  EXPECT_DOUBLE_EQ(spark.size.y, 0.0125 / 8);
  EXPECT_NEAR(spark.body.pos.y, 0.25 * 0.0125, 1e-12);
  const tvector stuck = spark.body.pos;
  // It stays until 0.5 s after creation, then fades for 0.5 s.
  while (spark.active && frames < 200) {
    UpdateParticles();
    ++frames;
    EXPECT_DOUBLE_EQ(spark.body.pos.y, stuck.y);
  }
  EXPECT_NEAR(frames * 0.015, 1.0, 0.03);

  // A case landing at -3 leaves at +1.5 with three quarters of its sideways speed.
  spawnparticle(PARTICLE_CASE, 5, 0, 0.004, 1, -3, 0.0125, 0.005);
  tparticle &c = particleList[0];
  ASSERT_TRUE(c.active) << "the spark's slot is reused";
  LooseObjectStep(c);
  EXPECT_NEAR(c.body.vel.y, 1.5, 0.1);
  EXPECT_NEAR(c.body.vel.x, 0.75, 0.01);

  // Smoke goes through blocks and lives 1.5 s in all.
  Wall(-0.5, 0.2, 0.5, 0.6);
  spawnparticle(PARTICLE_SMOKE, 7, 0, 0.3, 0.1, 0, 0.1, 0.1);
  tparticle &smoke = particleList[1];
  int smokeFrames = 0;
  while (smoke.active && smokeFrames < 200) {
    LooseObjectStep(smoke);
    ++smokeFrames;
  }
  EXPECT_NEAR(smokeFrames * 0.015, 1.5, 0.03);
}

TEST_F(Particles, SlotsAreReusedSoTheListStopsGrowing) {
  // A burst every 8 frames, 600 particles made in all: the list holds only the peak alive at
  // once, reached within the first two seconds.
  size_t early = 0;
  for (int round = 0; round < 100; ++round) {
    impactburst({{0, 0}, 'b', 0});
    for (int f = 0; f < 8; ++f) UpdateParticles();
    if (round == 30) early = particleList.size();
  }
  EXPECT_EQ(particleList.size(), early);
  EXPECT_LT(particleList.size(), 100u);
}

TEST_F(Particles, KnockedOffPartsFlyLengthwise) {
  tguy guy = guys[0];
  const int arm = HideTaggedParts(guy, 'a');
  ASSERT_EQ(arm, 3) << "the first visible arm part";
  EXPECT_FALSE(guy.parts[3].visible);
  EXPECT_EQ(HideTaggedParts(guy, 'a'), 5);
  EXPECT_EQ(HideTaggedParts(guy, 'a'), -1) << "no arm left: nothing changes";
  EXPECT_EQ(HideTaggedParts(guy, 'x'), -1);

  // The forearm is 0.0375 long and 0.012 wide: flying along x, its length lies along x.
  spawnpartparticle({0, 0.5}, {1, 0}, guy.parts[arm]);
  const tparticle &p = particleList[0];
  EXPECT_NEAR(p.size.x, 0.16 * 0.075 / 2, 1e-12);
  EXPECT_NEAR(p.size.y, 0.5 * 0.075 / 2, 1e-12);
  EXPECT_TRUE(p.moving) << "drawn turned along its flight, the second half-size lengthwise";

  // Come to rest on the ground it lies flat instead of standing on end.
  for (int f = 0; f < 110; ++f) UpdateParticles();
  ASSERT_TRUE(particleList[0].active);
  EXPECT_FALSE(particleList[0].moving);
  EXPECT_NEAR(particleList[0].size.x, 0.5 * 0.075 / 2, 1e-12);
  EXPECT_NEAR(particleList[0].body.pos.y, particleList[0].size.y, 0.01);
}
