#include <SDL.h>

#include <chrono>
#include <thread>

#include "platform/window.h"

double frameTime = 0;
double fixedFrameTime = 0;

static uint64_t RealCounter() { return SDL_GetPerformanceCounter(); }
static uint64_t RealFrequency() { return SDL_GetPerformanceFrequency(); }
static void RealSleep(uint32_t us) { std::this_thread::sleep_for(std::chrono::microseconds(us)); }

uint64_t (*readPerformanceCounter)() = RealCounter;
uint64_t (*readPerformanceFrequency)() = RealFrequency;
void (*sleepMicroseconds)(uint32_t) = RealSleep;

static uint64_t counterFrequency = 1;
static uint64_t previousCounter = 0;

void InitFrameTimer() {
  counterFrequency = readPerformanceFrequency();
  previousCounter = readPerformanceCounter();
}

static double Elapsed(uint64_t now) {
  return static_cast<double>(now - previousCounter) / static_cast<double>(counterFrequency);
}

double GetFrameTime(double scale) {
  if (fixedFrameTime > 0) {
    previousCounter = readPerformanceCounter();
    return fixedFrameTime;
  }
  uint64_t now = readPerformanceCounter();
  double dt = Elapsed(now);
  if (dt > 0.017) dt = 0.017;
  dt *= scale;
  // Wait for the 13 ms minimum: sleep most of it, spin only the last fifth of a millisecond.
  while (0.013 > dt) {
    double left = 0.013 - Elapsed(now);
    if (left > 0.0003) sleepMicroseconds(static_cast<uint32_t>((left - 0.0002) * 1e6));
    now = readPerformanceCounter();
    dt = Elapsed(now);
  }
  previousCounter = now;
  return dt;
}
