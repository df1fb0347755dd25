// Truevision TGA: uncompressed (type 2) and run-length-encoded (type 10) true-colour images.
#include "base/files.h"
#include "render/textures.h"

namespace {
const char *const TGA_CAPTION = "TGA File Error";
const size_t TGA_HEADER_SIZE = 18;

bool Refuse(const std::string &fileName, const char *suffix, DecodeError &err) {
  err.message = "Couldn't load \"" + fileName + "\". " + suffix;
  err.caption = TGA_CAPTION;
  return false;
}

bool Unreadable(const std::string &fileName, DecodeError &err) {
  err.message = "Couldn't read file \"" + fileName + "\".";
  err.caption = TGA_CAPTION;
  return false;
}

// Copies one pixel, blue and red exchanged.
inline void PutPixel(uint8_t *dst, const uint8_t *src, size_t b) {
  dst[0] = src[2];
  dst[1] = src[1];
  dst[2] = src[0];
  if (b == 4) dst[3] = src[3];
}

// Unpacks the packets in [data, end) into exactly `pixels` pixels. A packet that runs past the
// data or past the image is damage, not something to clip.
bool UnpackRle(const uint8_t *data, const uint8_t *end, size_t pixels, size_t b, uint8_t *out) {
  size_t done = 0;
  while (done < pixels) {
    if (data >= end) return false;
    uint8_t h = *data++;
    size_t count = (h & 0x7f) + 1u;
    if (count > pixels - done) return false;
    size_t avail = static_cast<size_t>(end - data);
    if (h < 128) {
      if (avail < count * b) return false;
      for (size_t i = 0; i < count; ++i, data += b) PutPixel(out + (done + i) * b, data, b);
    } else {
      if (avail < b) return false;
      for (size_t i = 0; i < count; ++i) PutPixel(out + (done + i) * b, data, b);
      data += b;
    }
    done += count;
  }
  return true;
}
}  // namespace

bool DecodeTarga(const std::string &fileName, const uint8_t *data, size_t size, DecodedImage &out, DecodeError &err) {
  if (size < TGA_HEADER_SIZE) return Unreadable(fileName, err);
  uint8_t idLength = data[0], mapType = data[1], imageType = data[2];
  int width = GetU16(data + 12), height = GetU16(data + 14);
  int bits = data[16];

  if (imageType != 2 && imageType != 10) return Refuse(fileName, "Only 24 and 32bit TGA supported.", err);
  if (mapType != 0) return Refuse(fileName, "Colormapped TGA files not supported.", err);
  // Anything but whole 3- or 4-byte pixels would not match the layout handed to GL.
  if (bits != 24 && bits != 32) return Refuse(fileName, "Only 24 and 32 bit TGA files supported.", err);
  if (width == 0 || height == 0 || width > MAX_TEXTURE_SIDE || height > MAX_TEXTURE_SIDE)
    return Unreadable(fileName, err);

  // Pixels follow the image-ID field; writers that fill it in would otherwise shift the picture.
  size_t start = TGA_HEADER_SIZE + idLength;
  if (start > size) return Unreadable(fileName, err);
  const uint8_t *p = data + start;
  size_t avail = size - start;
  size_t b = static_cast<size_t>(bits / 8);
  size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);

  if (imageType == 2) {
    if (avail < pixels * b) return Unreadable(fileName, err);
  } else if (pixels > avail / (1 + b) * 128) {
    // Each packet yields at most 128 pixels from at least 1 + b bytes: too little data for
    // this size, so do not even allocate.
    return Unreadable(fileName, err);
  }

  std::vector<uint8_t> buffer(pixels * b);
  if (imageType == 2) {
    for (size_t i = 0; i < pixels; ++i) PutPixel(&buffer[i * b], p + i * b, b);
  } else if (!UnpackRle(p, p + avail, pixels, b, buffer.data())) {
    return Unreadable(fileName, err);
  }
  out.width = width;
  out.height = height;
  out.bytesPerPixel = static_cast<int>(b);
  out.pixels.swap(buffer);
  return true;
}
