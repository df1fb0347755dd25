#include "game/setup.h"

#include <GL/gl.h>

#include "app/files.h"
#include "app/window/window.h"
#include "render/textures.h"
#include "world/vector.h"

static uint32_t *const fixedTextures[] = {&smokeTexture,    &coloursTexture, &gunIconsTexture, &dayNightTexture,
                                          &suppliesTexture, &symbolTexture,  &guyTexture,      &armTexture,
                                          &heliTexture,     &fontTexture};
static const char *const fixedTextureFiles[] = {"smoke.tga",   "colours2.tga", "gun icons.tga", "daynight.tga",
                                                "supplies.tga", "symbol.tga",   "guytex.tga",    "armtex.tga",
                                                "heli.tga",     "fonttrans.tga"};

void LoadGameTextures() {
  for (size_t i = 0; i < sizeof fixedTextures / sizeof fixedTextures[0]; ++i)
    LoadTextureFile(DataPath(std::string("textures/") + fixedTextureFiles[i]), *fixedTextures[i]);
}

void LoadGameData() {
  reseed();
  InitFrameTimer();
  LoadGameTextures();
}

void ReleaseGameData() {
  // The GL context is gone by now; the names only need forgetting.
  for (uint32_t *t : fixedTextures) *t = 0;
}
