// What the fuzz targets share: a message handler that shows nothing (no box may open), and the
// check for the image decoders: a decode either fails with a message or yields exactly
// width * height pixels within the size limits.
#pragma once
#include <cstdlib>

#include "platform/message.h"
#include "render/textures.h"

using ImageDecoder = bool (*)(const std::string &, const uint8_t *, size_t, DecodedImage &, DecodeError &);

inline void QuietMessage(const std::string &, const std::string &, MessageIcon) {}

inline int CheckImageDecoder(ImageDecoder decode, const uint8_t *data, size_t size) {
  messageHandler = QuietMessage;
  DecodedImage image;
  DecodeError err;
  if (decode("fuzz", data, size, image, err)) {
    size_t expected = static_cast<size_t>(image.width) * image.height * image.bytesPerPixel;
    if (image.width <= 0 || image.height <= 0 || image.width > MAX_TEXTURE_SIDE || image.height > MAX_TEXTURE_SIDE ||
        image.pixels.size() != expected)
      std::abort();
  } else if (err.message.empty() || err.caption.empty()) {
    std::abort();
  }
  return 0;
}
