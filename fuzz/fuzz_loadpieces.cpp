// The piece loader over a real folder: the input is cut into the three files of two pieces.
// Whatever the files hold, the library only ever holds tiles of its own kind with existing blocks.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "base/files.h"
#include "fuzz_common.h"
#include "world/terrain.h"

static void WriteFile(const std::string &path, const uint8_t *data, size_t size) {
  FILE *f = std::fopen(path.c_str(), "wb");
  if (!f) std::abort();
  if (size) std::fwrite(data, 1, size, f);
  std::fclose(f);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static std::string folder;
  if (folder.empty()) {
    char tmpl[] = "/tmp/redsiege-fuzz-XXXXXX";
    if (!mkdtemp(tmpl)) std::abort();
    baseDirectory = tmpl;
    folder = DataPath("zombie levels");
    std::filesystem::create_directories(folder);
    std::atexit([] { std::filesystem::remove_all(baseDirectory); });
  }
  messageHandler = QuietMessage;
  for (const auto &entry : std::filesystem::directory_iterator(folder)) std::filesystem::remove(entry.path());
  if (size < 7) return 0;

  // Six lengths from the first bytes, each piece's files taken in turn from the rest.
  const char *names[6] = {"a.zcg", "a.zdg", "a.zmd", "b.zcg", "b.zdg", "b.zmd"};
  size_t pos = 6;
  for (int i = 0; i < 6; ++i) {
    if (data[i] == 255) continue;  // this file is missing
    size_t want = data[i] == 254 ? size : data[i] * size_t{3};
    size_t n = std::min(want, size - pos);
    WriteFile(folder + "/" + names[i], data + pos, n);
    pos += n;
  }

  // The loader names every skipped piece on stderr: keep that out of the fuzzer's log.
  static int devNull = open("/dev/null", O_WRONLY);
  std::fflush(stderr);
  int savedStderr = dup(2);
  dup2(devNull, 2);
  bool found = loadpieces();
  std::fflush(stderr);
  dup2(savedStderr, 2);
  close(savedStderr);
  size_t total = 0;
  for (int kind = 0; kind < 4; ++kind) {
    for (const ttilerecord &tile : pieceLibrary[kind]) {
      if (tile.desc.kind != kind || tile.list != 0) std::abort();
      for (const tblkarray *list : {&tile.collision, &tile.drawn})
        for (const block &b : *list)
          if (b.active != 1) std::abort();
      ++total;
    }
  }
  if (found != (total > 0) || total > 4) std::abort();
  return 0;
}
