#include "game/sounds.h"

#include <vector>

#include "actors/records.h"

tsoundhooks soundHooks = {nullptr, nullptr};

void PlayGameSound(tsoundsource source, int index, int32_t slot, tvector p, double volume, bool loop,
                   bool keepPlaying) {
  if (soundHooks.play) soundHooks.play({source, index, slot, p, volume, loop, keepPlaying});
}

uint32_t WeaponSound(int list, int index) {
  if (list < 0 || list > 1 || index < 0) return 0;
  const std::vector<uint32_t> &sounds = weaponSounds[list];
  return static_cast<size_t>(index) < sounds.size() ? sounds[index] : 0;
}
