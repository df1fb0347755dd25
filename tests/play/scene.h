// Setting a scene inside a headless game: zombies placed and kept where the test wants them,
// crates and pickups laid down, the ground under a point. The game itself is the real one.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "actors/models.h"
#include "game/objects.h"
#include "game/state.h"
#include "rig/blocks.h"
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

// Levels the whole row of tiles at the base's ground, walls and all, so what a test measures
// does not hang on the day's level pieces. Returns the floor's height.
inline double FlatGround() {
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

// The index in the weapon table of the weapon of that name (a failure and the first weapon when
// there is none).
inline uint8_t WeaponNamed(const std::string &name) {
  for (size_t i = 0; i < weapons.size(); ++i)
    if (weapons[i].name == name) return static_cast<uint8_t>(i);
  ADD_FAILURE() << "no weapon named " << name;
  return 0;
}

// The rounds the weapon in hand has left: each round fired takes one.
inline int Reserve() { return Player.weaponSlots[Player.activeSlot].reserve; }

// Takes the named weapon from a crate at the player's feet with the use key (the pistol is in
// hand from the start).
inline void Arm(Play &play, const std::string &name) {
  if (WeaponNamed(name) == 0) return;
  LayPickup(Player.body.pos, WeaponNamed(name));
  play.wait(0.1).press(ACTION_USE);
}
