#include "base/files.h"

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

std::string baseDirectory;

std::string DataPath(const std::string &relative) {
  if (baseDirectory.empty()) return relative;
  if (!relative.empty() && relative[0] == '/') return baseDirectory + relative;
  return baseDirectory + "/" + relative;
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
