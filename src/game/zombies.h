// The zombies' behaviour, one operation per stage of their update.
#pragma once
#include "actors/records.h"

// Squared distance within which a zombie strikes what is in front of it.
constexpr double STRIKE_RANGE_SQ = 0.0125;
// By day a zombie this far from the player in x wanders off the field.
constexpr double DAY_LEASH = 3.5;

void AnimateZombie(tenemy &e);
void ZombieAnimState(tenemy &e);
// Returns false when the zombie left the field.
bool MoveZombie(tenemy &e);
void ZombieWalkForce(tenemy &e);
void ZombieThink(int i);
bool ZombieTryJump(tenemy &e);
void ZombieContact(tenemy &e);

// Whether p lies in front of a figure at x facing `facing` (1 faces -x).
inline bool InFront(double x, uint8_t facing, tvector p) { return facing ? p.x <= x : p.x > x; }

// A new zombie climbing out of the ground below x near the player's height; returns its slot.
int SpawnZombie(double x);
