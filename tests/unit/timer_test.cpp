#include <gtest/gtest.h>

#include "platform/window.h"

namespace {
// A fake counter at 1 MHz: each read takes a microsecond, sleeping takes what was asked.
uint64_t fakeNow = 0;
int sleeps = 0;
uint64_t FakeCounter() { return fakeNow++; }
uint64_t FakeFrequency() { return 1000000; }
void FakeSleep(uint32_t us) {
  ++sleeps;
  fakeNow += us;
}

struct FakeClock {
  uint64_t (*counter)() = readPerformanceCounter;
  uint64_t (*frequency)() = readPerformanceFrequency;
  void (*sleep)(uint32_t) = sleepMicroseconds;
  FakeClock() {
    readPerformanceCounter = FakeCounter;
    readPerformanceFrequency = FakeFrequency;
    sleepMicroseconds = FakeSleep;
    fakeNow = 5000000;
    sleeps = 0;
    fixedFrameTime = 0;
    InitFrameTimer();
  }
  ~FakeClock() {
    readPerformanceCounter = counter;
    readPerformanceFrequency = frequency;
    sleepMicroseconds = sleep;
  }
};

double scale = 1.0;
double Frame(double realSeconds) {
  fakeNow += static_cast<uint64_t>(realSeconds * 1e6);
  return GetFrameTime(scale);
}
}  // namespace

TEST(FrameTimer, ClampScaleAndMinimum) {
  FakeClock clock;
  // A slow frame is clamped to 17 ms.
  EXPECT_DOUBLE_EQ(Frame(0.050), 0.017);
  // 15 ms passes as it is, without waiting.
  sleeps = 0;
  EXPECT_NEAR(Frame(0.015), 0.015, 1e-5);
  EXPECT_EQ(sleeps, 0);
  // A fast frame waits (by sleeping, not spinning) until 13 ms have passed and returns the real time.
  double dt = Frame(0.002);
  EXPECT_GE(dt, 0.013);
  EXPECT_LT(dt, 0.0145);
  EXPECT_GT(sleeps, 0);
  // Half speed and a real 20 ms frame: 0.0085 is below the minimum, so the real time comes back.
  scale = 0.5;
  EXPECT_NEAR(Frame(0.020), 0.020, 1e-5);
  // Between 0.765 and 1 only long frames are slowed: 16 ms at 0.9 is 14.4 ms.
  scale = 0.9;
  EXPECT_NEAR(Frame(0.016), 0.0144, 1e-5);
  // ... and a 30 ms frame at 0.9 is clamped first, then scaled: 15.3 ms.
  EXPECT_DOUBLE_EQ(Frame(0.030), 0.0153);
}

TEST(FrameTimer, FixedFrameTimeForScriptedRuns) {
  FakeClock clock;
  fixedFrameTime = 0.013;
  EXPECT_DOUBLE_EQ(Frame(0.5), 0.013);
  EXPECT_DOUBLE_EQ(Frame(0.0), 0.013);
  fixedFrameTime = 0;
}
