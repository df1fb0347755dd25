#include "base/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>

std::string baseDirectory;

std::string DataPath(const std::string &relative) {
  if (baseDirectory.empty()) return relative;
  if (!relative.empty() && relative[0] == '/') return baseDirectory + relative;
  return baseDirectory + "/" + relative;
}

std::string JoinPath(const std::string &folder, const std::string &name) {
  if (folder.empty()) return name;
  if (folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

bool FileExists(const std::string &path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool ReadFileBytes(const std::string &path, std::vector<uint8_t> &bytes) {
  bytes.clear();
  FILE *f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  uint8_t chunk[65536];
  bool ok = true;
  for (;;) {
    size_t n = std::fread(chunk, 1, sizeof chunk, f);
    bytes.insert(bytes.end(), chunk, chunk + n);
    if (n < sizeof chunk) {
      ok = !std::ferror(f);
      break;
    }
  }
  std::fclose(f);
  if (!ok) bytes.clear();
  return ok;
}

bool WriteFileAtomic(const std::string &path, const std::vector<uint8_t> &bytes, std::string *error) {
  std::string temp = path + ".tmp";
  FILE *f = std::fopen(temp.c_str(), "wb");
  if (!f) {
    if (error) *error = "Could not create " + temp;
    return false;
  }
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = (std::fflush(f) == 0) && ok;
  ok = (fsync(fileno(f)) == 0) && ok;
  ok = (std::fclose(f) == 0) && ok;
  if (ok && std::rename(temp.c_str(), path.c_str()) != 0) ok = false;
  if (!ok) {
    std::remove(temp.c_str());
    if (error) *error = "Could not write " + path;
  }
  return ok;
}

bool FolderExists(const std::string &path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool MakeWritableFolder(const std::string &path, std::string *error) {
  std::error_code ec;
  std::filesystem::create_directories(path, ec);
  if (ec || !FolderExists(path)) {
    if (error) *error = ec ? ec.message() : "not a folder";
    return false;
  }
  std::string probe = JoinPath(path, ".write-test-XXXXXX");
  int fd = mkstemp(probe.data());
  if (fd < 0) {
    if (error) *error = std::strerror(errno);
    return false;
  }
  close(fd);
  unlink(probe.c_str());
  return true;
}

bool SamePlace(const std::string &a, const std::string &b) {
  std::error_code ec;
  bool same = std::filesystem::equivalent(a, b, ec);
  return !ec && same;
}

std::string ExecutableFolder() {
  char path[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return "";
  path[n] = 0;
  return std::filesystem::path(path).parent_path().string();
}

std::string WorkingFolder() {
  char cwd[PATH_MAX];
  return getcwd(cwd, sizeof cwd) ? cwd : "";
}

QuietStderr::QuietStderr(bool keep) {
  if (keep) return;
  int null = open("/dev/null", O_WRONLY);
  if (null < 0) return;
  std::fflush(stderr);
  saved = dup(2);
  if (saved >= 0) dup2(null, 2);
  close(null);
}

QuietStderr::~QuietStderr() {
  if (saved < 0) return;
  std::fflush(stderr);
  dup2(saved, 2);
  close(saved);
}

namespace {
// The CRC of each byte value, eight bits at a time: a replay's many megabytes check in a blink.
struct tcrctable {
  uint32_t entry[256];
  constexpr tcrctable() : entry() {
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t crc = i;
      for (int b = 0; b < 8; ++b) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
      entry[i] = crc;
    }
  }
};
constexpr tcrctable CRC_TABLE;
}  // namespace

uint32_t Crc32(const uint8_t *data, size_t size, uint32_t seed) {
  uint32_t crc = ~seed;
  for (size_t i = 0; i < size; ++i) crc = (crc >> 8) ^ CRC_TABLE.entry[(crc ^ data[i]) & 0xff];
  return ~crc;
}

uint64_t Fnv1a64(const uint8_t *data, size_t size, uint64_t seed) {
  uint64_t h = seed;
  for (size_t i = 0; i < size; ++i) h = (h ^ data[i]) * 1099511628211ull;
  return h;
}

std::string PrintableText(const std::string &text) {
  static const char hex[] = "0123456789abcdef";
  std::string out;
  const auto *s = reinterpret_cast<const unsigned char *>(text.data());
  const size_t n = text.size();
  for (size_t i = 0; i < n;) {
    const unsigned char c = s[i];
    // The length of a well-formed UTF-8 sequence starting here, 0 when it is not one.
    size_t len = c < 0x80                 ? 1
                 : c >= 0xc2 && c <= 0xdf ? 2
                 : c >= 0xe0 && c <= 0xef ? 3
                 : c >= 0xf0 && c <= 0xf4 ? 4
                                          : 0;
    uint32_t code = len == 1 ? c : len == 2 ? c & 0x1f : len == 3 ? c & 0x0f : c & 0x07;
    for (size_t k = 1; k < len; ++k) {
      if (i + k >= n || (s[i + k] & 0xc0) != 0x80) {
        len = 0;
        break;
      }
      code = (code << 6) | (s[i + k] & 0x3f);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
    if ((len == 3 && (code < 0x800 || (code >= 0xd800 && code <= 0xdfff))) ||
        (len == 4 && (code < 0x10000 || code > 0x10ffff)))
      len = 0;
    if (len == 0 || code < 0x20 || code == 0x7f || (code >= 0x80 && code < 0xa0)) {
      const char *named = c == '\n' ? "\\n" : c == '\r' ? "\\r" : c == '\t' ? "\\t" : nullptr;
      if (named)
        out += named;
      else if (code < 0x80 || len == 0)
        out += "\\x", out += hex[c >> 4], out += hex[c & 15];
      else  // a C1 control, two bytes in UTF-8
        out += "\\u00", out += hex[code >> 4], out += hex[code & 15];
      i += len ? len : 1;
      continue;
    }
    if (code == 0x2028 || code == 0x2029)
      out += code == 0x2028 ? "\\u2028" : "\\u2029";
    else if (c == '\\')
      out += "\\\\";
    else
      out.append(text, i, len);
    i += len;
  }
  return out;
}
