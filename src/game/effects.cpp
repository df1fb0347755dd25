#include "game/effects.h"

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
