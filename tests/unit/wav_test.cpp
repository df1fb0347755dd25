// The WAV reader: the formats it maps, the chunks it walks past, and the damaged files it must
// refuse without reading outside their bytes.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "audio/openal.h"
#include "base/files.h"
#include "rig/rig.h"

namespace {

using Bytes = std::vector<uint8_t>;

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

bool Parse(const Bytes &b, twav &wav, std::string *error = nullptr) { return ParseWav(b.data(), b.size(), wav, error); }

}  // namespace

TEST(Wav, FormatsFrequencyAndSizeComeFromTheHeader) {
  twav wav;
  ASSERT_TRUE(Parse(Riff({Fmt(1, 16, 22050), Chunk("data", Samples(400))}), wav));
  EXPECT_EQ(wav.format, AL_FORMAT_MONO16);
  EXPECT_EQ(wav.frequency, 22050u);
  EXPECT_EQ(wav.size, 400u);
  EXPECT_EQ(wav.data, Samples(400));
  // From a file the same; a missing file is refused with a reason.
  TempDir dir;
  dir.write("tone.wav", Riff({Fmt(1, 16, 22050), Chunk("data", Samples(40))}));
  std::string error;
  ASSERT_TRUE(LoadWavFile(dir.file("tone.wav"), wav, &error)) << error;
  EXPECT_EQ(wav.size, 40u);
  EXPECT_FALSE(LoadWavFile(dir.file("none.wav"), wav, &error));
  EXPECT_TRUE(wav.data.empty() && !error.empty());

  struct Case {
    unsigned channels, bits;
    int32_t format;
  };
  for (Case c : {Case{1, 8, AL_FORMAT_MONO8}, Case{2, 8, AL_FORMAT_STEREO8}, Case{2, 16, AL_FORMAT_STEREO16},
                 Case{1, 24, 0}, Case{6, 16, 0}}) {
    ASSERT_TRUE(Parse(Riff({Fmt(c.channels, c.bits, 44100), Chunk("data", Samples(12))}), wav)) << c.bits;
    EXPECT_EQ(wav.format, c.format) << c.channels << " channels, " << c.bits << " bits";
    EXPECT_EQ(wav.frequency, 44100u);
  }
}

TEST(Wav, OtherChunksAndExtendedFormatsArePassedOverAndTheLastDataWins) {
  const Bytes plain = Riff({Fmt(1, 16, 22050), Chunk("data", Samples(64))});
  twav a, b;
  ASSERT_TRUE(Parse(plain, a));
  // A LIST chunk before the samples and one after them, and an 18-byte format chunk.
  ASSERT_TRUE(Parse(Riff({Fmt(1, 16, 22050, 2), Chunk("LIST", Samples(26, 90)), Chunk("data", Samples(64)),
                          Chunk("LIST", Samples(10))}),
                    b));
  EXPECT_EQ(b.data, a.data);
  EXPECT_EQ(b.format, AL_FORMAT_MONO16);
  ASSERT_TRUE(Parse(Riff({Fmt(1, 16, 22050), Chunk("data", Samples(8)), Chunk("data", Samples(6, 50))}), b));
  EXPECT_EQ(b.data, Samples(6, 50));
  // An odd-sized chunk is not padded; a stray byte at the very end is no chunk.
  ASSERT_TRUE(Parse(Riff({Fmt(1, 16, 8000), Chunk("junk", Samples(3)), Chunk("data", Samples(4)), Bytes{0}}), b));
  EXPECT_EQ(b.data, Samples(4));
  // A chunk cut off after the samples is trailing metadata: the sound is whole.
  Bytes tail = Riff({Fmt(1, 16, 8000), Chunk("data", Samples(4)), Chunk("LIST", Samples(4), 1000)});
  ASSERT_TRUE(Parse(tail, b));
  EXPECT_EQ(b.data, Samples(4));
}

TEST(Wav, DamagedFilesGiveFalseNoDataAndAReason) {
  const Bytes good = Riff({Fmt(1, 16, 22050), Chunk("data", Samples(100))});
  struct Case {
    const char *what;
    Bytes bytes;
  };
  const Case cases[] = {
      {"empty", {}},
      {"cut inside the header", Bytes(good.begin(), good.begin() + 30)},
      {"no data chunk", Riff({Fmt(1, 16, 22050), Chunk("LIST", Samples(8))})},
      {"data cut short", Bytes(good.begin(), good.end() - 1)},
      {"chunk before data runs past the end", Riff({Fmt(1, 16, 22050), Chunk("LIST", Samples(8), 0xFFFFFFF0),
                                                    Chunk("data", Samples(8))})},
      {"format chunk shorter than its fields", [] {
         Bytes b = Riff({Fmt(1, 16, 22050), Chunk("data", Samples(8))});
         PutU32(&b[16], 4);
         return b;
       }()},
  };
  for (const Case &c : cases) {
    twav wav;
    wav.data = {1, 2, 3};
    std::string error;
    // Copied into a buffer of exactly its size, so a read past the end shows under the sanitizers.
    std::unique_ptr<uint8_t[]> exact(new uint8_t[c.bytes.empty() ? 1 : c.bytes.size()]);
    std::copy(c.bytes.begin(), c.bytes.end(), exact.get());
    EXPECT_FALSE(ParseWav(c.bytes.empty() ? nullptr : exact.get(), c.bytes.size(), wav, &error)) << c.what;
    EXPECT_TRUE(wav.data.empty()) << c.what;
    EXPECT_EQ(wav.size, 0u) << c.what;
    EXPECT_FALSE(error.empty()) << c.what;
  }
}
