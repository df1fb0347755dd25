// Weapon pickups, supply crates and the defenders who guard the base.
#pragma once
#include <cstdint>

#include "actors/records.h"
#include "game/objects.h"

// Bearing FindTarget gives when no zombie is in sight.
constexpr double NO_TARGET = -60.0;

void StepPickups();
void CollectPickups();
void CarryCrates();
// Appends a defender standing at p with a random weapon; returns his index.
int CreateDefender(tvector p);
void DefenderStep(tdefender &d);
double FindTarget(tvector g, const tweapon &w);
