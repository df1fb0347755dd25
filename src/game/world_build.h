// The daily world: fifteen pieces chained left to right, the base moved to wherever its piece
// puts it, supply crates and weapon crates scattered, defenders set back on the ground; and
// the start of the helicopter.
#pragma once
#include "base/vector.h"

// Vertical offset the last build gave the base tile; the player's start follows it.
extern double baseTileOffset;

// Builds from the piece library loadpieces filled. When the library lacks a kind of piece
// nothing changes (false): the previous world, its crates, the base, defenders and the
// helicopter stay whole. On true the caller rebuilds the terrain's display lists and the
// skyline (the game's rules draw nothing themselves).
bool buildworld();
// Puts the player 0.01 right of the base piece's start spot, on the ground the build made.
void placeplayer();
void spawncrate(tvector p);
void spawnweaponcrate(tvector p);
void spawnweapontrio(double x, double y);
// Every active defender onto the first surface below 5 units above the base's height.
void dropdefenders();
void startheli();
