// Setting a scene inside a headless game: zombies placed and kept where the test wants them,
// crates and pickups laid down, the ground under a point. The game itself is the real one.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "actors/models.h"
#include "game/objects.h"
#include "game/state.h"
#include "rig/play.h"
#include "world/collision.h"

// The ground's top under x, looked for around the player's height.
inline tvector Ground(double x) { return segmentterrain({x, Player.body.pos.y + 3}, {x, Player.body.pos.y - 3}).point; }

// Puts the player on the ground at x (a test's shortcut for a long walk).
inline void StandAt(double x) {
  Player.body.pos = segmentterrain({x, basePos.y + 8}, {x, basePos.y - 8}).point + tvector{0, CHARACTER_HALF_HEIGHT};
  Player.body.vel = {0, 0};
}

// A zombie standing on the ground at x, facing the player.
inline int ZombieAt(double x) {
  const int i = CreateCharacter(x, Ground(x).y + CHARACTER_HALF_HEIGHT);
  enemies[i].anim.facing = x > Player.body.pos.x;
  enemies[i].target = enemies[i].body.pos;
  return i;
}

// Keeps zombie i standing idle where it is (while it lives), so it neither walks nor strikes.
inline void Hold(int i, tvector at) {
  tenemy &e = enemies[i];
  if (e.active) e.body.pos = at, e.body.vel = {0, 0}, e.mode = 0, e.timer = 10;
}

// A day without new groups of zombies, and none left over; no crates or pickups about.
inline void Quiet() {
  enemies.clear(), crateList.clear(), pickupList.clear();
  Game.spawnTimer = 1e9;
}

// A headless game begun on a quiet day.
struct QuietPlay : Play {
  QuietPlay() { Quiet(); }
};

inline void LayPickup(tvector at, uint8_t item) { pickupList.push_back(tpickup{1, {at, {0, 0}, {0, -6}}, 0, item}); }

template <typename T>
int Active(const std::vector<T> &list) {
  return static_cast<int>(std::count_if(list.begin(), list.end(), [](const T &x) { return x.active; }));
}
