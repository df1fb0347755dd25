// Feeds arbitrary bytes to the JPEG decoder: it must refuse or decode within its buffers.
#include "image_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  return CheckImageDecoder(DecodeJpeg, data, size);
}
