#include "actors/records.h"

std::vector<tguy> guys;
std::vector<tanim> animations;
std::vector<tenemy> enemies;
std::vector<tweapon> weapons;
std::vector<uint32_t> weaponTextures;
std::vector<uint32_t> weaponSounds[2];
