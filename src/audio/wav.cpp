// The RIFF WAVE reader. It reads the few fields OpenAL needs at their fixed places and walks
// the chunks after the format chunk, trusting no size it finds.
#include <cstring>

#include "audio/openal.h"
#include "base/files.h"

namespace {

// The header as far as the first 16 bytes of the format chunk: RIFF header (12), chunk
// header (8), format fields (16).
constexpr size_t kHeaderBytes = 36;

int32_t FormatOf(unsigned channels, unsigned bits) {
  if (channels == 1 && bits == 8) return AL_FORMAT_MONO8;
  if (channels == 1 && bits == 16) return AL_FORMAT_MONO16;
  if (channels == 2 && bits == 8) return AL_FORMAT_STEREO8;
  if (channels == 2 && bits == 16) return AL_FORMAT_STEREO16;
  return 0;
}

// A chunk identifier fit for a message: unprintable bytes shown as '?'.
std::string ChunkName(const uint8_t *id) {
  std::string s(4, '?');
  for (int i = 0; i < 4; ++i)
    if (id[i] >= 32 && id[i] < 127) s[i] = static_cast<char>(id[i]);
  return s;
}

bool Fail(twav &wav, std::string *error, const std::string &why) {
  wav = twav{};
  if (error) *error = why;
  return false;
}

}  // namespace

bool ParseWav(const uint8_t *bytes, size_t length, twav &wav, std::string *error) {
  wav = twav{};
  if (!bytes || length < kHeaderBytes) return Fail(wav, error, "too short for a WAVE header");
  const unsigned channels = GetU16(bytes + 22);
  const unsigned bits = GetU16(bytes + 34);
  const uint64_t formatSize = GetU32(bytes + 16);
  if (formatSize < 16) return Fail(wav, error, "format chunk too short");
  // Sizes are added in 64 bits: a 32-bit size near 4 GB cannot wrap round to a small one.
  uint64_t pos = 20 + formatSize;
  if (pos > length) return Fail(wav, error, "format chunk runs past the end of the file");

  twav read;
  read.format = FormatOf(channels, bits);
  read.frequency = GetU32(bytes + 24);
  bool found = false;
  while (pos < length) {
    // Fewer bytes than a chunk header: a pad byte or a stray tail, not a chunk.
    if (length - pos < 8) break;
    const uint8_t *id = bytes + pos;
    const uint64_t chunkSize = GetU32(bytes + pos + 4);
    pos += 8;
    const bool isData = std::memcmp(id, "data", 4) == 0;
    if (chunkSize > length - pos) {
      // A cut-off chunk after the samples is trailing metadata; the sound itself is whole.
      if (found && !isData) break;
      return Fail(
          wav, error,
          "chunk \"" + ChunkName(id) + "\" of " + std::to_string(chunkSize) + " bytes runs past the end of the file");
    }
    if (isData) {
      // 8-bit data is handed on with one byte more, but only a byte the file holds.
      uint64_t take = chunkSize;
      if (bits == 8 && take < length - pos) ++take;
      read.data.assign(bytes + pos, bytes + pos + take);
      read.size = static_cast<uint32_t>(take);
      found = true;
    }
    pos += chunkSize;
  }
  if (!found) return Fail(wav, error, "no data chunk");
  wav = std::move(read);
  return true;
}

bool LoadWavFile(const std::string &fileName, twav &wav, std::string *error) {
  std::vector<uint8_t> bytes;
  if (!ReadFileBytes(fileName, bytes)) return Fail(wav, error, "cannot be read");
  return ParseWav(bytes.data(), bytes.size(), wav, error);
}
