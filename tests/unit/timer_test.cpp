#include <gtest/gtest.h>

#include "platform/window.h"

namespace {
// A fake counter at 1 MHz: each read takes a microsecond, sleeping takes what was asked.
uint64_t fakeNow = 0;
int sleeps = 0;

struct FakeClock {
  uint64_t (*counter)() = readPerformanceCounter;
  uint64_t (*frequency)() = readPerformanceFrequency;
  void (*sleep)(uint32_t) = sleepMicroseconds;
  FakeClock() {
    readPerformanceCounter = [] { return fakeNow++; };
    readPerformanceFrequency = []() -> uint64_t { return 1000000; };
    sleepMicroseconds = [](uint32_t us) { ++sleeps, fakeNow += us; };
    fakeNow = 5000000;
    fixedFrameTime = 0;
    InitFrameTimer();
  }
  ~FakeClock() {
    readPerformanceCounter = counter, readPerformanceFrequency = frequency, sleepMicroseconds = sleep;
    fixedFrameTime = 0;
  }
  double Frame(double realSeconds, double scale = 1) {
    fakeNow += static_cast<uint64_t>(realSeconds * 1e6);
    sleeps = 0;
    return GetFrameTime(scale);
  }
};
}  // namespace

TEST(FrameTimer, ClampScaleAndMinimum) {
  FakeClock clock;
  // A slow frame is clamped to 17 ms, then scaled; a scaled time below the 13 ms minimum gives the real time back.
  const double frames[][3] = {
      {0.050, 1, 0.017}, {0.015, 1, 0.015}, {0.020, 0.5, 0.020}, {0.016, 0.9, 0.0144}, {0.030, 0.9, 0.0153}};
  for (const auto &f : frames) {
    EXPECT_NEAR(clock.Frame(f[0], f[1]), f[2], 1e-5) << f[0] << " at " << f[1];
    EXPECT_EQ(sleeps, 0);
  }
  // A fast frame waits (by sleeping, not spinning) until 13 ms have passed and returns the real time.
  double dt = clock.Frame(0.002);
  EXPECT_TRUE(dt >= 0.013 && dt < 0.0145 && sleeps > 0) << dt;
  // Scripted runs take a fixed frame time whatever the clock says.
  fixedFrameTime = 0.013;
  EXPECT_DOUBLE_EQ(clock.Frame(0.5), 0.013);
  EXPECT_DOUBLE_EQ(clock.Frame(0.0), 0.013);
}
