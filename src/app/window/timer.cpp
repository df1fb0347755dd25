#include <SDL.h>

#include "app/window/window.h"

double frameTime = 0;
double timeScale = 1.0;
double fixedFrameTime = 0;

static uint64_t counterFrequency = 1;
static uint64_t previousCounter = 0;

void InitFrameTimer() {
  counterFrequency = SDL_GetPerformanceFrequency();
  previousCounter = SDL_GetPerformanceCounter();
}

static double Elapsed(uint64_t now) {
  return static_cast<double>(now - previousCounter) / static_cast<double>(counterFrequency);
}

double GetFrameTime() {
  if (fixedFrameTime > 0) {
    previousCounter = SDL_GetPerformanceCounter();
    return fixedFrameTime;
  }
  uint64_t now = SDL_GetPerformanceCounter();
  double dt = Elapsed(now);
  if (dt > 0.017) dt = 0.017;
  dt *= timeScale;
  // Wait for the 13 ms minimum: sleep most of it, spin only the last fraction of a millisecond.
  while (0.013 > dt) {
    double left = 0.013 - Elapsed(now);
    if (left > 0.0015) SDL_Delay(static_cast<Uint32>((left - 0.001) * 1000.0));
    now = SDL_GetPerformanceCounter();
    dt = Elapsed(now);
  }
  previousCounter = now;
  return dt;
}
