// Feeds arbitrary bytes to the replay reader, twice: as they are (the CRCs refuse nearly all of
// them) and with every CRC made good, so the fields and frames behind them are read too. A reader
// either refuses the bytes, changing nothing, or reads frames that lie on the replay's grids and
// write and read back the same; read from a file, they are refused or read alike. What it
// accepts and a game could have recorded is then played, its first few hundred frames, by the
// headless rules.
#include <sys/mman.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "base/files.h"
#include "fuzz_common.h"
#include "game/load.h"
#include "game/runner.h"
#include "persist/replay.h"

#ifndef REDSIEGE_DATA_DIR
#define REDSIEGE_DATA_DIR "data"
#endif

namespace {
constexpr size_t FRAMES_PLAYED = 300;

bool SameFrame(const tframeinput &a, const tframeinput &b) {
  return a.frameTime == b.frameTime && a.pointer.x == b.pointer.x && a.pointer.y == b.pointer.y && a.held == b.held &&
         a.pressed == b.pressed;
}

// The bytes with the header's CRC and every block's (or format 1's frame CRC) made good.
std::vector<uint8_t> WithGoodCrcs(const uint8_t *data, size_t size) {
  std::vector<uint8_t> b(data, data + size);
  if (size < REPLAY_HEADER_SIZE) return b;
  uint8_t *p = b.data();
  if (GetU16(p + 8) == 1) {
    PutU32(p + 39, Crc32(p + REPLAY_HEADER_SIZE, size - REPLAY_HEADER_SIZE));
  } else {
    for (size_t at = REPLAY_HEADER_SIZE; size - at >= REPLAY_BLOCK_HEAD_SIZE;) {
      const size_t length = GetU32(p + at);
      if (size - at - REPLAY_BLOCK_HEAD_SIZE < length) break;
      PutU32(p + at + 6, Crc32(p + at + REPLAY_BLOCK_HEAD_SIZE, length, Crc32(p + at, 6)));
      at += REPLAY_BLOCK_HEAD_SIZE + length;
    }
  }
  PutU32(p + 43, Crc32(p, 43));
  return b;
}

// The rules' data, loaded once from the build's data folder (REDSIEGE_FUZZ_DATA overrides it).
void LoadRulesOnce() {
  static bool loaded = false;
  if (loaded) return;
  const char *env = std::getenv("REDSIEGE_FUZZ_DATA");
  baseDirectory = env && *env ? env : REDSIEGE_DATA_DIR;
  const std::string missing = LoadGameRules();
  if (!missing.empty()) {
    std::fprintf(stderr, "fuzz_replay: no %s in the data folder %s\n", missing.c_str(), baseDirectory.c_str());
    std::abort();
  }
  loaded = true;
}

// The same bytes read from a file: refused whenever decoding refuses them, and otherwise the same
// frames; either way `why` is one line.
void CheckLoad(const uint8_t *data, size_t size, treplaystatus status, const treplay &decoded) {
  // A file in memory: no disk written for each input.
  static const int fd = memfd_create("replay", MFD_CLOEXEC);
  static const std::string path = "/proc/self/fd/" + std::to_string(fd);
  if (fd < 0 || ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) std::abort();
  treplay loaded;
  std::string why;
  const bool ok = LoadReplay(path, loaded, why);
  if (why.find('\n') != std::string::npos || (!ok && why.empty())) std::abort();
  if (ok && (status != REPLAY_OK && status != REPLAY_TRUNCATED)) std::abort();
  if (!ok) return;
  if (loaded.frames.size() != decoded.frames.size()) std::abort();
  for (size_t i = 0; i < loaded.frames.size(); ++i)
    if (!SameFrame(loaded.frames[i], decoded.frames[i])) std::abort();
}

void Check(const uint8_t *data, size_t size) {
  treplay r;
  r.seed = 12345;
  const treplaystatus status = DecodeReplay(data, size, r);
  CheckLoad(data, size, status, r);
  if (status != REPLAY_OK && status != REPLAY_TRUNCATED) {
    if (r.seed != 12345 || !r.frames.empty() || ReplayRefusal(status).empty()) std::abort();
    return;
  }
  if (r.frames.size() > size) std::abort();  // every frame takes at least a byte
  for (const tframeinput &in : r.frames) {
    tframeinput q = in;
    QuantiseFrameInput(q);
    if (!(in.frameTime > 0) || !SameFrame(q, in)) std::abort();
  }
  const std::vector<uint8_t> bytes = EncodeReplay(r);
  treplay again;
  if (DecodeReplay(bytes.data(), bytes.size(), again) != REPLAY_OK || again.frames.size() != r.frames.size() ||
      again.seed != r.seed || again.rulesVersion != r.rulesVersion || again.helpBase != r.helpBase ||
      again.dataChecksum != r.dataChecksum)
    std::abort();
  for (size_t i = 0; i < r.frames.size(); ++i)
    if (!SameFrame(again.frames[i], r.frames[i])) std::abort();
  if (!ReplayHeaderFault(r, static_cast<uint32_t>(r.frames.size())).empty()) return;
  // The data checksum is not asked for: any header the reader lets through is played.
  LoadRulesOnce();
  SetupReplayGame(r, {nullptr, nullptr, nullptr, nullptr});
  for (size_t i = 0; i < r.frames.size() && i < FRAMES_PLAYED; ++i)
    if (StepHeadlessGame(r.frames[i]).ended) break;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  messageHandler = QuietMessage;
  Check(data, size);
  const std::vector<uint8_t> fixed = WithGoodCrcs(data, size);
  if (fixed != std::vector<uint8_t>(data, data + size)) Check(fixed.data(), fixed.size());
  return 0;
}
