// Feeds arbitrary bytes to the options decoder: every 40-byte image must come back unchanged.
#include <cstdlib>
#include <cstring>

#include "fuzz_common.h"
#include "persist/options.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  messageHandler = QuietMessage;
  toptions o = {};
  bool ok = DecodeOptions(data, size, o);
  if (ok != (size >= OPTIONS_FILE_SIZE)) std::abort();
  if (ok) {
    std::vector<uint8_t> again = EncodeOptions(o);
    if (again.size() != OPTIONS_FILE_SIZE || std::memcmp(again.data(), data, OPTIONS_FILE_SIZE) != 0) std::abort();
  }
  return 0;
}
