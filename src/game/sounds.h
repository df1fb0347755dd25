// The game's sounds by name. A bank without a device holds no buffers: every lookup then
// gives 0 ("no buffer") instead of reading past the list.
#pragma once
#include <cstdint>

#include "audio/sound.h"

inline uint32_t FixedSound(int index) {
  return index >= 0 && static_cast<size_t>(index) < soundBuffers.size() ? soundBuffers[index] : 0;
}
// list 0: firing sounds, list 1: reload sounds.
uint32_t WeaponSound(int list, int index);
