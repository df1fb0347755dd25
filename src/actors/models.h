// Skeleton, animation and weapon files, and creating characters.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "actors/records.h"

void LoadGuy(const std::string &name, tguy &guy, double scale);
void LoadAnimation(const std::string &name, int32_t partcount, tanim &anim, double timescale);
void LoadWeapons();
int CreateCharacter(double x, double y);

// Field-by-field images of the files. A file that ends inside a record yields the whole
// records before it.
std::vector<tguypart> DecodeGuyParts(const uint8_t *data, size_t size);
std::vector<uint8_t> EncodeGuyParts(const std::vector<tguypart> &parts);
// False when the file does not even hold the cycle length.
bool DecodeAnimation(const uint8_t *data, size_t size, int32_t partcount, tanim &anim);
std::vector<uint8_t> EncodeAnimation(const tanim &anim);
struct tweaponfile {
  tweapon weapon;
  std::string textureFile, fireSoundFile, reloadSoundFile;
};
std::vector<tweaponfile> DecodeWeapons(const uint8_t *data, size_t size);
std::vector<uint8_t> EncodeWeapons(const std::vector<tweaponfile> &records);
