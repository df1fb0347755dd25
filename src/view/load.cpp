#include "view/load.h"

#include <GL/gl.h>

#include "actors/animation.h"
#include "actors/models.h"
#include "base/files.h"
#include "platform/window.h"
#include "game/objects.h"
#include "game/state.h"
#include "render/textures.h"
#include "view/view.h"
#include "world/terrain.h"
#include "base/vector.h"

static uint32_t *const fixedTextures[] = {&smokeTexture,    &coloursTexture, &gunIconsTexture, &dayNightTexture,
                                          &suppliesTexture, &symbolTexture,  &guyTexture,      &armTexture,
                                          &heliTexture,     &fontTexture};
static const char *const fixedTextureFiles[] = {"smoke.tga",   "colours2.tga", "gun icons.tga", "daynight.tga",
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
  LoadWeapons();
  LoadSkyColours();
}

static const char *const animationNames[] = {"walk2", "stand2", "jumpa2", "jumpb2"};
static const double animationTimeScales[] = {1.0, 1.0, 0.125, 0.125};

std::string LoadGameData() {
  reseed();
  InitFrameTimer();
  LoadGameTextures();
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

  if (n == 0) return "guys/standard.guy";
  for (int i = 0; i < 4; ++i)
    if (animations[i].frames.empty()) return std::string("animations/") + animationNames[i] + ".ani";
  if (weapons.empty()) return "weapons.wep";
  return "";
}

void ForgetContextObjects() {
  // Names of a destroyed context: a new context must not delete them as its own.
  for (uint32_t *t : fixedTextures) *t = 0;
  for (uint32_t &t : weaponTextures) t = 0;
  forgetterrainlists();
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
