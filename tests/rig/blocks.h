// Building terrain blocks in tests.
#pragma once
#include "world/terrain.h"

inline block Block(double x1, double y1, double x2, double y2, uint8_t active = 1) {
  block b{};
  b.active = active;
  b.corner1 = {x1, y1};
  b.corner2 = {x2, y2};
  return b;
}
