// Data paths, whole-file reads, safe saves and little-endian field access.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

// The data folder (textures, pieces, figure, sounds, texts, the shipped options); every data
// file is opened relative to it. Start-up chooses it; the game never writes there.
extern std::string baseDirectory;

// Joins baseDirectory with a relative path such as "textures/smoke.tga".
std::string DataPath(const std::string &relative);
// Joins a folder and a name with "/"; an empty folder gives the name alone.
std::string JoinPath(const std::string &folder, const std::string &name);

bool FileExists(const std::string &path);
// Reads the whole file; false (and bytes emptied) when it cannot be opened or read.
bool ReadFileBytes(const std::string &path, std::vector<uint8_t> &bytes);
// Writes a temporary file beside the target and renames it over the target, so a crash
// never leaves a half-written file. On failure the old file is untouched and error says why.
bool WriteFileAtomic(const std::string &path, const std::vector<uint8_t> &bytes, std::string *error);

bool FolderExists(const std::string &path);
// Creates the folder and its missing parents, then proves it takes files by making and removing
// one (permissions alone say nothing about a read-only disk). False with the reason otherwise.
bool MakeWritableFolder(const std::string &path, std::string *error);
// The same file, or the same folder, reached by two paths (false when either is missing).
bool SamePlace(const std::string &a, const std::string &b);
// The folder holding the running program, from /proc/self/exe; "" when it cannot be told.
std::string ExecutableFolder();
// The process's working folder; "" when it cannot be told.
std::string WorkingFolder();

// Points the process's stderr at /dev/null for its lifetime, unless `keep`: libraries probing for
// devices (sound, display) write their complaints to the descriptor itself.
struct QuietStderr {
  explicit QuietStderr(bool keep = false);
  ~QuietStderr();
  QuietStderr(const QuietStderr &) = delete;
  QuietStderr &operator=(const QuietStderr &) = delete;
  int saved = -1;
};

// Text from outside (a path, a name) made fit for a one-line message: valid UTF-8 is kept, control
// characters, line separators and invalid bytes become escapes (\n, \x1b, \u2028), a backslash \\.
std::string PrintableText(const std::string &text);

// Checksums: CRC-32 (the zlib one) to find damage, FNV-1a to name a set of data. Each continues
// from `seed`, the value returned for the bytes before.
uint32_t Crc32(const uint8_t *data, size_t size, uint32_t seed = 0);
uint64_t Fnv1a64(const uint8_t *data, size_t size, uint64_t seed = 14695981039346656037ull);

// Little-endian field access over a byte buffer. Callers check sizes before reading.
inline uint16_t GetU16(const uint8_t *p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t GetU32(const uint8_t *p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}
inline int32_t GetI32(const uint8_t *p) { return static_cast<int32_t>(GetU32(p)); }
inline double GetF64(const uint8_t *p) {
  uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | p[i];
  double d;
  std::memcpy(&d, &v, 8);
  return d;
}
inline uint64_t GetU64(const uint8_t *p) {
  return static_cast<uint64_t>(GetU32(p)) | (static_cast<uint64_t>(GetU32(p + 4)) << 32);
}
inline void PutU16(uint8_t *p, uint16_t v) {
  p[0] = v & 0xff;
  p[1] = v >> 8;
}
inline void PutU32(uint8_t *p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void PutU64(uint8_t *p, uint64_t v) {
  PutU32(p, static_cast<uint32_t>(v));
  PutU32(p + 4, static_cast<uint32_t>(v >> 32));
}
inline void PutI32(uint8_t *p, int32_t v) { PutU32(p, static_cast<uint32_t>(v)); }
inline void PutF64(uint8_t *p, double d) {
  uint64_t v;
  std::memcpy(&v, &d, 8);
  for (int i = 0; i < 8; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
