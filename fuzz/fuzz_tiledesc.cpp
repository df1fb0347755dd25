// Piece descriptions: decoding, mirroring twice and copying must give back the same bytes.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "app/window/message.h"
#include "world/terrain.h"

static void Quiet(const std::string &, const std::string &, MessageIcon) {}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  messageHandler = Quiet;
  ttilerecord tile{};
  if (!DecodeTiledesc(data, size, tile.desc)) {
    if (size >= TILEDESC_RECORD_SIZE) std::abort();
    return 0;
  }
  std::vector<uint8_t> bytes = EncodeTiledesc(tile.desc);
  if (bytes.size() != TILEDESC_RECORD_SIZE || std::memcmp(bytes.data(), data, bytes.size()) != 0)
    std::abort();

  // Blocks from the bytes after the description, if any whole records follow.
  size_t rest = size - TILEDESC_RECORD_SIZE;
  DecodeBlocks(data + TILEDESC_RECORD_SIZE, rest - rest % BLOCK_RECORD_SIZE, tile.collision);
  copyblocks(tile.collision, tile.drawn);

  ttilerecord mirrored = tile;
  mirrortile(mirrored);
  if (tile.desc.kind <= 3 && mirrored.desc.kind > 3) std::abort();
  mirrortile(mirrored);
  // Negation is exact, so twice mirrored is the original whenever it was in order (NaNs aside).
  if (EncodeTiledesc(mirrored.desc) != bytes) std::abort();
  tileindex(tile.desc.startspot.x);
  tileindex(tile.desc.basespot.x);
  return 0;
}
