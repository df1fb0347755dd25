// Feeds arbitrary bytes to the BMP decoder: it must refuse or decode within its buffers.
#include <cstdlib>

#include "app/window/message.h"
#include "render/textures.h"

static void Quiet(const std::string &, const std::string &, MessageIcon) {}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  messageHandler = Quiet;
  DecodedImage image;
  DecodeError err;
  if (DecodeBitmap("fuzz", data, size, image, err)) {
    size_t expected = static_cast<size_t>(image.width) * image.height * image.bytesPerPixel;
    if (image.width <= 0 || image.height <= 0 || image.width > MAX_TEXTURE_SIDE ||
        image.height > MAX_TEXTURE_SIDE || image.pixels.size() != expected)
      std::abort();
  } else if (err.message.empty() || err.caption.empty()) {
    std::abort();
  }
  return 0;
}
