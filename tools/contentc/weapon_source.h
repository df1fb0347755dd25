// The weapon table written as text: one "weapon NAME" block per weapon, in the game's order.
#pragma once
#include <string>
#include <vector>

#include "actors/models.h"

struct WeaponSource {
  std::string sprite;  // which drawing makes its texture (written as textures/SPRITE.tga)
  tweaponfile record;
};

// Throws SourceError ("file:line: message") on bad input.
std::vector<WeaponSource> ParseWeapons(const std::string &file, const std::string &text);
