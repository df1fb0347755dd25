// The game's sounds, synthesised by our own code into DATA/sounds/ (16-bit mono PCM at
// SOUND_RATE). Each maker returns finished samples: DC-free, faded out, peak below full scale.
#pragma once
#include <string>
#include <vector>

#include "contentc/synth.h"

Wave MakeImpactSound();
Wave MakeExplosionSound();
Wave MakeCasingSound();
Wave MakeZombieImpactSound();
// Loops without a seam: its last sample runs on into its first.
Wave MakeHeliSound();
Wave MakeZombieSound();

// The six fixed sounds by file name, in the order the game loads them.
struct FixedSound {
  const char *file;
  Wave (*make)();
};
extern const FixedSound FIXED_SOUNDS[6];

// A weapon's firing and reload sounds, by the name of its drawing (pistol, shotgun, smg, rifle,
// machinegun, sniper, revolver); false when no sound is designed for that name.
bool MakeWeaponFire(const std::string &sprite, Wave &out);
bool MakeWeaponReload(const std::string &sprite, Wave &out);

// Writes the fixed sounds and every sound content/weapons.txt names into dataDir/sounds/;
// false (after saying why) on failure.
bool WriteSoundFiles(const std::string &sourceDir, const std::string &dataDir);
