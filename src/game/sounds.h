// The game's sounds, handed out as its drawing is: the rules say what is heard (a fixed sound, or
// a weapon's firing or reload sound), in which slot and where; the program maps that to its
// buffers and plays it. Headless nothing is installed and nothing is heard. Nothing comes back:
// whether a sound plays never moves the game.
#pragma once
#include <cstdint>

#include "base/sound_ids.h"
#include "base/vector.h"

enum tsoundsource { GAMESOUND_FIXED, GAMESOUND_FIRE, GAMESOUND_RELOAD };

struct tgamesound {
  tsoundsource source;
  int index;     // a fixed sound (SOUND_*) or the weapon's sound index
  int32_t slot;  // SLOT_*, or SLOT_NEXT_SHOT
  tvector pos;
  double volume;
  bool loop, keepPlaying;
};

struct tsoundhooks {
  // A frame begins at this game speed, which pitches the sounds it makes.
  void (*frameBegun)(double timeScale);
  void (*play)(const tgamesound &sound);
};
// Installed by the program once its sound bank is up; empty by default.
extern tsoundhooks soundHooks;

void PlayGameSound(tsoundsource source, int index, int32_t slot, tvector p, double volume, bool loop = false,
                   bool keepPlaying = false);
// The weapon table's buffer of a weapon's sound; list 0: firing sounds, list 1: reload sounds.
// 0 ("no buffer") for an index the table lacks.
uint32_t WeaponSound(int list, int index);
