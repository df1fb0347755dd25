#include "view/load.h"

#include <GL/gl.h>

#include "actors/models.h"
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
