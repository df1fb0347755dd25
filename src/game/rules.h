// The rules of play the game step runs each frame, in its order. Headless: nothing here draws.
#pragma once
#include <cstdint>

#include "base/vector.h"

// Step 11: every slot of enemies (active or not) advances its animation and poses its arms.
void PoseZombies();
// Step 16: the night spawner after nightfall, the day spawner before.
void DaySpawner();
void NightSpawner();
// Step 18: every active zombie in index order: timers and animation, movement, steering, the
// decisions of its quarter (index mod 4 == thinkSlot), bleeding and death, attacks.
void UpdateZombies();
// Step 19 (the caller skips it when particles are off).
void UpdateParticles();
// Step 20: pickups, crates and defenders, each only while its list is not empty.
void UpdateBaseObjects();
// Step 21: the helicopter's flight, rope and pick-up (startheli is the world build's).
void HeliUpdate();
// Step 22: flight, fuse and detonation of every thrown grenade.
void UpdateGrenades();
// Step 25: reload, fire, switch and the grenade throw, from the shoulder point.
void PlayerWeaponStep(bool trigger, bool switchKey, tvector shoulder);
// Step 26: every active shot from index 0 to the highest active one.
void UpdateShots();
// Step 27: each returns true while its sequence goes on.
bool DeathSequence();
bool BaseLossSequence();
bool RescueSequence();
