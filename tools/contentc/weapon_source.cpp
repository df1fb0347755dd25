#include "contentc/weapon_source.h"

#include <cstdio>
#include <filesystem>
#include <map>

#include "base/files.h"
#include "contentc/contentc.h"
#include "contentc/source_text.h"
#include "contentc/weapon_sprites.h"

namespace {

const char *const NUMBERS[] = {"rate", "speed", "spread", "damage", "range", "noise"};
const char *const INTEGERS[] = {"pellets", "pickupammo", "maxammo", "clip", "pierce", "iconrow"};
const char *const TEXTS[] = {"name", "firesound", "reloadsound"};
const char *const FLAGS[] = {"semiauto", "longgrip", "ejectonfire", "ejectonreload"};

struct Pending {
  WeaponSource w;
  int line = 0;
  std::map<std::string, int> seen;
};

void Finish(const std::string &file, Pending &p) {
  std::vector<std::string> missing;
  for (const char *k : NUMBERS)
    if (!p.seen.count(k)) missing.push_back(k);
  for (const char *k : INTEGERS)
    if (!p.seen.count(k)) missing.push_back(k);
  for (const char *k : TEXTS)
    if (!p.seen.count(k)) missing.push_back(k);
  if (missing.empty()) return;
  std::string list;
  for (const std::string &m : missing) list += (list.empty() ? "" : ", ") + m;
  throw SourceError(SourceWhere(file, p.line, "weapon '" + p.w.sprite + "' is missing: " + list));
}

}  // namespace

std::vector<WeaponSource> ParseWeapons(const std::string &file, const std::string &text) {
  std::vector<WeaponSource> out;
  Pending cur;
  bool open = false;
  for (const SourceLine &line : SplitSource(file, text)) {
    const std::string &key = line.words[0];
    if (key == "weapon") {
      line.expect_count(1, "weapon SPRITE");
      if (open) {
        Finish(file, cur);
        out.push_back(cur.w);
      }
      cur = Pending{};
      cur.w.sprite = line.words[1];
      cur.line = line.number;
      std::vector<std::string> known = WeaponImageNames();
      bool drawable = false;
      for (const std::string &k : known) drawable = drawable || k == cur.w.sprite;
      if (!drawable) {
        std::string list;
        for (const std::string &k : known) list += (list.empty() ? "" : ", ") + k;
        line.fail("no weapon drawing named '" + cur.w.sprite + "' (known: " + list + ")");
      }
      for (const WeaponSource &w : out)
        if (w.sprite == cur.w.sprite) line.fail("weapon '" + cur.w.sprite + "' is defined twice");
      cur.w.record.textureFile = cur.w.sprite + ".tga";
      open = true;
      continue;
    }
    if (!open) line.fail("'" + key + "' comes before the first 'weapon SPRITE'");
    auto it = cur.seen.find(key);
    if (it != cur.seen.end()) line.fail(key + " was already given on line " + std::to_string(it->second));
    cur.seen[key] = line.number;
    tweapon &w = cur.w.record.weapon;
    bool done = false;
    double *numbers[] = {&w.rate, &w.speed, &w.spread, &w.damage, &w.range, &w.noise};
    for (size_t i = 0; i < 6; ++i)
      if (key == NUMBERS[i]) {
        line.expect_count(1, (key + " NUMBER").c_str());
        *numbers[i] = line.number_at(1, key.c_str());
        if (*numbers[i] < 0) line.fail(key + " cannot be negative");
        done = true;
      }
    int32_t *integers[] = {&w.pellets, &w.pickupammo, &w.maxammo, &w.clip, &w.pierce};
    for (size_t i = 0; i < 6 && !done; ++i)
      if (key == INTEGERS[i]) {
        line.expect_count(1, (key + " NUMBER").c_str());
        int v = line.integer_at(1, key.c_str());
        if (v < 0) line.fail(key + " cannot be negative");
        if (i == 5) {
          if (v > 7) line.fail("iconrow must be 0 .. 7 (the icon image has 8 rows)");
          w.iconrow = static_cast<uint8_t>(v);
        } else {
          *integers[i] = v;
        }
        done = true;
      }
    if (done) continue;
    if (key == "name" || key == "firesound" || key == "reloadsound") {
      if (line.rest.empty()) line.fail(key + " needs a text");
      if (line.rest.size() > 200) line.fail(key + " is longer than 200 characters");
      if (key == "name") w.name = line.rest;
      if (key == "firesound") cur.w.record.fireSoundFile = line.rest;
      if (key == "reloadsound") cur.w.record.reloadSoundFile = line.rest;
    } else if (key == "flags") {
      for (size_t i = 1; i < line.words.size(); ++i) {
        const std::string &f = line.words[i];
        uint8_t *flags[] = {&w.semiauto, &w.longgrip, &w.ejectonfire, &w.ejectonreload};
        bool known = false;
        for (size_t k = 0; k < 4; ++k)
          if (f == FLAGS[k]) {
            *flags[k] = 1;
            known = true;
          }
        if (!known) line.fail("unknown flag '" + f + "' (use semiauto, longgrip, ejectonfire, ejectonreload)");
      }
    } else {
      line.fail("unknown keyword '" + key +
                "' (known: weapon, name, rate, speed, spread, damage, range, noise, pellets, pickupammo, "
                "maxammo, clip, pierce, iconrow, firesound, reloadsound, flags)");
    }
  }
  if (!open) throw SourceError(file + ": no weapons");
  Finish(file, cur);
  out.push_back(cur.w);
  return out;
}

static bool CompileWeapons(const ContentPaths &paths) {
  std::string src = paths.sourceDir + "/weapons.txt";
  std::vector<WeaponSource> weapons = ParseWeapons(src, ReadSourceFile(src));
  std::vector<tweaponfile> records;
  std::filesystem::create_directories(std::filesystem::path(paths.dataDir) / "textures");
  for (const WeaponSource &w : weapons) {
    records.push_back(w.record);
    Canvas c(SPRITE_WIDTH, SPRITE_HEIGHT, {0.05, 0.05, 0.06, 0});
    DrawWeaponImage(w.sprite, c);
    if (!WriteTga(paths.dataDir + "/textures/" + w.record.textureFile, c, 32)) return false;
  }
  return WriteDataFile(paths.dataDir + "/weapons.wep", EncodeWeapons(records));
}

static ContentStep step("weapons", CompileWeapons);
