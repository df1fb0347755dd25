// The TGA and BMP decoders: the pixels they hand on, and the files they refuse with the game's words.
#include <gtest/gtest.h>

#include <tuple>

#include "base/files.h"
#include "render/textures.h"

namespace {
using Bytes = std::vector<uint8_t>;
using Decoder = decltype(&DecodeTarga);

Bytes Tga(int type, int bits, int width, int height, const Bytes &data, int mapType = 0, int idLength = 0) {
  Bytes h = {
      uint8_t(idLength), uint8_t(mapType), uint8_t(type), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, uint8_t(bits), 0};
  PutU16(&h[12], static_cast<uint16_t>(width));
  PutU16(&h[14], static_cast<uint16_t>(height));
  h.insert(h.end(), data.begin(), data.end());
  return h;
}

// A BMP; `data` is the pixel data exactly as stored (padding included).
Bytes Bmp(int32_t width, int32_t height, const Bytes &data, int bitCount = 24, uint32_t imageSize = 0,
          uint32_t coloursUsed = 0) {
  Bytes h(54, 0);
  h[0] = 'B', h[1] = 'M';
  PutU32(&h[10], 54);
  PutU32(&h[14], 40);
  PutI32(&h[18], width);
  PutI32(&h[22], height);
  PutU16(&h[26], 1);
  PutU16(&h[28], static_cast<uint16_t>(bitCount));
  PutU32(&h[34], imageSize);
  PutU32(&h[46], coloursUsed);
  h.insert(h.end(), data.begin(), data.end());
  return h;
}

// Decodes a file that must load and returns its pixels.
Bytes Pixels(Decoder decode, const Bytes &file, int bytesPerPixel) {
  DecodedImage img;
  DecodeError err;
  EXPECT_TRUE(decode("f", file.data(), file.size(), img, err)) << err.message;
  EXPECT_EQ(img.bytesPerPixel, bytesPerPixel);
  EXPECT_EQ(img.pixels.size(), static_cast<size_t>(img.width) * img.height * img.bytesPerPixel);
  return img.pixels;
}

void ExpectRefused(Decoder decode, const std::vector<std::pair<Bytes, std::string>> &cases,
                   const std::string &caption) {
  for (size_t i = 0; i < cases.size(); ++i) {
    DecodedImage img;
    DecodeError err;
    EXPECT_FALSE(decode("f", cases[i].first.data(), cases[i].first.size(), img, err)) << "case " << i;
    EXPECT_EQ(err.message, cases[i].second) << "case " << i;
    EXPECT_EQ(err.caption, caption) << "case " << i;
  }
}

}  // namespace

TEST(Targa, DecodesUncompressedAndRunLengthPictures) {
  // BGR swapped to RGB; stored rows handed on first to last whatever the origin bit says.
  Bytes topLeft = Tga(2, 24, 2, 2, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
  topLeft[17] = 0x20;
  const std::tuple<Bytes, int, Bytes> cases[] = {
      // file, bytes per pixel, pixels
      {topLeft, 3, {3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10}},
      // 32-bit keeps its alpha; a filled-in image-ID field is skipped, not read as pixels.
      {Tga(2, 32, 1, 2, {10, 20, 30, 40, 50, 60, 70, 80}), 4, {30, 20, 10, 40, 70, 60, 50, 80}},
      {Tga(2, 24, 1, 1, {0xee, 0xee, 0xee, 1, 2, 3}, 0, 3), 3, {3, 2, 1}},
      // A run of 4 crosses the first row's end, then a raw packet of 2.
      {Tga(10, 24, 3, 2, {0x83, 1, 2, 3, 0x01, 4, 5, 6, 7, 8, 9}),
       3,
       {3, 2, 1, 3, 2, 1, 3, 2, 1, 3, 2, 1, 6, 5, 4, 9, 8, 7}},
      // The last packet is a run that fills the image to its very last pixel.
      {Tga(10, 32, 2, 2, {0x00, 1, 2, 3, 4, 0x82, 5, 6, 7, 8}), 4, {3, 2, 1, 4, 7, 6, 5, 8, 7, 6, 5, 8, 7, 6, 5, 8}},
  };
  for (const auto &[file, bpp, expected] : cases) EXPECT_EQ(Pixels(DecodeTarga, file, bpp), expected);
  // Two full 128-pixel runs.
  Bytes full = Pixels(DecodeTarga, Tga(10, 24, 16, 16, {0xff, 9, 8, 7, 0xff, 6, 5, 4}), 3);
  ASSERT_EQ(full.size(), 16u * 16 * 3);
  EXPECT_TRUE(full[127 * 3] == 7 && full[128 * 3] == 4);
}

TEST(Targa, RefusesOtherKindsAndDamagedFiles) {
  const std::string name = "Couldn't load \"f\". ", unreadable = "Couldn't read file \"f\".";
  const std::string depth = name + "Only 24 and 32 bit TGA files supported.",
                    type = name + "Only 24 and 32bit TGA supported.";
  ExpectRefused(DecodeTarga,
                {{Tga(2, 16, 1, 1, {0, 0}), depth},
                 {Tga(2, 24, 1, 1, {0, 0, 0}, 1), name + "Colormapped TGA files not supported."},
                 {Tga(3, 8, 1, 1, {0}), type},
                 {Tga(9, 16, 1, 1, {}, 1), type},  // the type is checked before the colour map
                 // Depths that are not whole 3- or 4-byte pixels would not match the GL buffer.
                 {Tga(2, 28, 1, 1, {0, 0, 0, 0}), depth},
                 {Bytes(17, 0), unreadable},
                 {Tga(2, 24, 2, 2, Bytes(11, 0)), unreadable},  // one byte short
                 {Tga(10, 24, 9000, 1, {}), unreadable},
                 {Tga(2, 24, 1, 1, {1, 2, 3}, 0, 200), unreadable},  // ID field longer than the file
                 // Packets that stop before the image is full: a short raw packet, a run missing its pixel; and packets
                 // that would write past the image.
                 {Tga(10, 24, 2, 2, {0x03, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}), unreadable},
                 {Tga(10, 24, 2, 2, {0x84, 1, 2, 3}), unreadable},
                 {Tga(10, 24, 2, 2, {0x02, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0x80, 1, 2}), unreadable},  // a run a byte short
                 {Tga(10, 24, 2, 2, {0x02, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0x81, 1, 2, 3}), unreadable}},
                "TGA File Error");
}

TEST(Bitmap, PaddedRowsAreStrippedAndPixelsSwapped) {
  // Width 2: 6 bytes of pixels and 2 of padding per row; rows stay bottom-up as stored. The last row may lack its
  // padding when the image-size field says so; colours-used bytes are skipped before the pixels.
  const Bytes data = {1, 2, 3, 4, 5, 6, 0xaa, 0xbb, 7, 8, 9, 10, 11, 12, 0xcc, 0xdd};
  const Bytes expected = {3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10};
  EXPECT_EQ(Pixels(DecodeBitmap, Bmp(2, 2, data), 3), expected);
  EXPECT_EQ(Pixels(DecodeBitmap, Bmp(2, 2, Bytes(data.begin(), data.end() - 2), 24, 14), 3), expected);
  EXPECT_EQ(Pixels(DecodeBitmap, Bmp(4, 1, {0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, 24, 0, 4), 3),
            expected);
  const std::string data_error = "Error reading bitmap data";
  ExpectRefused(DecodeBitmap,
                {{Bmp(1, 1, {0, 0, 0, 0}, 8), "Couldn't load \"f\". Only 24 bit BMP files supported."},
                 {Bytes(53, 0), "Error reading bitmap header"},
                 {Bmp(1, 1, {0, 0, 0}, 24, 0, 8), "Error reading palette"},
                 {Bmp(2, 2, Bytes(11, 0)), data_error},
                 {Bmp(2, 2, Bytes(13, 0), 24, 13), data_error},  // the last row a byte short of its pixels
                 {Bmp(1, 1, Bytes(4, 0), 24, 0xffffffffu), data_error},
                 {Bmp(0x40000000, 0x40000000, Bytes(4, 0)), data_error}},
                "BMP Unit");
}
