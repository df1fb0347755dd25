// Drawing in a GL context: textures that fail to load keep what the variable held and say why;
// the game's frame as the window runs it, a shot's muzzle flash in the picture of the frame that
// fires it. (That drawing moves nothing of the game is the played game's test, its replay played
// again headless; that particles move nothing is the headless particle test's.)
#include <GL/gl.h>

#include <algorithm>

#include "base/files.h"
#include "game/effects.h"
#include "game/frame.h"
#include "game/state.h"
#include "persist/options.h"
#include "platform/window.h"
#include "render/textures.h"
#include "rig/rig.h"
#include "view/load.h"
#include "view/view.h"
#include "world/terrain.h"

namespace {
using Bytes = std::vector<uint8_t>;

// An uncompressed TGA; `pixels` in file order, BGR or BGRA.
Bytes Tga(int width, int height, int bits, const Bytes &pixels) {
  Bytes f(18 + pixels.size(), 0);
  f[2] = 2;
  PutU16(&f[12], static_cast<uint16_t>(width));
  PutU16(&f[14], static_cast<uint16_t>(height));
  f[16] = static_cast<uint8_t>(bits);
  std::copy(pixels.begin(), pixels.end(), f.begin() + 18);
  return f;
}

// 2x2 RGB: rows of 6 bytes, which GL would misread at its default 4-byte row alignment.
const Bytes RGB_2X2 = {3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10};

// The window's hooks without the banner's screen loop.
const tframehooks drawn = {[](bool built) {
                             if (built) buildtilelists(), buildskyline();
                           },
                           [] {
                             glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
                             glDisable(GL_DEPTH_TEST);
                             glEnable(GL_TEXTURE_2D);
                             RenderWorld();
                           },
                           [] {
                             ApplyCamera();
                             DrawGrenades();
                           },
                           DrawNewFlashes};

class GameFrame_ : public GlTest {
 protected:
  void SetUp() override {
    width = 512, height = 384;
    GlTest::SetUp();
    saved = baseDirectory, savedOptions = Options;
    baseDirectory = BuiltDataDir();
    Options.particlesOff = Options.shadowsOff = 0;
  }
  void TearDown() override {
    ForgetContextObjects();
    baseDirectory = saved, Options = savedOptions;
    GlTest::TearDown();
  }
  std::string saved;
  toptions savedOptions;
};

// The darkest pixel along the first stretch of each line of the muzzle flashes just made.
int DarkestOnTheMuzzleFlash(int width, int height) {
  const auto pixels = ReadPixelsRGB(width, height);
  ApplyCamera();
  int darkest = 3 * 255;
  for (const tflash &f : flashes) {
    if (!f.active || f.blast) continue;
    for (int k = 0; k < f.lineCount; ++k)
      for (double along = 0; along <= 0.15; along += 0.01) {
        const tvector p = f.lines[k].from + (f.lines[k].to - f.lines[k].from) * along;
        int x, y;
        WorldToPixel(p.x, p.y, height, x, y);
        const Rgb c = PixelAt(pixels, width, height, x, y);
        darkest = std::min(darkest, c.r + c.g + c.b);
      }
  }
  return darkest;
}
}  // namespace

TEST_F(GameFrame_, AShotsMuzzleFlashIsInThePictureOfItsFrame) {
  ASSERT_EQ(LoadGameData(), "");
  SetupGame(3, drawn);
  Game.timeOfDay = 0.3;  // noon: black flash lines over the sunlit air
  int frame = 0;
  for (; frame < 200 && Player.weaponSlots[Player.activeSlot].clip <= 0; ++frame)
    GameFrame({0.015, 0, 0, {2.5, 0.3}}, drawn);  // the first clip loads
  const int clip = Player.weaponSlots[Player.activeSlot].clip;
  GameFrame({0.015, ACTION_FIRE, ACTION_FIRE, {2.5, 0.3}}, drawn);
  ASSERT_EQ(Player.weaponSlots[Player.activeSlot].clip, clip - 1) << "the shot was fired";
  EXPECT_LT(DarkestOnTheMuzzleFlash(width, height), 60) << "no muzzle flash on the frame of the shot";
  SaveScreenshot(ScreenshotDir() + "/muzzle_flash.png", width, height);
  // The world alone, as the frame before drew it, has no flash there.
  drawn.drawWorld();
  EXPECT_GT(DarkestOnTheMuzzleFlash(width, height), 200);
}

TEST_F(GlTest, FailedLoadsKeepTheVariableAndSayWhy) {
  TempDir dir;
  dir.write("good.tga", Tga(2, 2, 24, RGB_2X2));
  dir.write("grey.tga", Bytes{0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 8, 0, 0});
  uint32_t tex = 0;
  ASSERT_TRUE(LoadTargaTexture(dir.file("good.tga"), tex));
  const uint32_t held = tex;
  MessageRecorder recorder;
  EXPECT_FALSE(LoadTargaTexture(dir.file("missing.tga"), tex));
  EXPECT_FALSE(LoadTargaTexture(dir.file("grey.tga"), tex));
  LoadTextureFile(dir.file("missing.JPG"), tex);
  LoadTextureFile(dir.file("missing.bmp"), tex);
  EXPECT_TRUE(tex == held && glIsTexture(held));
  std::vector<std::string> said;
  for (const RecordedMessage &m : recorder.messages) said.push_back(m.caption + ": " + m.text);
  EXPECT_EQ(said, (std::vector<std::string>{"TGA Texture: File not found  - " + dir.file("missing.tga"),
                                            "TGA File Error: Couldn't load \"" + dir.file("grey.tga") +
                                                "\". Only 24 and 32bit TGA supported.",
                                            "BMP Unit: Couldn't load JPG - \"" + dir.file("missing.JPG") + "\"",
                                            "BMP Unit: Error opening " + dir.file("missing.bmp")}));
}
