// Feeds arbitrary bytes to the TGA decoder: it must refuse or decode within its buffers.
#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  return CheckImageDecoder(DecodeTarga, data, size);
}
