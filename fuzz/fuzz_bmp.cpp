// Feeds arbitrary bytes to the BMP decoder: it must refuse or decode within its buffers.
#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  return CheckImageDecoder(DecodeBitmap, data, size);
}
