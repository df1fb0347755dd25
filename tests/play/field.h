// Level ground for scenes that measure distances: the world's tiles replaced by one flat floor
// at the base's height, with walls where a test puts them.
#pragma once
#include "rig/blocks.h"
#include "scene.h"

// Returns the floor's height.
inline double Flatten() {
  const double floor = Ground(basePos.x).y;
  for (int s = 0; s < WORLD_SLOTS; ++s)
    worldRow[s].collision = {Block(5.0 * (s - 7) - 2.5, floor - 3, 5.0 * (s - 7) + 2.5, floor)};
  return floor;
}

// A wall a unit high and a tenth thick standing on the floor at x.
inline void Wall(double x, double floor) {
  worldRow[7 + tileindex(x)].collision.push_back(Block(x - 0.05, floor - 1, x + 0.05, floor + 1));
}

// A zombie at x standing idle (it neither strolls nor has seen anything yet).
inline int IdleZombieAt(double x) {
  const int i = ZombieAt(x);
  enemies[i].mode = 0, enemies[i].timer = 1e9;
  return i;
}
