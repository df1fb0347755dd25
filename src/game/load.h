// What a game's rules need of the data folder, without a window: the player's figure, its
// animations and the weapon table.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The files of the player's figure and its four animations (relative to the data folder).
std::vector<std::string> PlayerFigureFiles();
// The player's figure and its four animations, standing. Returns the data file (relative to the
// data folder) that is missing or unreadable, else an empty string.
std::string LoadPlayerFigure();
// The figure, its animations and the weapon table without its textures (a headless game).
std::string LoadGameRules();
// Names the data a game's rules are played with: the weapon table, the figure, its animations and
// every file of the level folder, by name and content. A replay made with other data would not
// play the same game.
uint64_t GameDataChecksum();
