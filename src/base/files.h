// Data paths, whole-file reads, safe saves and little-endian field access.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

// The working directory at start-up; every data file is opened relative to it.
extern std::string baseDirectory;

// Joins baseDirectory with a relative path such as "textures/smoke.tga".
std::string DataPath(const std::string &relative);

bool FileExists(const std::string &path);
// Reads the whole file; false (and bytes emptied) when it cannot be opened or read.
bool ReadFileBytes(const std::string &path, std::vector<uint8_t> &bytes);
// Writes a temporary file beside the target and renames it over the target, so a crash
// never leaves a half-written file. On failure the old file is untouched and error says why.
bool WriteFileAtomic(const std::string &path, const std::vector<uint8_t> &bytes, std::string *error);

// Little-endian field access over a byte buffer. Callers check sizes before reading.
inline uint16_t GetU16(const uint8_t *p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t GetU32(const uint8_t *p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline int32_t GetI32(const uint8_t *p) { return static_cast<int32_t>(GetU32(p)); }
inline double GetF64(const uint8_t *p) {
  uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | p[i];
  double d;
  std::memcpy(&d, &v, 8);
  return d;
}
inline void PutU16(uint8_t *p, uint16_t v) { p[0] = v & 0xff; p[1] = v >> 8; }
inline void PutU32(uint8_t *p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void PutI32(uint8_t *p, int32_t v) { PutU32(p, static_cast<uint32_t>(v)); }
inline void PutF64(uint8_t *p, double d) {
  uint64_t v;
  std::memcpy(&v, &d, 8);
  for (int i = 0; i < 8; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
