// Reading the weapon table with its textures and sounds.
#include "actors/models.h"
#include "base/files.h"

tweaponsoundhooks weaponSoundHooks = {nullptr, nullptr};
const char *const WEAPON_TABLE_FILE = "weapons.wep";

namespace {
std::string TextureFile(const std::string &name) { return "textures/" + name; }
std::string SoundFile(const std::string &name) { return "sounds/" + name; }

// A weapon names its texture and sounds by byte indices.
constexpr size_t kMaxWeapons = 256;

// The one place weapon sounds are made: the audio module's loader, or 0 ("no buffer").
uint32_t LoadWeaponSound(const std::string &fileName) {
  if (!weaponSoundHooks.load) return 0;
  return weaponSoundHooks.load(DataPath(SoundFile(fileName)));
}

void ReleaseWeaponSounds(const std::vector<uint32_t> &buffers) {
  if (!weaponSoundHooks.release) return;
  for (uint32_t b : buffers)
    if (b) weaponSoundHooks.release(b);
}

}  // namespace

void LoadWeapons(void (*loadTexture)(const std::string &path, uint32_t &texture)) {
  const std::string path = DataPath("weapons.wep");
  std::vector<uint8_t> bytes;
  // A missing or unreadable file gives an empty table, never the last game's entries, whose
  // textures and sounds are gone.
  if (!FileExists(path) || !ReadFileBytes(path, bytes)) bytes.clear();
  std::vector<tweaponfile> records = DecodeWeapons(bytes.data(), bytes.size());
  if (records.size() > kMaxWeapons) records.resize(kMaxWeapons);

  std::vector<tweapon> table;
  std::vector<uint32_t> textures(records.size(), 0);
  std::vector<uint32_t> sounds[2] = {std::vector<uint32_t>(records.size(), 0),
                                     std::vector<uint32_t>(records.size(), 0)};
  table.reserve(records.size());
  for (size_t i = 0; i < records.size(); ++i) {
    const tweaponfile &rec = records[i];
    if (loadTexture) loadTexture(DataPath("textures/" + rec.textureFile), textures[i]);
    sounds[0][i] = LoadWeaponSound(rec.fireSoundFile);
    sounds[1][i] = LoadWeaponSound(rec.reloadSoundFile);
    tweapon w = rec.weapon;
    w.texture = w.firesound = w.reloadsound = static_cast<uint8_t>(i);
    table.push_back(std::move(w));
  }

  // The table is rebuilt rather than appended to, so the sound lists stay one entry per
  // weapon however many games are played.
  ReleaseWeaponSounds(weaponSounds[0]);
  ReleaseWeaponSounds(weaponSounds[1]);
  weapons = std::move(table);
  weaponTextures = std::move(textures);
  weaponSounds[0] = std::move(sounds[0]);
  weaponSounds[1] = std::move(sounds[1]);
}

std::vector<std::string> WeaponRecordFiles(const tweaponfile &record) {
  std::vector<std::string> files;
  if (!record.textureFile.empty()) files.push_back(TextureFile(record.textureFile));
  for (const std::string *sound : {&record.fireSoundFile, &record.reloadSoundFile})
    if (!sound->empty()) files.push_back(SoundFile(*sound));
  return files;
}
