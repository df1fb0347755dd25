// Piece records: any bytes either decode into whole block records that encode back identically,
// or are refused without touching the list; a description read from the front encodes back
// identically and survives two mirrorings with the blocks.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "fuzz_common.h"
#include "world/terrain.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  messageHandler = QuietMessage;
  tblkarray list(1);
  list[0].active = 77;
  if (!DecodeBlocks(data, size, list)) {
    if (size % BLOCK_RECORD_SIZE == 0 || list.size() != 1 || list[0].active != 77) std::abort();
    list.clear();
  } else if (list.size() != size / BLOCK_RECORD_SIZE || EncodeBlocks(list) != std::vector<uint8_t>(data, data + size)) {
    std::abort();
  }

  ttilerecord tile{};
  tile.collision = list;
  copyblocks(list, tile.drawn);
  shiftblocks(tile.drawn, {-35, 1e308});
  if (DecodeTiledesc(data, size, tile.desc) != (size >= TILEDESC_RECORD_SIZE)) std::abort();
  const std::vector<uint8_t> desc = EncodeTiledesc(tile.desc);
  if (size >= TILEDESC_RECORD_SIZE && std::memcmp(desc.data(), data, TILEDESC_RECORD_SIZE) != 0) std::abort();

  ttilerecord mirrored = tile;
  mirrortile(mirrored);
  // Mirroring restores corner order (only NaN corners compare unordered) and keeps kinds 0..3.
  for (const block &b : mirrored.collision)
    if (b.corner2.x < b.corner1.x || b.corner2.y < b.corner1.y) std::abort();
  if (tile.desc.kind <= 3 && mirrored.desc.kind > 3) std::abort();
  mirrortile(mirrored);
  // Negation is exact, so twice mirrored is the original description (NaNs aside).
  if (EncodeTiledesc(mirrored.desc) != desc) std::abort();
  for (const block &b : list) tileindex(b.corner1.x);
  tileindex(tile.desc.startspot.x);
  return 0;
}
