// Block files: any bytes either decode into whole records that encode back identically, or are
// refused without touching the list.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "app/window/message.h"
#include "world/terrain.h"

static void Quiet(const std::string &, const std::string &, MessageIcon) {}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  messageHandler = Quiet;
  tblkarray list(1);
  list[0].active = 77;
  if (!DecodeBlocks(data, size, list)) {
    if (size % BLOCK_RECORD_SIZE == 0 || list.size() != 1 || list[0].active != 77) std::abort();
    return 0;
  }
  if (list.size() != size / BLOCK_RECORD_SIZE) std::abort();
  std::vector<uint8_t> again = EncodeBlocks(list);
  if (again.size() != size || (size && std::memcmp(again.data(), data, size) != 0)) std::abort();

  // The world build's operations on whatever came out.
  tblkarray copy;
  copyblocks(list, copy);
  shiftblocks(copy, {-35, 1e308});
  ttilerecord tile{};
  tile.collision = list;
  tile.drawn = copy;
  mirrortile(tile);
  // Mirroring restores corner order; only NaN corners compare unordered.
  for (const block &b : tile.collision)
    if (b.corner2.x < b.corner1.x || b.corner2.y < b.corner1.y) std::abort();
  for (const block &b : list) tileindex(b.corner1.x);
  return 0;
}
