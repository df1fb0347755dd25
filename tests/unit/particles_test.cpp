#include "combat_world.h"
#include "game/particles.h"
#include "game/rules.h"

namespace {
class Particles : public CombatWorld {};
}  // namespace

TEST_F(Particles, OnlyInViewAndOnlyWhenWanted) {
  Options.particlesOff = 1;
  impactburst({{0, 0}, 'b', 0});
  EXPECT_TRUE(particleList.empty());
  Options.particlesOff = 0;
  // The view reaches 2.03 either side at the starting zoom.
  spawnparticle(PARTICLE_SPARK, 0, 2.04, 0.1, -10, 0, 0.01, 0.01);
  impactburst({{0, 0}, 'n', 0});
  EXPECT_TRUE(particleList.empty());
  impactburst({{0, 0}, 'b', 0});
  EXPECT_EQ(Active(particleList), 6);
}

TEST_F(Particles, ASparkLandingSquareOnABlockSticksAsASplat) {
  // Dropped over the middle of the ground block (its centre x): a landing, not a side contact.
  spawnparticle(PARTICLE_SPARK, 0, 0, 0.05, 0, 0, 0.005, 0.0125);
  const tparticle &spark = particleList[0];
  int frames = 0;
  for (; frames < 30 && spark.collides; ++frames) UpdateParticles();
  EXPECT_FALSE(spark.moving);
  EXPECT_DOUBLE_EQ(spark.size.x, 0.0025);
  EXPECT_DOUBLE_EQ(spark.size.y, 0.0125 / 8);
  EXPECT_NEAR(spark.body.pos.y, 0.25 * 0.0125, 1e-12) << "a quarter of its old half-height up";
  for (; spark.active && frames < 200; ++frames) UpdateParticles();
  EXPECT_NEAR(frames * 0.015, 1.0, 0.03) << "0.5 s of life and 0.5 s of fading";
}

TEST_F(Particles, SlotsAreReusedSoTheListStopsGrowing) {
  // A burst every 8 frames, 600 particles in all: the list holds only the peak alive at once.
  size_t early = 0;
  for (int round = 0; round < 100; ++round) {
    impactburst({{0, 0}, 'b', 0});
    for (int f = 0; f < 8; ++f) UpdateParticles();
    if (round == 30) early = particleList.size();
  }
  EXPECT_EQ(particleList.size(), early);
  EXPECT_LT(particleList.size(), 100u);
}

TEST_F(Particles, KnockedOffPartsFlyLengthwiseAndLieDown) {
  tguy guy = guys[0];
  EXPECT_EQ(HideTaggedParts(guy, 'a'), 3);
  EXPECT_EQ(HideTaggedParts(guy, 'a'), 5);
  EXPECT_EQ(HideTaggedParts(guy, 'a'), -1) << "no arm left: nothing changes";
  EXPECT_FALSE(guy.parts[3].visible);

  // The forearm is 0.0375 long and 0.012 wide: in flight its length lies along its way (the
  // second half-size), at rest along the ground.
  spawnpartparticle({0, 0.5}, {1, 0}, guy.parts[3]);
  const tparticle &p = particleList[0];
  EXPECT_NEAR(p.size.x, 0.006, 1e-12);
  EXPECT_NEAR(p.size.y, 0.01875, 1e-12);
  EXPECT_TRUE(p.moving);
  for (int f = 0; f < 110; ++f) UpdateParticles();
  ASSERT_TRUE(p.active);
  EXPECT_FALSE(p.moving);
  EXPECT_NEAR(p.size.x, 0.01875, 1e-12);
}
