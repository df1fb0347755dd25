// The "sounds" step: synthesises the fixed sounds and every weapon sound weapons.txt names
// into DATA/sounds/.
#include <cstdio>
#include <filesystem>
#include <set>

#include "contentc/contentc.h"
#include "contentc/sounds.h"
#include "contentc/source_text.h"
#include "contentc/weapon_source.h"

bool WriteSoundFiles(const std::string &sourceDir, const std::string &dataDir) {
  const std::string dir = dataDir + "/sounds/";
  bool ok = true;
  for (const FixedSound &s : FIXED_SOUNDS) ok = WriteDataFile(dir + s.file, EncodeWav16(s.make())) && ok;

  const std::string src = sourceDir + "/weapons.txt";
  std::set<std::string> written;
  for (const WeaponSource &w : ParseWeapons(src, ReadSourceFile(src))) {
    const std::string files[2] = {w.record.fireSoundFile, w.record.reloadSoundFile};
    for (int k = 0; k < 2; ++k) {
      if (files[k].empty() || files[k].find_first_of("/\\") != std::string::npos || files[k][0] == '.') {
        std::fprintf(stderr, "contentc: %s: sound name '%s' must be a plain file name in sounds/\n", src.c_str(),
                     files[k].c_str());
        ok = false;
        continue;
      }
      if (!written.insert(files[k]).second) continue;  // two weapons may share a sound
      Wave wave;
      if (!(k == 0 ? MakeWeaponFire(w.sprite, wave) : MakeWeaponReload(w.sprite, wave))) {
        std::fprintf(stderr,
                     "contentc: %s: no %s sound is designed for weapon '%s' (see tools/contentc/sound_weapons.cpp)\n",
                     src.c_str(), k == 0 ? "firing" : "reload", w.sprite.c_str());
        ok = false;
        continue;
      }
      ok = WriteDataFile(dir + files[k], EncodeWav16(wave)) && ok;
    }
  }
  return ok;
}

static bool MakeSounds(const ContentPaths &paths) { return WriteSoundFiles(paths.sourceDir, paths.dataDir); }

static ContentStep step("sounds", MakeSounds);
