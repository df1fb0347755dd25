// Loading a game's data: textures, weapons, the player's skeleton and animations.
#pragma once

void LoadGameTextures();
void LoadGameData();
// Forgets the texture and display-list names of a window whose context is gone.
void ForgetContextObjects();
// Frees every global array and GL object the game data holds (program end).
void ReleaseGameData();
