// Loading a game's data: textures, weapons, the player's skeleton and animations.
#pragma once
#include <string>

// What the data folder lacks of the files a game needs, from the same lists the loaders read: the
// first missing file (relative to the folder), a weapon table with no weapon, or a kind of level
// piece; "" when nothing is. Checked before the window opens.
std::string MissingDataFile();
void LoadGameTextures();
// Returns the data file (relative to the data folder) a game cannot do without when it is
// missing or unreadable, else an empty string.
std::string LoadGameData();
// Forgets the texture and display-list names of a window whose context is gone.
void ForgetContextObjects();
// Frees every global array and GL object the game data holds (program end).
void ReleaseGameData();
