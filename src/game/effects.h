// Flashes: the muzzle flash of a shot and the flash of an explosion. The rules make them (their
// random shape is drawn in step order) and the view shows them right after the rules; the next
// frame clears them.
#pragma once
#include <cstdint>

#include "base/vector.h"

constexpr int FLASH_LINES = 16;
constexpr int FLASH_SLOTS = 16;

struct tflashline {
  tvector from, to;
  double alpha;  // at `from`; the line fades to 0 at `to`
};

struct tflash {
  uint8_t active;  // waiting to be drawn
  uint8_t blast;   // an explosion: a fan of radius `radius` around `centre` under its lines
  tvector centre;
  double radius;
  int32_t lineCount;
  double lineWidth;
  tflashline lines[FLASH_LINES];
};

// A fixed pool: a burst of more flashes than slots in one frame drops the extra ones.
extern tflash flashes[FLASH_SLOTS];

// A record to fill. When every slot still waits to be drawn it is a scratch record that is
// never shown, so the caller's random draws happen all the same.
tflash &NewFlash();
void ClearFlashes();
