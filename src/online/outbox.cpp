#include "online/outbox.h"

#include <algorithm>
#include <filesystem>

#include "base/files.h"

namespace {

const char kMagic[8] = {'R', 'S', 'O', 'U', 'T', 'B', 'O', 'X'};
constexpr uint32_t kVersion = 1;
// Nothing the game writes is near this: a larger length is damage, not a game.
constexpr uint32_t kFieldMost = 64u << 20;

void PutField(std::vector<uint8_t> &out, const uint8_t *data, size_t size) {
  uint8_t n[4];
  PutU32(n, static_cast<uint32_t>(size));
  out.insert(out.end(), n, n + 4);
  out.insert(out.end(), data, data + size);
}

struct treader {
  const std::vector<uint8_t> &bytes;
  size_t at = 0;
  bool U32(uint32_t &v) {
    if (bytes.size() - at < 4) return false;
    v = GetU32(bytes.data() + at);
    at += 4;
    return true;
  }
  bool Field(std::vector<uint8_t> &out) {
    uint32_t n = 0;
    if (!U32(n) || n > kFieldMost || bytes.size() - at < n) return false;
    out.assign(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.begin() + static_cast<std::ptrdiff_t>(at + n));
    at += n;
    return true;
  }
};

}  // namespace

std::string OutboxFolder(const std::string &recordsFolder) { return JoinPath(recordsFolder, "outbox"); }

std::vector<uint8_t> EncodeOutgoing(const toutgoing &game) {
  std::vector<uint8_t> out(kMagic, kMagic + 8);
  uint8_t v[4];
  PutU32(v, kVersion);
  out.insert(out.end(), v, v + 4);
  PutField(out, reinterpret_cast<const uint8_t *>(game.name.data()), game.name.size());
  for (int32_t s : game.claimed) PutI32(v, s), out.insert(out.end(), v, v + 4);
  PutField(out, reinterpret_cast<const uint8_t *>(game.dailyToken.data()), game.dailyToken.size());
  PutField(out, game.replay.data(), game.replay.size());
  PutU32(v, Crc32(out.data(), out.size()));
  out.insert(out.end(), v, v + 4);
  return out;
}

bool DecodeOutgoing(const std::vector<uint8_t> &bytes, toutgoing &game) {
  game = toutgoing{};
  if (bytes.size() < 16 || !std::equal(kMagic, kMagic + 8, bytes.begin())) return false;
  if (GetU32(bytes.data() + bytes.size() - 4) != Crc32(bytes.data(), bytes.size() - 4)) return false;
  treader r{bytes, 8};
  uint32_t version = 0;
  std::vector<uint8_t> name, token;
  if (!r.U32(version) || version != kVersion || !r.Field(name)) return false;
  for (int32_t &s : game.claimed) {
    uint32_t u = 0;
    if (!r.U32(u)) return false;
    s = static_cast<int32_t>(u);
  }
  if (!r.Field(token) || !r.Field(game.replay) || r.at != bytes.size() - 4) return false;
  game.name.assign(name.begin(), name.end());
  game.dailyToken.assign(token.begin(), token.end());
  return true;
}

std::string PutInOutbox(const std::string &folder, const toutgoing &game, std::string &error) {
  if (folder.empty()) return error = "there is no records folder to keep the game in", "";
  if (!MakeWritableFolder(folder, &error)) return "";
  char hash[17];
  std::snprintf(hash, sizeof hash, "%016llx",
                static_cast<unsigned long long>(Fnv1a64(game.replay.data(), game.replay.size())));
  const std::string path = JoinPath(folder, std::string("game-") + hash + ".rso");
  return WriteFileAtomic(path, EncodeOutgoing(game), &error) ? path : "";
}

std::vector<std::string> OutboxFiles(const std::string &folder) {
  std::vector<std::pair<std::filesystem::file_time_type, std::string>> found;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::filesystem::path &p = it->path();
    if (p.extension() != ".rso" || !it->is_regular_file(ec)) continue;
    found.emplace_back(it->last_write_time(ec), p.string());
  }
  std::sort(found.begin(), found.end());
  std::vector<std::string> paths;
  for (auto &f : found) paths.push_back(std::move(f.second));
  return paths;
}
