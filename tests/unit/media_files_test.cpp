// Pictures and sounds read from the data folder: the TGA and BMP decoders (the pixels they hand
// on, the files they refuse with the game's words), the WAV reader, and the program's icons (the
// window's icon read as the window reads it; the menu icons at small sizes still show the figure).
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <tuple>

#include "audio/openal.h"
#include "base/files.h"
#include "contentc/art.h"
#include "platform/window.h"
#include "render/textures.h"
#include "rig/rig.h"

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

Bytes Chunk(const char *id, const Bytes &body, int64_t declared = -1) {
  Bytes c(8);
  std::memcpy(c.data(), id, 4);
  PutU32(&c[4], static_cast<uint32_t>(declared < 0 ? body.size() : declared));
  c.insert(c.end(), body.begin(), body.end());
  return c;
}

Bytes Fmt(unsigned channels, unsigned bits, uint32_t rate, size_t extra = 0) {
  Bytes f(16 + extra, 0);
  PutU16(&f[0], 1);
  PutU16(&f[2], static_cast<uint16_t>(channels));
  PutU32(&f[4], rate);
  PutU32(&f[8], rate * channels * bits / 8);
  PutU16(&f[12], static_cast<uint16_t>(channels * bits / 8));
  PutU16(&f[14], static_cast<uint16_t>(bits));
  return Chunk("fmt ", f);
}

Bytes Riff(std::initializer_list<Bytes> chunks) {
  Bytes r = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
  for (const Bytes &c : chunks) r.insert(r.end(), c.begin(), c.end());
  PutU32(&r[4], static_cast<uint32_t>(r.size() - 8));
  return r;
}

Bytes Samples(size_t n, uint8_t first = 1) {
  Bytes s(n);
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<uint8_t>(first + i);
  return s;
}

struct Pixel {
  int r, g, b, a;
};

// The icon as 8-bit RGBA, top row first.
std::vector<Pixel> Pixels(SDL_Surface *icon) {
  SDL_Surface *rgba = SDL_ConvertSurfaceFormat(icon, SDL_PIXELFORMAT_RGBA32, 0);
  std::vector<Pixel> out;
  if (!rgba) return out;
  for (int y = 0; y < rgba->h; ++y) {
    const uint8_t *row = static_cast<const uint8_t *>(rgba->pixels) + y * rgba->pitch;
    for (int x = 0; x < rgba->w; ++x) out.push_back({row[4 * x], row[4 * x + 1], row[4 * x + 2], row[4 * x + 3]});
  }
  SDL_FreeSurface(rgba);
  return out;
}
}  // namespace

TEST(Targa, DecodesUncompressedAndRunLengthPicturesAndRefusesOtherKindsAndDamagedFiles) {
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

// Each good file gives its format (0: one OpenAL cannot play), frequency and samples; a damaged
// one gives false, no data and a reason.
TEST(Wav, GoodFilesGiveTheirSamplesAndDamagedOnesNothingAndAReason) {
  const Bytes good = Riff({Fmt(1, 16, 22050), Chunk("data", Samples(100))});
  Bytes shortFmt = Riff({Fmt(1, 16, 22050), Chunk("data", Samples(8))});
  PutU32(&shortFmt[16], 4);
  const Bytes fmt15 = Fmt(1, 8, 8000);
  const struct {
    Bytes file;
    int32_t format = 0;
    uint32_t frequency = 0;
    Bytes samples = {};  // none: refused
  } cases[] = {
      {Riff({Fmt(1, 16, 22050), Chunk("data", Samples(400))}), AL_FORMAT_MONO16, 22050, Samples(400)},
      {Riff({Fmt(1, 8, 44100), Chunk("data", Samples(12))}), AL_FORMAT_MONO8, 44100, Samples(12)},
      {Riff({Fmt(2, 8, 44100), Chunk("data", Samples(12))}), AL_FORMAT_STEREO8, 44100, Samples(12)},
      {Riff({Fmt(2, 16, 8000), Chunk("data", Samples(12))}), AL_FORMAT_STEREO16, 8000, Samples(12)},
      {Riff({Fmt(1, 24, 44100), Chunk("data", Samples(12))}), 0, 44100, Samples(12)},
      {Riff({Fmt(6, 16, 44100), Chunk("data", Samples(12))}), 0, 44100, Samples(12)},
      // A LIST chunk before the samples and one after them, and an 18-byte format chunk.
      {Riff({Fmt(1, 16, 22050, 2), Chunk("LIST", Samples(26, 90)), Chunk("data", Samples(64)),
             Chunk("LIST", Samples(10))}),
       AL_FORMAT_MONO16, 22050, Samples(64)},
      // The last data chunk wins.
      {Riff({Fmt(1, 16, 22050), Chunk("data", Samples(8)), Chunk("data", Samples(6, 50))}), AL_FORMAT_MONO16, 22050,
       Samples(6, 50)},
      // An odd-sized chunk is not padded; a stray byte at the very end is no chunk.
      {Riff({Fmt(1, 16, 8000), Chunk("junk", Samples(3)), Chunk("data", Samples(4)), Bytes{0}}), AL_FORMAT_MONO16, 8000,
       Samples(4)},
      // Seven bytes at the end are too few for a chunk's header, whatever they spell.
      {Riff({Fmt(1, 16, 8000), Chunk("data", Samples(4)), Bytes{'d', 'a', 't', 'a', 1, 0, 0}}), AL_FORMAT_MONO16, 8000,
       Samples(4)},
      // A chunk cut off after the samples is trailing metadata: the sound is whole.
      {Riff({Fmt(1, 16, 8000), Chunk("data", Samples(4)), Chunk("LIST", Samples(4), 1000)}), AL_FORMAT_MONO16, 8000,
       Samples(4)},
      // Damaged: empty, cut inside the header, no data chunk, the data cut short, a chunk before
      // the data running past the end, a format chunk shorter than its fields, and one of 15 bytes
      // (its last field would be read from the next chunk's name).
      {{}},
      {Bytes(good.begin(), good.begin() + 30)},
      {Riff({Fmt(1, 16, 22050), Chunk("LIST", Samples(8))})},
      {Bytes(good.begin(), good.end() - 1)},
      {Riff({Fmt(1, 16, 22050), Chunk("LIST", Samples(8), 0xFFFFFFF0), Chunk("data", Samples(8))})},
      {shortFmt},
      {Riff({Chunk("fmt ", Bytes(fmt15.begin() + 8, fmt15.end() - 1)), Chunk("data", Samples(8))})},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::Message() << "a file of " << c.file.size() << " bytes");
    twav wav;
    wav.data = {1, 2, 3};
    std::string error;
    // Copied into a buffer of exactly its size, so a read past the end shows under the sanitizers.
    std::unique_ptr<uint8_t[]> exact(new uint8_t[std::max<size_t>(c.file.size(), 1)]);
    std::copy(c.file.begin(), c.file.end(), exact.get());
    EXPECT_EQ(ParseWav(c.file.empty() ? nullptr : exact.get(), c.file.size(), wav, &error), !c.samples.empty());
    EXPECT_EQ(std::make_tuple(wav.format, wav.frequency, wav.data, wav.size, error.empty()),
              std::make_tuple(c.format, c.frequency, c.samples, uint32_t(c.samples.size()), !c.samples.empty()))
        << error;
  }
}

TEST(WindowIcon, TheDataFoldersIconLoadsUprightWithItsAlpha) {
  SDL_Surface *icon = LoadWindowIcon(BuiltDataDir() + "/" + kWindowIconFile);
  ASSERT_NE(icon, nullptr) << SDL_GetError();
  const int w = icon->w, h = icon->h;
  const std::vector<Pixel> p = Pixels(icon);
  SDL_FreeSurface(icon);
  ASSERT_EQ(std::make_tuple(w, h, p.size()), std::make_tuple(kWindowIconSize, kWindowIconSize, size_t(w) * h));
  auto at = [&](int x, int y) { return p[y * w + x]; };
  for (int y = h / 4; y < 3 * h / 4; ++y)
    for (int x = w / 4; x < 3 * w / 4; ++x) ASSERT_EQ(at(x, y).a, 255) << x << "," << y;
  EXPECT_EQ(at(0, 0).a, 0) << "the rounded corner";
  const Pixel sky = at(w / 2, 2), street = at(w / 2, h - 3);
  EXPECT_TRUE(sky.r > 60 && sky.r > 2 * sky.g && sky.r > 2 * sky.b) << "red sky at the top: " << sky.r << " " << sky.g;
  EXPECT_LT(street.r + street.g + street.b, 60) << "black street at the bottom";
}

TEST(WindowIcon, AMissingOrDamagedFileGivesNoIcon) {
  const std::vector<uint8_t> good = FileBytes(BuiltDataDir() + "/" + kWindowIconFile);
  ASSERT_GT(good.size(), 200u);
  std::vector<uint8_t> huge = good, truncated(good.begin(), good.begin() + good.size() / 2);
  PutI32(&huge[18], 40000), PutI32(&huge[22], 40000);
  const std::string text = "not a picture at all, but long enough to hold a header";
  TempDir dir;
  const struct {
    const char *name;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"empty", {}},
      {"text", std::vector<uint8_t>(text.begin(), text.end())},
      {"truncated", truncated},
      {"huge", huge},
  };
  for (const auto &c : cases) {
    ASSERT_TRUE(WriteFileAtomic(dir.file(c.name), c.bytes, nullptr));
    SDL_Surface *icon = LoadWindowIcon(dir.file(c.name));
    EXPECT_EQ(icon, nullptr) << c.name;
    if (icon) SDL_FreeSurface(icon);
  }
  EXPECT_EQ(LoadWindowIcon(dir.file("missing")), nullptr);
  EXPECT_EQ(LoadWindowIcon(dir.path()), nullptr) << "a folder";
}

// At every size a tenth of the icon, at least, is solid black silhouette above the street: the
// small sizes too show a figure bold enough to read, not a sunset with a dark mark. (The sizes
// themselves are in the build's package folder for people to look at.)
TEST(MenuIcons, EverySizeShowsBoldSilhouettes) {
  for (int s : kAppIconSizes) {
    const Canvas icon = MakeAppIcon(s);
    int black = 0;
    for (int y = s * 3 / 16 + 1; y < s; ++y)  // above the street
      for (int x = 0; x < s; ++x) {
        const Rgba p = icon.get(x, y);
        black += p.a > 0.99 && p.r + p.g + p.b < 0.3;
      }
    EXPECT_GE(black, s * s / 10) << s << " pixels";
  }
}
