#include "game/load.h"

#include <algorithm>
#include <filesystem>

#include "actors/animation.h"
#include "actors/models.h"
#include "base/files.h"
#include "game/state.h"
#include "world/terrain.h"

namespace {
const char *const animationNames[] = {"walk2", "stand2", "jumpa2", "jumpb2"};
const double animationTimeScales[] = {1.0, 1.0, 0.125, 0.125};
std::string AnimationFile(int i) { return std::string("animations/") + animationNames[i] + ".ani"; }
}  // namespace

std::vector<std::string> PlayerFigureFiles() {
  std::vector<std::string> files = {"guys/standard.guy"};
  for (int i = 0; i < 4; ++i) files.push_back(AnimationFile(i));
  return files;
}

std::string LoadPlayerFigure() {
  animations.assign(4, tanim{});
  guys.resize(1);
  guys[0] = tguy{};  // a file that fails to load must not leave last game's figure in place
  Player.anim.scale = 0.075;
  LoadGuy("standard", guys[0], 0.075);
  int32_t n = static_cast<int32_t>(guys[0].parts.size());
  for (int i = 0; i < 4; ++i) LoadAnimation(animationNames[i], n, animations[i], animationTimeScales[i]);
  tanidata &a = Player.anim;
  a.rates.assign(n + 2, 0.0);
  a.time = 0;
  a.partcount = n;
  a.anim = 0;
  a.frame = 0;
  a.speed = 1.0;
  a.target.values.assign(n + 2, 0.0);
  a.from.values.assign(n + 2, 0.0);
  SetAnimation(a, 1, 0, 0.0, 1, 0);

  if (n == 0) return PlayerFigureFiles()[0];
  for (int i = 0; i < 4; ++i)
    if (animations[i].frames.empty()) return AnimationFile(i);
  return "";
}

std::string LoadGameRules() {
  LoadWeapons();
  std::string missing = LoadPlayerFigure();
  if (missing.empty() && weapons.empty()) missing = WEAPON_TABLE_FILE;
  return missing;
}

uint64_t GameDataChecksum() {
  std::vector<std::string> files = PlayerFigureFiles();
  files.insert(files.begin(), WEAPON_TABLE_FILE);
  std::vector<std::string> pieces;
  std::error_code ec;
  for (const auto &entry : std::filesystem::directory_iterator(DataPath(PIECE_FOLDER), ec))
    if (entry.is_regular_file(ec)) pieces.push_back(std::string(PIECE_FOLDER) + "/" + entry.path().filename().string());
  std::sort(pieces.begin(), pieces.end());
  files.insert(files.end(), pieces.begin(), pieces.end());
  uint64_t h = Fnv1a64(nullptr, 0);
  std::vector<uint8_t> bytes;
  for (const std::string &name : files) {
    // The name and the length keep one file's end from passing for the next one's start.
    ReadFileBytes(DataPath(name), bytes);
    uint8_t size[8];
    PutU64(size, bytes.size());
    h = Fnv1a64(reinterpret_cast<const uint8_t *>(name.c_str()), name.size() + 1, h);
    h = Fnv1a64(size, 8, h);
    h = Fnv1a64(bytes.data(), bytes.size(), h);
  }
  return h;
}
