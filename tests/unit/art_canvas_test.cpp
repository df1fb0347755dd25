// The drawing additions of the content canvas.
#include <gtest/gtest.h>

#include <cmath>

#include "contentc/canvas.h"

TEST(ArtCanvas, TranslucentStrokesCoverOnceAndBleedingGivesClearPixelsTheirNeighboursColour) {
  Canvas c(40, 40);  // a stroke with a sharp bend keeps one alpha where its segments overlap
  c.stroke({{5, 20}, {30, 20}, {10, 30}}, 6, {1, 0, 0, 0.5});
  EXPECT_NEAR(c.get(29, 20).a, 0.5, 1e-9);
  EXPECT_NEAR(c.get(15, 20).a, 0.5, 1e-9);

  Canvas b(16, 8, {0, 0, 0, 0});
  b.fillRect(0, 0, 4, 8, {1, 0.5, 0, 1});
  b.fillRect(12, 0, 16, 8, {0, 0, 1, 1});
  b.bleedColour();
  EXPECT_TRUE(b.get(5, 3).a == 0 && b.get(5, 3).r == 1 && b.get(5, 3).g == 0.5 && b.get(11, 3).b == 1);
  Canvas empty(4, 4, {0.3, 0.3, 0.3, 0});  // nothing visible: nothing changes, and it ends
  empty.bleedColour();
  EXPECT_EQ(empty.get(2, 2).r, 0.3);
}

TEST(ArtCanvas, TileNoiseRepeatsOnItsPeriods) {
  double diff = 0;
  for (double x = -3.3; x < 5; x += 0.37)
    for (double y = -2.1; y < 5; y += 0.41) {
      double n = TileNoise(x, y, 3, 5, 42);
      EXPECT_TRUE(n >= 0 && n <= 1);
      EXPECT_NEAR(n, TileNoise(x + 3, y, 3, 5, 42), 1e-9);
      EXPECT_NEAR(n, TileNoise(x, y + 5, 3, 5, 42), 1e-9);
      EXPECT_NEAR(TileFbm(x, y, 3, 5, 4, 7), TileFbm(x + 3, y - 5, 3, 5, 4, 7), 1e-9);
      diff += std::fabs(n - TileNoise(x, y, 3, 5, 43));
    }
  EXPECT_GT(diff, 10);  // another seed, other noise
}
