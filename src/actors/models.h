// Skeleton, animation and weapon files, and creating characters.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "actors/records.h"

// A missing or unreadable file leaves the record as it was.
void LoadGuy(const std::string &name, tguy &guy, double scale);
void LoadAnimation(const std::string &name, int32_t partcount, tanim &anim, double timescale);
// Rebuilds weapons, weaponTextures and both weaponSounds lists together, one entry per weapon,
// so a weapon's texture, firesound and reloadsound indices equal its own index. At most 256
// weapons are read, since those indices are bytes. The textures need a GL context: the view hands
// in its loader, and a headless game goes without (every texture 0).
void LoadWeapons(void (*loadTexture)(const std::string &path, uint32_t &texture) = nullptr);
// Returns the enemies slot. A reused slot keeps its own guys entry; a new one takes the first
// guys entry no other slot claims, or appends one.
int CreateCharacter(double x, double y);

// CreateCharacter copies the "standard" skeleton as LoadGuy last read it, instead of reading the
// disk for every zombie; each LoadGuy of "standard" refreshes the copy. This drops it.
void ForgetSkeletonCache();

// Sound buffers for the weapon table come from the audio module, which installs these once it
// is up. Without a loader every weapon gets buffer 0 ("no buffer").
struct tweaponsoundhooks {
  uint32_t (*load)(const std::string &path);  // 0 when the file gives no buffer
  void (*release)(uint32_t buffer);           // called for each non-zero buffer replaced
};
extern tweaponsoundhooks weaponSoundHooks;

// Field-by-field images of the files. A file that ends inside a record yields the whole
// records before it.
std::vector<tguypart> DecodeGuyParts(const uint8_t *data, size_t size);
std::vector<uint8_t> EncodeGuyParts(const std::vector<tguypart> &parts);
// False (anim untouched) when the file does not even hold the cycle length, or partcount < 0.
// A key frame cut short by the end of the file is dropped.
bool DecodeAnimation(const uint8_t *data, size_t size, int32_t partcount, tanim &anim);
std::vector<uint8_t> EncodeAnimation(const tanim &anim);
struct tweaponfile {
  tweapon weapon;
  std::string textureFile, fireSoundFile, reloadSoundFile;
};
std::vector<tweaponfile> DecodeWeapons(const uint8_t *data, size_t size);
std::vector<uint8_t> EncodeWeapons(const std::vector<tweaponfile> &records);
// The weapon table's file, and the files (relative to the data folder) one of its records names:
// its texture and two sounds, each left out when the record names none.
extern const char *const WEAPON_TABLE_FILE;
std::vector<std::string> WeaponRecordFiles(const tweaponfile &record);
