#include "game/effects.h"

#include "actors/records.h"
#include "game/sounds.h"

tflash flashes[FLASH_SLOTS] = {};

tflash &NewFlash() {
  static tflash scratch;
  for (tflash &f : flashes)
    if (!f.active) return f;
  return scratch;
}

void ClearFlashes() {
  for (tflash &f : flashes) f.active = 0;
}

uint32_t WeaponSound(int list, int index) {
  if (list < 0 || list > 1 || index < 0) return 0;
  const std::vector<uint32_t> &sounds = weaponSounds[list];
  return static_cast<size_t>(index) < sounds.size() ? sounds[index] : 0;
}
