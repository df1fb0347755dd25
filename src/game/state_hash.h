// One number for the whole state the rules keep, so two plays of a replay can be compared frame by
// frame: the first frame whose numbers differ is where the two games part.
#pragma once
#include <cstdint>

// FNV-1a (64 bits) over every field of the game's rule state, field by field (a double by its
// bits, never a record's padding): the game record, the player, the closing sequences, the camera,
// the random generator, the world row, the skeletons and every object list. Particles, flashes and
// sounds are left out: the rules never read them back.
uint64_t RuleStateHash();
