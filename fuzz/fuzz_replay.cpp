// Feeds arbitrary bytes to the replay reader: it either refuses them, changing nothing, or reads
// frames that lie on the replay's grids, and what it read writes and reads back the same.
#include <cmath>
#include <cstdlib>

#include "fuzz_common.h"
#include "persist/replay.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  messageHandler = QuietMessage;
  treplay r;
  r.seed = 12345;
  const treplaystatus status = DecodeReplay(data, size, r);
  if (status != REPLAY_OK && status != REPLAY_TRUNCATED) {
    if (r.seed != 12345 || !r.frames.empty() || ReplayRefusal(status).empty()) std::abort();
    return 0;
  }
  if (r.frames.size() > size) std::abort();  // every frame takes at least a byte
  for (const tframeinput &in : r.frames) {
    tframeinput q = in;
    QuantiseFrameInput(q);
    if (!(in.frameTime > 0) || q.frameTime != in.frameTime || q.pointer.x != in.pointer.x ||
        q.pointer.y != in.pointer.y || q.held != in.held || q.pressed != in.pressed)
      std::abort();
  }
  const std::vector<uint8_t> bytes = EncodeReplay(r);
  treplay again;
  if (DecodeReplay(bytes.data(), bytes.size(), again) != REPLAY_OK || again.frames.size() != r.frames.size() ||
      again.seed != r.seed || again.dataChecksum != r.dataChecksum)
    std::abort();
  for (size_t i = 0; i < r.frames.size(); ++i)
    if (again.frames[i].frameTime != r.frames[i].frameTime || again.frames[i].pointer.x != r.frames[i].pointer.x ||
        again.frames[i].pointer.y != r.frames[i].pointer.y || again.frames[i].held != r.frames[i].held ||
        again.frames[i].pressed != r.frames[i].pressed)
      std::abort();
  return 0;
}
