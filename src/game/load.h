// What a game's rules need of the data folder, without a window: the player's figure, its
// animations and the weapon table.
#pragma once
#include <string>

// The player's figure and its four animations, standing. Returns the data file (relative to the
// data folder) that is missing or unreadable, else an empty string.
std::string LoadPlayerFigure();
// The figure, its animations and the weapon table without its textures (a headless game).
std::string LoadGameRules();
