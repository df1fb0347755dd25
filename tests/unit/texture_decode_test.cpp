#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

#include "app/files.h"
#include "render/textures.h"
#include "rig/rig.h"

namespace {
using Bytes = std::vector<uint8_t>;

Bytes TgaHeader(int type, int bits, int width, int height, int mapType = 0, int idLength = 0) {
  Bytes h(18, 0);
  h[0] = static_cast<uint8_t>(idLength);
  h[1] = static_cast<uint8_t>(mapType);
  h[2] = static_cast<uint8_t>(type);
  PutU16(&h[12], static_cast<uint16_t>(width));
  PutU16(&h[14], static_cast<uint16_t>(height));
  h[16] = static_cast<uint8_t>(bits);
  return h;
}

Bytes Cat(Bytes a, const Bytes &b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// A 24-bit BMP; `data` is the pixel data exactly as stored (padding included).
Bytes Bmp(int32_t width, int32_t height, const Bytes &data, int bitCount = 24, uint32_t imageSize = 0,
          uint32_t coloursUsed = 0) {
  Bytes h(54, 0);
  h[0] = 'B';
  h[1] = 'M';
  PutU32(&h[2], static_cast<uint32_t>(54 + data.size()));
  PutU32(&h[10], 54);
  PutU32(&h[14], 40);
  PutI32(&h[18], width);
  PutI32(&h[22], height);
  PutU16(&h[26], 1);
  PutU16(&h[28], static_cast<uint16_t>(bitCount));
  PutU32(&h[34], imageSize);
  PutU32(&h[46], coloursUsed);
  return Cat(h, data);
}

// Encodes top-down rows of 1 (grey) or 3 (RGB) components.
Bytes EncodeJpeg(int width, int height, int components, const Bytes &pixels) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr jerr;
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_compress(&cinfo);
  unsigned char *mem = nullptr;
  unsigned long memSize = 0;
  jpeg_mem_dest(&cinfo, &mem, &memSize);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = components;
  cinfo.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 100, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(&pixels[cinfo.next_scanline * static_cast<size_t>(width) * components]);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  Bytes out(mem, mem + memSize);
  jpeg_destroy_compress(&cinfo);
  free(mem);
  return out;
}

bool Tga(const Bytes &file, DecodedImage &img, DecodeError &err) {
  return DecodeTarga("t.tga", file.data(), file.size(), img, err);
}

// Expects a refusal with exactly this text and caption.
void ExpectTgaRefused(const Bytes &file, const std::string &message) {
  DecodedImage img;
  DecodeError err;
  EXPECT_FALSE(Tga(file, img, err)) << message;
  EXPECT_EQ(err.message, message);
  EXPECT_EQ(err.caption, "TGA File Error");
}

void ExpectBmpRefused(const Bytes &file, const std::string &message) {
  DecodedImage img;
  DecodeError err;
  EXPECT_FALSE(DecodeBitmap("b.bmp", file.data(), file.size(), img, err)) << message;
  EXPECT_EQ(err.message, message);
  EXPECT_EQ(err.caption, "BMP Unit");
}

bool Near(int a, int b) { return std::abs(a - b) <= 6; }
}  // namespace

TEST(Targa, UncompressedSwapsToRgbAndKeepsFileRowOrder) {
  // 2x2, 24-bit BGR; the first stored row is handed on first whatever the origin bit says.
  Bytes header = TgaHeader(2, 24, 2, 2);
  header[17] = 0x20;  // top-left origin: ignored
  Bytes file = Cat(header, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
  DecodedImage img;
  DecodeError err;
  ASSERT_TRUE(Tga(file, img, err)) << err.message;
  EXPECT_EQ(img.width, 2);
  EXPECT_EQ(img.height, 2);
  EXPECT_EQ(img.bytesPerPixel, 3);
  EXPECT_EQ(img.pixels, (Bytes{3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10}));

  // 32-bit keeps its alpha.
  file = Cat(TgaHeader(2, 32, 1, 2), {10, 20, 30, 40, 50, 60, 70, 80});
  ASSERT_TRUE(Tga(file, img, err));
  EXPECT_EQ(img.bytesPerPixel, 4);
  EXPECT_EQ(img.pixels, (Bytes{30, 20, 10, 40, 70, 60, 50, 80}));

  // A filled-in image-ID field is skipped, not read as pixels.
  file = Cat(TgaHeader(2, 24, 1, 1, 0, 3), {0xee, 0xee, 0xee, 1, 2, 3});
  ASSERT_TRUE(Tga(file, img, err));
  EXPECT_EQ(img.pixels, (Bytes{3, 2, 1}));
}

TEST(Targa, RunLengthPacketsCrossRowsAndEndExactlyAtTheImageEnd) {
  // 3x2: a run of 4 crosses the first row's end, then a raw packet of 2.
  Bytes file = Cat(TgaHeader(10, 24, 3, 2), {0x83, 1, 2, 3, 0x01, 4, 5, 6, 7, 8, 9});
  DecodedImage img;
  DecodeError err;
  ASSERT_TRUE(Tga(file, img, err)) << err.message;
  EXPECT_EQ(img.bytesPerPixel, 3);
  EXPECT_EQ(img.pixels, (Bytes{3, 2, 1, 3, 2, 1, 3, 2, 1, 3, 2, 1, 6, 5, 4, 9, 8, 7}));

  // The last packet is a run that fills the image to its very last pixel.
  file = Cat(TgaHeader(10, 32, 2, 2), {0x00, 1, 2, 3, 4, 0x82, 5, 6, 7, 8});
  ASSERT_TRUE(Tga(file, img, err)) << err.message;
  EXPECT_EQ(img.pixels, (Bytes{3, 2, 1, 4, 7, 6, 5, 8, 7, 6, 5, 8, 7, 6, 5, 8}));

  // Full 128-pixel runs.
  file = Cat(TgaHeader(10, 24, 16, 16), {0xff, 9, 8, 7, 0xff, 6, 5, 4});
  ASSERT_TRUE(Tga(file, img, err)) << err.message;
  ASSERT_EQ(img.pixels.size(), 16u * 16 * 3);
  EXPECT_EQ(img.pixels[127 * 3], 7);
  EXPECT_EQ(img.pixels[128 * 3], 4);
  EXPECT_EQ(img.pixels[255 * 3 + 2], 6);
}

TEST(Targa, RefusesUnsupportedKindsWithTheirMessages) {
  const std::string name = "Couldn't load \"t.tga\". ";
  ExpectTgaRefused(Cat(TgaHeader(2, 16, 1, 1), {0, 0}), name + "Only 24 and 32 bit TGA files supported.");
  ExpectTgaRefused(Cat(TgaHeader(2, 24, 1, 1, 1), {0, 0, 0}), name + "Colormapped TGA files not supported.");
  ExpectTgaRefused(Cat(TgaHeader(3, 8, 1, 1), {0}), name + "Only 24 and 32bit TGA supported.");
  ExpectTgaRefused(Cat(TgaHeader(1, 8, 1, 1, 1), {0}), name + "Only 24 and 32bit TGA supported.");
  // The type is checked before the colour map, the colour map before the depth.
  ExpectTgaRefused(TgaHeader(9, 16, 1, 1, 1), name + "Only 24 and 32bit TGA supported.");
  ExpectTgaRefused(TgaHeader(10, 16, 1, 1, 1), name + "Colormapped TGA files not supported.");
  // Depths that are not whole 3- or 4-byte pixels would not match the buffer handed to GL.
  ExpectTgaRefused(Cat(TgaHeader(2, 40, 1, 1), {0, 0, 0, 0, 0}), name + "Only 24 and 32 bit TGA files supported.");
  ExpectTgaRefused(Cat(TgaHeader(2, 28, 1, 1), {0, 0, 0, 0}), name + "Only 24 and 32 bit TGA files supported.");
}

TEST(Targa, DamagedDataIsRefusedAsUnreadable) {
  const std::string unreadable = "Couldn't read file \"t.tga\".";
  ExpectTgaRefused({}, unreadable);
  ExpectTgaRefused(Bytes(17, 0), unreadable);
  // Uncompressed data one byte short.
  ExpectTgaRefused(Cat(TgaHeader(2, 24, 2, 2), Bytes(11, 0)), unreadable);
  // Zero and absurd sizes.
  ExpectTgaRefused(Cat(TgaHeader(2, 24, 0, 4), Bytes(12, 0)), unreadable);
  ExpectTgaRefused(Cat(TgaHeader(2, 24, 4, 0), Bytes(12, 0)), unreadable);
  ExpectTgaRefused(TgaHeader(10, 24, 9000, 1), unreadable);
  ExpectTgaRefused(TgaHeader(2, 32, 1, 65535), unreadable);
  // An image-ID field longer than the file.
  ExpectTgaRefused(Cat(TgaHeader(2, 24, 1, 1, 0, 200), {1, 2, 3}), unreadable);
  // Packets that stop before the image is full: no header, a short raw packet, a run missing its pixel.
  ExpectTgaRefused(Cat(TgaHeader(10, 24, 2, 2), {0x80, 1, 2, 3}), unreadable);
  ExpectTgaRefused(Cat(TgaHeader(10, 24, 2, 2), {0x03, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}), unreadable);
  ExpectTgaRefused(Cat(TgaHeader(10, 24, 2, 2), {0x82, 1, 2, 3, 0x80, 1, 2}), unreadable);
  // Packets that would write past the image.
  ExpectTgaRefused(Cat(TgaHeader(10, 24, 2, 2), {0x84, 1, 2, 3}), unreadable);
  ExpectTgaRefused(Cat(TgaHeader(10, 24, 2, 2), {0x02, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0x81, 1, 2, 3}), unreadable);
}

TEST(Bitmap, PaddedRowsAreStrippedAndPixelsSwapped) {
  // Width 2: 6 bytes of pixels and 2 of padding per row; rows stay bottom-up as stored.
  Bytes data = {1, 2, 3, 4, 5, 6, 0xaa, 0xbb, 7, 8, 9, 10, 11, 12, 0xcc, 0xdd};
  DecodedImage img;
  DecodeError err;
  Bytes file = Bmp(2, 2, data);
  ASSERT_TRUE(DecodeBitmap("b.bmp", file.data(), file.size(), img, err)) << err.message;
  EXPECT_EQ(img.width, 2);
  EXPECT_EQ(img.height, 2);
  EXPECT_EQ(img.bytesPerPixel, 3);
  EXPECT_EQ(img.pixels, (Bytes{3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10}));

  // The last row may lack its padding; the image-size field may give the padded size.
  data.resize(14);
  file = Bmp(2, 2, data, 24, 14);
  ASSERT_TRUE(DecodeBitmap("b.bmp", file.data(), file.size(), img, err)) << err.message;
  EXPECT_EQ(img.pixels[11], 10);

  // Colours-used bytes are skipped before the pixels.
  file = Bmp(4, 1, {0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, 24, 0, 4);
  ASSERT_TRUE(DecodeBitmap("b.bmp", file.data(), file.size(), img, err)) << err.message;
  EXPECT_EQ(img.pixels, (Bytes{3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10}));
}

TEST(Bitmap, RefusesOtherDepthsAndDamagedFiles) {
  ExpectBmpRefused(Bmp(1, 1, {0, 0, 0, 0}, 8), "Couldn't load \"b.bmp\". Only 24 bit BMP files supported.");
  ExpectBmpRefused(Bmp(1, 1, {0, 0, 0, 0}, 32), "Couldn't load \"b.bmp\". Only 24 bit BMP files supported.");
  ExpectBmpRefused(Bytes(53, 0), "Error reading bitmap header");
  ExpectBmpRefused(Bmp(1, 1, {0, 0, 0}, 24, 0, 8), "Error reading palette");
  const std::string data = "Error reading bitmap data";
  // Short pixel data: the second row of a padded 2x2 is missing a pixel.
  ExpectBmpRefused(Bmp(2, 2, Bytes(11, 0)), data);
  ExpectBmpRefused(Bmp(3, 3, Bytes(30, 0)), data);  // enough for unpadded rows only
  // An image-size field beyond the file.
  ExpectBmpRefused(Bmp(1, 1, Bytes(4, 0), 24, 0xffffffffu), data);
  // Negative, zero and absurd sizes.
  ExpectBmpRefused(Bmp(1, -1, Bytes(4, 0)), data);
  ExpectBmpRefused(Bmp(-1, 1, Bytes(4, 0)), data);
  ExpectBmpRefused(Bmp(0, 1, Bytes(4, 0)), data);
  ExpectBmpRefused(Bmp(1, 0, Bytes(4, 0)), data);
  ExpectBmpRefused(Bmp(8193, 1, Bytes(4, 0)), data);
  ExpectBmpRefused(Bmp(0x40000000, 0x40000000, Bytes(4, 0)), data);
}

TEST(Jpeg, DecodesToOpaqueRgbaWithTheBottomRowFirst) {
  // 16x16: the top 8 rows red, the bottom 8 blue.
  Bytes rgb(16 * 16 * 3);
  for (size_t y = 0; y < 16; ++y)
    for (size_t x = 0; x < 16; ++x) {
      uint8_t *p = &rgb[(y * 16 + x) * 3];
      p[0] = y < 8 ? 220 : 20;
      p[1] = 30;
      p[2] = y < 8 ? 20 : 200;
    }
  Bytes file = EncodeJpeg(16, 16, 3, rgb);
  DecodedImage img;
  DecodeError err;
  ASSERT_TRUE(DecodeJpeg("p.jpg", file.data(), file.size(), img, err)) << err.message;
  EXPECT_EQ(img.width, 16);
  EXPECT_EQ(img.height, 16);
  EXPECT_EQ(img.bytesPerPixel, 4);
  ASSERT_EQ(img.pixels.size(), 16u * 16 * 4);
  const uint8_t *first = &img.pixels[0], *last = &img.pixels[(16 * 16 - 1) * 4];
  EXPECT_TRUE(Near(first[0], 20) && Near(first[2], 200)) << int(first[0]) << " " << int(first[2]);
  EXPECT_TRUE(Near(last[0], 220) && Near(last[2], 20)) << int(last[0]) << " " << int(last[2]);
  for (size_t i = 3; i < img.pixels.size(); i += 4) ASSERT_EQ(img.pixels[i], 255);

  // Grey pictures come out as RGB with equal channels.
  Bytes grey(8 * 8, 0);
  for (size_t i = 0; i < grey.size(); ++i) grey[i] = i < 32 ? 40 : 180;
  file = EncodeJpeg(8, 8, 1, grey);
  ASSERT_TRUE(DecodeJpeg("g.jpg", file.data(), file.size(), img, err)) << err.message;
  ASSERT_EQ(img.pixels.size(), 8u * 8 * 4);
  EXPECT_TRUE(Near(img.pixels[0], 180));
  EXPECT_EQ(img.pixels[0], img.pixels[1]);
  EXPECT_EQ(img.pixels[0], img.pixels[2]);
  EXPECT_TRUE(Near(img.pixels[63 * 4], 40));
}

TEST(Jpeg, TruncatedAndDamagedFilesAreRefused) {
  Bytes rgb(32 * 32 * 3);
  for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<uint8_t>(i * 7);
  Bytes file = EncodeJpeg(32, 32, 3, rgb);
  DecodedImage img;
  DecodeError err;
  ASSERT_TRUE(DecodeJpeg("x.jpg", file.data(), file.size(), img, err));

  // libjpeg only warns about a cut-off file and pads it with grey; that still counts as failure.
  Bytes cut(file.begin(), file.begin() + static_cast<long>(file.size() * 2 / 3));
  err = {};
  EXPECT_FALSE(DecodeJpeg("x.jpg", cut.data(), cut.size(), img, err));
  EXPECT_EQ(err.message, "Couldn't load JPG - \"x.jpg\"");
  EXPECT_EQ(err.caption, "BMP Unit");

  Bytes garbage = {0xff, 0xd8, 1, 2, 3, 4, 5};
  err = {};
  EXPECT_FALSE(DecodeJpeg("x.jpg", garbage.data(), garbage.size(), img, err));
  EXPECT_EQ(err.message, "Couldn't load JPG - \"x.jpg\"");
  EXPECT_FALSE(DecodeJpeg("x.jpg", file.data(), 0, img, err));
}
