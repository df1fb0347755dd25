#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <tuple>

#include "audio/openal.h"
#include "base/files.h"

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

}  // namespace

TEST(Wav, FormatsFrequencySizeAndTheSamplesAmongOtherChunks) {
  const std::tuple<Bytes, int32_t, uint32_t, Bytes> cases[] = {
      // file, format, frequency, samples
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
  };
  for (const auto &[file, format, frequency, data] : cases) {
    twav wav;
    ASSERT_TRUE(ParseWav(file.data(), file.size(), wav, nullptr)) << file.size();
    EXPECT_EQ(std::make_tuple(wav.format, wav.frequency, wav.data, wav.size),
              std::make_tuple(format, frequency, data, uint32_t(data.size())));
  }
}

TEST(Wav, DamagedFilesGiveFalseNoDataAndAReason) {
  const Bytes good = Riff({Fmt(1, 16, 22050), Chunk("data", Samples(100))});
  Bytes shortFmt = Riff({Fmt(1, 16, 22050), Chunk("data", Samples(8))});
  PutU32(&shortFmt[16], 4);
  const Bytes fmt15 = Fmt(1, 8, 8000);
  const struct {
    const char *what;
    Bytes bytes;
  } cases[] = {
      {"empty", {}},
      {"cut inside the header", Bytes(good.begin(), good.begin() + 30)},
      {"no data chunk", Riff({Fmt(1, 16, 22050), Chunk("LIST", Samples(8))})},
      {"data cut short", Bytes(good.begin(), good.end() - 1)},
      {"chunk before data runs past the end",
       Riff({Fmt(1, 16, 22050), Chunk("LIST", Samples(8), 0xFFFFFFF0), Chunk("data", Samples(8))})},
      {"format chunk shorter than its fields", shortFmt},
      // A byte short: its last field would be read from the next chunk's name.
      {"format chunk of 15 bytes",
       Riff({Chunk("fmt ", Bytes(fmt15.begin() + 8, fmt15.end() - 1)), Chunk("data", Samples(8))})},
  };
  for (const auto &c : cases) {
    twav wav;
    wav.data = {1, 2, 3};
    std::string error;
    // Copied into a buffer of exactly its size, so a read past the end shows under the sanitizers.
    std::unique_ptr<uint8_t[]> exact(new uint8_t[std::max<size_t>(c.bytes.size(), 1)]);
    std::copy(c.bytes.begin(), c.bytes.end(), exact.get());
    EXPECT_FALSE(ParseWav(c.bytes.empty() ? nullptr : exact.get(), c.bytes.size(), wav, &error)) << c.what;
    EXPECT_TRUE(wav.data.empty() && wav.size == 0 && !error.empty()) << c.what;
  }
}
