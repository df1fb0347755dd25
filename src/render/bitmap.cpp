// Windows BMP, 24 bits per pixel, rows bottom-up as stored.
#include "base/files.h"
#include "render/textures.h"

namespace {
const char *const BMP_CAPTION = "BMP Unit";
const size_t FILE_HEADER_SIZE = 14;
const size_t INFO_HEADER_SIZE = 40;

bool Fail(const std::string &message, DecodeError &err) {
  err.message = message;
  err.caption = BMP_CAPTION;
  return false;
}
}  // namespace

bool DecodeBitmap(const std::string &fileName, const uint8_t *data, size_t size, DecodedImage &out, DecodeError &err) {
  if (size < FILE_HEADER_SIZE + INFO_HEADER_SIZE) return Fail("Error reading bitmap header", err);
  const uint8_t *info = data + FILE_HEADER_SIZE;
  int32_t width = GetI32(info + 4), height = GetI32(info + 8);
  int bitCount = GetU16(info + 14);
  uint32_t imageSize = GetU32(info + 20), coloursUsed = GetU32(info + 32);

  if (bitCount != 24) return Fail("Couldn't load \"" + fileName + "\". Only 24 bit BMP files supported.", err);
  // Negative heights (top-down files) are refused along with sizes no texture can have.
  if (width <= 0 || height <= 0 || width > MAX_TEXTURE_SIDE || height > MAX_TEXTURE_SIDE)
    return Fail("Error reading bitmap data", err);

  // True-colour files carry no palette; the field is skipped as a byte count, never applied.
  size_t pos = FILE_HEADER_SIZE + INFO_HEADER_SIZE;
  if (coloursUsed > size - pos) return Fail("Error reading palette", err);
  pos += coloursUsed;
  size_t avail = size - pos;

  size_t w = static_cast<size_t>(width), h = static_cast<size_t>(height);
  size_t rowBytes = w * 3;
  size_t stride = (rowBytes + 3) & ~static_cast<size_t>(3);  // rows are padded to 4 bytes
  size_t dataSize = imageSize != 0 ? imageSize : w * h * 3;
  // The last row's padding may be missing; its pixels may not.
  size_t needed = stride * (h - 1) + rowBytes;
  if (dataSize > avail || needed > avail) return Fail("Error reading bitmap data", err);

  const uint8_t *src = data + pos;
  std::vector<uint8_t> buffer(rowBytes * h);
  for (size_t y = 0; y < h; ++y) {
    const uint8_t *row = src + y * stride;
    uint8_t *dst = &buffer[y * rowBytes];
    for (size_t x = 0; x < rowBytes; x += 3) {
      dst[x] = row[x + 2];
      dst[x + 1] = row[x + 1];
      dst[x + 2] = row[x];
    }
  }
  out.width = width;
  out.height = height;
  out.bytesPerPixel = 3;
  out.pixels.swap(buffer);
  return true;
}
