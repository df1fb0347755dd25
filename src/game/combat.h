// Weapons, shots, grenades and explosions, and what they do to zombies.
#pragma once
#include <cstdint>

#include "base/vector.h"
#include "game/objects.h"

// Damage at which a zombie dies.
constexpr double ZOMBIE_DAMAGE_LIMIT = 1.6;

// Fills the lowest free shot slot; returns its index.
int SpawnShot(tvector origin, int32_t pierce, uint8_t source, double bearing, double speed, double damage);
// Moves one shot a frame and resolves what it strikes.
void UpdateShot(tshot &t);
// Sends every zombie that is not leaping or striking within `radius` of p towards p.
void AlertZombies(tvector p, double radius);

// Bleeding and death of zombie i, `direction` being the way the blow came (unit length).
// Returns false when the zombie died.
bool ZombieWounds(int i, tvector direction);

// A thrown grenade: a bouncing loose object burning down its fuse. Returns its slot.
int SpawnGrenade(tvector position, tvector velocity, double fuse);
// A blast at c: smoke, sound, flash, and damage to every zombie (and, when asked, the player)
// in sight within radius, falling off with distance.
void Explode(tvector c, bool hurtsPlayer, double radius, double power);
