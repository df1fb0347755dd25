// The game's object lists and the helicopter: shots, thrown grenades, weapon pickups, supply
// crates and defenders. Each list is a growable array whose records start with an active flag;
// a new entry takes the lowest free slot or is appended (defenders are always appended).
#pragma once
#include <cstdint>
#include <vector>

#include "actors/records.h"
#include "world/particles.h"

struct tshot {
  uint8_t active;
  uint8_t spent;   // stopped; the next update frees the slot
  uint8_t source;  // 1 for every shot fired
  tbody body;
  tvector last;  // position before the latest move
  double damage;
  int32_t pierce;  // zombies it may still pass through
  int32_t struck;  // the zombie it went into last, -1 for none: passing through is one hit
};

struct tpickup {
  uint8_t active;
  tbody body;
  uint8_t iconrow;  // row of the gun icons, 3 for grenades
  uint8_t item;     // a weapon index, or weapons.size() for three grenades
};

struct tcrate {
  uint8_t active;
  tvector pos;
};

struct tdefender {
  uint8_t active;
  tvector pos;
  double damage;    // above 5.0 he dies
  double dust;      // seconds of arrival dust left
  double drawaim;   // bearing his gun is drawn at
  double aim;       // bearing he aims at
  double reach;     // arm extension, 1.0 at rest
  int32_t weapon;   // index into weapons
  double cooldown;  // seconds until he may fire again
  double burst;     // he fires only while this is above 0
  double scan;      // seconds before his aim drifts back to rest
};

struct theli {
  tvector pos;
  double tilt;  // degrees
  double rope;  // length of the rescue rope, >= 0
  tdefender gunner;
  uint8_t overbase;
  tvector target;
  tvector vel;
  double rotor;  // rotor phase, turning while the helicopter flies
};

extern std::vector<tshot> shotList;
extern std::vector<tparticle> grenadeList;
extern std::vector<tpickup> pickupList;
extern std::vector<tcrate> crateList;
extern std::vector<tdefender> defenderList;
extern theli heli;
// Where the base stands; set by each world build from the chosen base piece.
extern tvector basePos;
