// Side views of the weapons, drawn for the quad the game holds at the shoulder: 4:1, muzzle to
// the right, the grip near a quarter of the way along, the bore 60% of the way up (the aim line).
#pragma once
#include <string>
#include <vector>

#include "contentc/canvas.h"

constexpr int SPRITE_WIDTH = 256, SPRITE_HEIGHT = 64;

// Draws the named weapon onto a clear canvas; false when there is no drawing of that name.
bool DrawWeaponImage(const std::string &name, Canvas &canvas);
std::vector<std::string> WeaponImageNames();
