// Particles and loose objects: smoke, sparks, blood, debris, spent cases, flying body parts and
// thrown grenades all move as one record.
#pragma once
#include <cstdint>
#include <vector>

#include "actors/records.h"

struct tparticle {
  uint8_t active;
  tbody body;
  uint8_t row;       // row of the particle atlas, 0..7
  uint8_t moving;    // drawn turned along its velocity; cleared when it sticks
  uint8_t collides;  // tested against the terrain blocks
  uint8_t bounces;   // bounces off blocks, or sticks to the first it touches
  uint8_t expired;   // its lifetime ran out once; it is fading
  uint8_t clicks;    // a hard bounce plays the casing sound
  tvector size;      // half-width and half-height
  double lifetime;   // seconds left
};

// A new particle takes the lowest free slot or is appended; emptied by each day transition.
extern std::vector<tparticle> particleList;

// Knocks off the first visible part of a zone ('h' head, 'a' arms, 'l' feet and shins): it is
// hidden and blackened. Returns its index, or -1 when the zone has no visible part left.
int HideTaggedParts(tguy &guy, char zone);
