// The rules' own transcendental functions against the C library: within 2 ulp over sweeps of
// the ranges the game uses and beyond, and exact at the edges.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "base/fmath.h"

namespace {

// How many doubles lie between a and b.
int64_t UlpsApart(double a, double b) {
  auto ordered = [](double v) {
    int64_t i;
    std::memcpy(&i, &v, 8);
    return i < 0 ? std::numeric_limits<int64_t>::min() - i : i;
  };
  const int64_t d = ordered(a) - ordered(b);
  return d < 0 ? -d : d;
}

struct tfunction {
  const char *name;
  double (*ours)(double);
  double (*library)(double);
  double from, to;  // the sweep
};

const tfunction kFunctions[] = {
    {"sin", fmath::sine, ::sin, -40, 40},       {"cos", fmath::cosine, ::cos, -40, 40},
    {"sin", fmath::sine, ::sin, -1.5e6, 1.5e6}, {"cos", fmath::cosine, ::cos, -1.5e6, 1.5e6},
    {"atan", fmath::arctan, ::atan, -4, 4},     {"atan", fmath::arctan, ::atan, -1e5, 1e5},
    {"acos", fmath::arccos, ::acos, -1, 1},
};

}  // namespace

TEST(Fmath, WithinTwoUlpOfTheLibraryOverSweeps) {
  constexpr int STEPS = 200000;
  for (const tfunction &f : kFunctions) {
    int64_t worst = 0;
    double at = 0;
    for (int i = 0; i <= STEPS; ++i) {
      // An uneven step, so the sweep does not fall on multiples of pi/2.
      const double x = f.from + (f.to - f.from) * (i + 0.318309886 * (i % 7)) / (STEPS + 3);
      const int64_t d = UlpsApart(f.ours(x), f.library(x));
      if (d > worst) worst = d, at = x;
    }
    EXPECT_LE(worst, 2) << f.name << " over [" << f.from << ", " << f.to << "] at " << at;
  }
}

TEST(Fmath, EdgeCases) {
  const double inf = std::numeric_limits<double>::infinity(), nan = std::nan(""), pi = M_PI;
  const double args[] = {0.0,  -0.0, pi,   -pi,    pi / 2,  -pi / 2, pi / 4, 1e6,   -1e6, 1.0,
                         -1.0, 0.5,  -0.5, 1e-300, 0x1p-27, 0.0625,  2.0625, 1e300, 1.5e6};
  for (const tfunction &f : kFunctions) {
    for (double x : args) {
      if (std::fabs(x) > 1 && f.library == ::acos) continue;
      if (std::fabs(x) > 1.6e6 && (f.library == ::sin || f.library == ::cos)) {
        EXPECT_LE(std::fabs(f.ours(x)), 1.0) << f.name << "(" << x << ") stays a sine";
        continue;
      }
      EXPECT_LE(UlpsApart(f.ours(x), f.library(x)), 2) << f.name << "(" << x << ")";
      EXPECT_EQ(std::signbit(f.ours(x)), std::signbit(f.library(x))) << f.name << "(" << x << ")";
    }
    EXPECT_TRUE(std::isnan(f.ours(nan))) << f.name;
  }
  EXPECT_TRUE(std::isnan(fmath::sine(inf)) && std::isnan(fmath::cosine(-inf)) && std::isnan(fmath::arccos(1.5)));
  EXPECT_EQ(fmath::arctan(inf), pi / 2);
  EXPECT_EQ(fmath::arctan(-inf), -pi / 2);
  EXPECT_EQ(fmath::arccos(-1), pi);
  EXPECT_EQ(fmath::arccos(1), 0.0);
  EXPECT_EQ(fmath::cosine(0), 1.0);
}
