// The "textures" step: draws the game's ten fixed textures into DATA/textures/.
#include <cstdio>
#include <filesystem>

#include "contentc/art.h"
#include "contentc/contentc.h"

bool WriteTextureFiles(const std::string &dataDir) {
  const std::string dir = dataDir + "/textures/";
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) {
    std::fprintf(stderr, "contentc: cannot create %s: %s\n", dir.c_str(), ec.message().c_str());
    return false;
  }
  Canvas font(1, 1);
  std::string error;
  if (!MakeFontImage(FindFontFile(), font, &error)) {
    std::fprintf(stderr, "contentc: font: %s\n", error.c_str());
    return false;
  }
  struct Out {
    const char *name;
    Canvas image;
    int bits;
  };
  const Out outputs[] = {
      {"fonttrans.tga", font, 32},
      {"daynight.tga", MakeDayNightImage(), 24},
      {"colours2.tga", MakeParticleAtlas(), 32},
      {"gun icons.tga", MakeGunIcons(), 32},
      {"supplies.tga", MakeSupplyCrate(), 32},
      {"symbol.tga", MakeBaseSymbol(), 32},
      {"guytex.tga", MakeDefenderImage(), 32},
      {"armtex.tga", MakeDefenderArm(), 32},
      {"heli.tga", MakeHelicopter(), 32},
      {"smoke.tga", MakeLaserSmoke(), 32},
  };
  bool ok = true;
  for (const Out &o : outputs) ok = WriteTga(dir + o.name, o.image, o.bits) && ok;
  return ok;
}

static bool MakeTextures(const ContentPaths &paths) { return WriteTextureFiles(paths.dataDir); }

static ContentStep step("textures", MakeTextures);
