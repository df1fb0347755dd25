#include "view/load.h"

#include <GL/gl.h>

#include "actors/models.h"
#include "audio/sound.h"
#include "base/files.h"
#include "game/load.h"
#include "game/objects.h"
#include "game/state.h"
#include "platform/window.h"
#include "render/textures.h"
#include "view/view.h"
#include "world/terrain.h"

static uint32_t *const fixedTextures[] = {&smokeTexture,    &coloursTexture, &gunIconsTexture, &dayNightTexture,
                                          &suppliesTexture, &symbolTexture,  &guyTexture,      &armTexture,
                                          &heliTexture,     &fontTexture};
static const char *const fixedTextureFiles[] = {"smoke.tga",    "colours2.tga", "gun icons.tga", "daynight.tga",
                                                "supplies.tga", "symbol.tga",   "guytex.tga",    "armtex.tga",
                                                "heli.tga",     "fonttrans.tga"};

std::string MissingDataFile() {
  std::vector<std::string> files;
  for (const char *name : fixedTextureFiles) files.push_back(std::string("textures/") + name);
  for (const char *name : FIXED_SOUND_FILES) files.push_back(std::string("sounds/") + name);
  for (const std::string &name : PlayerFigureFiles()) files.push_back(name);
  files.push_back(WEAPON_TABLE_FILE);
  for (const std::string &name : files)
    if (!FileExists(DataPath(name))) return name;
  std::vector<uint8_t> bytes;
  ReadFileBytes(DataPath(WEAPON_TABLE_FILE), bytes);
  const std::vector<tweaponfile> table = DecodeWeapons(bytes.data(), bytes.size());
  if (table.empty()) return std::string("weapon in ") + WEAPON_TABLE_FILE;
  for (const tweaponfile &weapon : table)
    for (const std::string &name : WeaponRecordFiles(weapon))
      if (!FileExists(DataPath(name))) return name;
  loadpieces();
  const std::string lacking = MissingPieceKinds();
  if (!lacking.empty()) return lacking + " piece in \"" + PIECE_FOLDER + "\"";
  return "";
}

void LoadGameTextures() {
  for (size_t i = 0; i < sizeof fixedTextures / sizeof fixedTextures[0]; ++i)
    LoadTextureFile(DataPath(std::string("textures/") + fixedTextureFiles[i]), *fixedTextures[i]);
  // The weapon table brings its own textures; the old ones belong to this same context.
  for (uint32_t &t : weaponTextures)
    if (t) glDeleteTextures(1, &t);
  weaponTextures.clear();
  weapons.clear();
  LoadWeapons(LoadTextureFile);
  LoadSkyColours();
  WarmParticles();
}

std::string LoadGameData() {
  InitFrameTimer();
  LoadGameTextures();
  std::string missing = LoadPlayerFigure();
  if (missing.empty() && weapons.empty()) missing = "weapons.wep";
  return missing;
}

void ForgetContextObjects() {
  // Names of a destroyed context: a new context must not delete them as its own.
  for (uint32_t *t : fixedTextures) *t = 0;
  for (uint32_t &t : weaponTextures) t = 0;
  forgetterrainlists();
  ForgetLayer();
}

namespace {
template <class T>
void Release(std::vector<T> &list) {
  list.clear();
  list.shrink_to_fit();
}
}  // namespace

void ReleaseGameData() {
  ForgetContextObjects();
  Release(guys);
  Release(animations);
  Release(enemies);
  Release(weapons);
  Release(weaponTextures);
  Release(weaponSounds[0]);
  Release(weaponSounds[1]);
  ForgetSkeletonCache();
  for (auto &kind : pieceLibrary) Release(kind);
  for (ttilerecord &t : worldRow) t = ttilerecord{};
  Release(shotList);
  Release(particleList);
  Release(grenadeList);
  Release(pickupList);
  Release(crateList);
  Release(defenderList);
  Player = tplayer{};
  heli = theli{};
}
