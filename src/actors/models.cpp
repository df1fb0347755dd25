// Loading skeletons and animations, and creating zombies.
#include "actors/models.h"

#include <utility>

#include "base/files.h"

namespace {

const char *const kStandard = "standard";
constexpr double kCharacterScale = 0.075;

// The "standard" skeleton as decoded from disk, unscaled. Keyed by path so a change of
// baseDirectory is never answered from the old folder.
struct tskeletoncache {
  bool valid = false;
  std::string path;
  std::vector<tguypart> parts;
};
tskeletoncache standardCache;

// Lengths to world units; every figure is a black silhouette whatever the file says.
void ScaleAndBlacken(std::vector<tguypart> &parts, double scale) {
  for (tguypart &p : parts) {
    p.corner1 = p.corner1 * scale;
    p.corner2 = p.corner2 * scale;
    p.offset = p.offset * scale;
    p.pivot = p.pivot * scale;
    p.colour[0] = p.colour[1] = p.colour[2] = 0;
  }
}

// Entry 0 belongs to the player. Returns the first entry from 1 on that no enemies slot other
// than `slot` claims, appending one when all are taken. `keep` is preferred when it is free.
int32_t PickSkeletonEntry(size_t slot, int32_t keep) {
  if (guys.empty()) guys.resize(1);
  std::vector<bool> claimed(guys.size(), false);
  for (size_t j = 0; j < enemies.size(); ++j) {
    int32_t g = enemies[j].guy;
    if (j != slot && g >= 1 && static_cast<size_t>(g) < guys.size()) claimed[g] = true;
  }
  if (keep >= 1 && static_cast<size_t>(keep) < guys.size() && !claimed[keep]) return keep;
  for (size_t k = 1; k < guys.size(); ++k)
    if (!claimed[k]) return static_cast<int32_t>(k);
  guys.push_back(tguy{});
  return static_cast<int32_t>(guys.size() - 1);
}

}  // namespace

void ForgetSkeletonCache() { standardCache = tskeletoncache{}; }

void LoadGuy(const std::string &name, tguy &guy, double scale) {
  const std::string path = DataPath("guys/" + name + ".guy");
  std::vector<uint8_t> bytes;
  const bool ok = FileExists(path) && ReadFileBytes(path, bytes);
  // Bytes past the last whole record are ignored.
  std::vector<tguypart> parts;
  if (ok) parts = DecodeGuyParts(bytes.data(), bytes.size());
  if (name == kStandard) {
    standardCache.valid = ok;
    standardCache.path = path;
    standardCache.parts = ok ? parts : std::vector<tguypart>{};
  }
  if (!ok) return;
  ScaleAndBlacken(parts, scale);
  guy.parts = std::move(parts);
  guy.loaded = 1;
}

void LoadAnimation(const std::string &name, int32_t partcount, tanim &anim, double timescale) {
  const std::string path = DataPath("animations/" + name + ".ani");
  std::vector<uint8_t> bytes;
  if (!FileExists(path) || !ReadFileBytes(path, bytes)) return;
  tanim loaded;
  // Too short to hold even the cycle length: keep what we had.
  if (!DecodeAnimation(bytes.data(), bytes.size(), partcount, loaded)) return;
  loaded.length *= timescale;
  for (tframe &f : loaded.frames) f.time *= timescale;
  anim = std::move(loaded);
}

int CreateCharacter(double x, double y) {
  size_t slot = 0;
  while (slot < enemies.size() && enemies[slot].active) ++slot;
  int32_t keep = -1;
  if (slot == enemies.size()) {
    enemies.push_back(tenemy{});
    enemies[slot].guy = -1;
  } else {
    keep = enemies[slot].guy;
  }

  tenemy &e = enemies[slot];
  e.active = 1;
  e.mode = 1;
  e.body.pos = {x, y};
  e.body.vel = {0, 0};
  e.body.accel = {0, 0};
  e.aim = e.timer = e.damage = 0;
  e.target = {0, 0};
  tanidata &d = e.anim;
  d.time = 0;
  d.speed = 1.0;
  d.scale = kCharacterScale;
  // No animation playing yet, so the spawner's SetAnimation of the walk takes effect.
  d.anim = -1;
  d.frame = 0;
  d.target.time = d.from.time = 0;
  d.facing = d.finished = d.movestate = 0;

  // The skeleton is reloaded even for a reused entry: the last occupant lost parts to shots.
  const int32_t g = PickSkeletonEntry(slot, keep);
  e.guy = g;
  tguy &guy = guys[g];
  const std::string path = DataPath(std::string("guys/") + kStandard + ".guy");
  if (standardCache.valid && standardCache.path == path) {
    guy.parts = standardCache.parts;
    ScaleAndBlacken(guy.parts, kCharacterScale);
    guy.loaded = 1;
  } else {
    tguy fresh{};
    LoadGuy(kStandard, fresh, kCharacterScale);
    guy = std::move(fresh);
  }

  d.partcount = static_cast<int32_t>(guy.parts.size());
  const size_t n = guy.parts.size() + 2;
  d.target.values.resize(n);
  d.from.values.resize(n);
  d.rates.resize(n);
  return static_cast<int>(slot);
}
