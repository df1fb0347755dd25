// The weapon table: decoding and re-encoding.
#include <cstdlib>

#include "actors/models.h"
#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  messageHandler = QuietMessage;
  std::vector<tweaponfile> table = DecodeWeapons(data, size);
  if (table.size() != size / WEAPON_RECORD_SIZE) std::abort();
  for (const tweaponfile &r : table)
    if (r.weapon.name.size() > 200 || r.textureFile.size() > 200 || r.fireSoundFile.size() > 200 ||
        r.reloadSoundFile.size() > 200)
      std::abort();
  std::vector<uint8_t> again = EncodeWeapons(table);
  if (again.size() != table.size() * WEAPON_RECORD_SIZE) std::abort();
  if (EncodeWeapons(DecodeWeapons(again.data(), again.size())) != again) std::abort();
  return 0;
}
