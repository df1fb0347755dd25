// The world's picture: the cheaper ways we draw the sky and skyline give the picture of the
// plain textured quad and full layer fills; sunlight, shadows and the stencil at known places.
#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>

#include "base/files.h"
#include "game/objects.h"
#include "game/state.h"
#include "game/world_build.h"
#include "persist/options.h"
#include "render/textures.h"
#include "rig/blocks.h"
#include "view/load.h"
#include "view/view.h"

namespace {
class WorldPicture : public GlTest {
 protected:
  void SetUp() override {
    width = 512;
    height = 384;
    GlTest::SetUp();
    savedBase = baseDirectory;
    baseDirectory = BuiltDataDir();
    MessageRecorder quiet;
    LoadGameTextures();
    CameraPos = {0, 0};
    zoom = 0.6;
    Game = tgame{};
  }
  void TearDown() override {
    ForgetContextObjects();
    for (ttilerecord &t : worldRow) t = ttilerecord{};
    baseDirectory = savedBase;
    GlTest::TearDown();
  }
  std::vector<uint8_t> Frame(void (*draw)()) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    draw();
    return ReadPixelsRGB(width, height);
  }
  // The largest difference of any channel, and how many pixels differ by more than `slack`.
  static std::pair<int, int> Compare(const std::vector<uint8_t> &a, const std::vector<uint8_t> &b, int slack) {
    int worst = 0, over = 0;
    for (size_t i = 0; i < a.size(); i += 3) {
      int d = 0;
      for (int c = 0; c < 3; ++c) d = std::max(d, std::abs(a[i + c] - b[i + c]));
      worst = std::max(worst, d);
      if (d > slack) ++over;
    }
    return {worst, over};
  }
  Rgb At(const std::vector<uint8_t> &rgb, tvector world) {
    // World point to pixel through the current projection and camera.
    ApplyCamera();
    int x, y;
    WorldToPixel(world.x, world.y, height, x, y);
    return PixelAt(rgb, width, height, x, y);
  }
  std::string savedBase;
};

// The sky as one textured quad: a column of the day-night image picked by the time of day.
void TexturedSky() {
  glLoadIdentity();
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, dayNightTexture);
  glColor4d(1, 1, 1, 1 - Game.hurtFlash);
  double s = Game.timeOfDay;
  glBegin(GL_QUADS);
  glTexCoord2d(s, 0.25);
  glVertex3d(-5, 3.75, -9);
  glTexCoord2d(s, 0.75);
  glVertex3d(-5, -3.75, -9);
  glTexCoord2d(s, 0.75);
  glVertex3d(5, -3.75, -9);
  glTexCoord2d(s, 0.25);
  glVertex3d(5, 3.75, -9);
  glEnd();
}

// Every layer's fill drawn whole, reaching down past the screen.
void FullSkyline() {
  glLoadIdentity();
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LESS);
  double w = std::fabs(CameraPos.x);
  while (w > 11) w -= 11;
  double x0 = -w * (CameraPos.x > 0 ? 1 : (CameraPos.x < 0 ? -1 : 0));
  glTranslated(x0, -CameraPos.y + basePos.y - 1, -6.1 * zoom - 2);
  glDisable(GL_TEXTURE_2D);
  for (int i = 0; i < 9; ++i) {
    glColor4d(0, 0, 0, 0.3 - 0.0375 * i);
    glTranslated(-22, 0, -0.5);
    double h = 3.75 / (9 / (6.1 * zoom + 2 + 0.5 * i));
    if (h > 0) {
      glBegin(GL_QUADS);
      glVertex3d(0, 0, 0);
      glVertex3d(22 * i + 44, 0, 0);
      glVertex3d(22 * i + 44, CameraPos.y - 2 * h, 0);
      glVertex3d(0, CameraPos.y - 2 * h, 0);
      glEnd();
    }
    for (int k = 0; k < 4; ++k) {
      glCallList(skylineLayers[i]);
      glTranslated(11, 0, 0);
    }
    glTranslated(-22, 0, 0);
  }
  glDisable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
}
}  // namespace

TEST_F(WorldPicture, SkyStripsGiveTheTexturedQuadsPicture) {
  for (double hurt : {0.0, 0.6})
    for (double t : {0.0, 0.05, 0.2, 0.3125, 0.55, 0.6, 0.7, 0.9, 0.99}) {
      Game.timeOfDay = t;
      Game.hurtFlash = hurt;
      auto [worst, over] = Compare(Frame(TexturedSky), Frame(DrawSky), 3);
      EXPECT_EQ(over, 0) << "time " << t << " hurt " << hurt << ": worst difference " << worst;
    }
}

TEST_F(WorldPicture, SkylineBandsGiveTheFullFillsPicture) {
  SetFixedSeed(3);
  buildskyline();
  SetFixedSeed(-1);
  basePos = {0, 0.5};
  struct View {
    tvector camera;
    double zoom;
  };
  for (View v : {View{{0, 0.8}, 0.6}, View{{23.5, 1.5}, 0.6}, View{{-13, -3}, 0.6}, View{{4, 3}, 0.6},
                 View{{0, 9}, 0.6}, View{{-30, 0.2}, 0.3}, View{{8, 2}, 1.2}}) {
    CameraPos = v.camera;
    zoom = v.zoom;
    auto full = Frame(FullSkyline), bands = Frame(DrawSkyline);
    auto [worst, over] = Compare(full, bands, 3);
    EXPECT_EQ(over, 0) << "camera " << v.camera.x << "," << v.camera.y << " zoom " << v.zoom << ": worst "
                       << worst;
  }
}

// A ground with a ledge standing out over it, lit at noon, in the morning and at night.
TEST_F(WorldPicture, SunlightAndShadows) {
  MessageRecorder quiet;
  for (ttilerecord &t : worldRow) t = ttilerecord{};
  worldRow[7].drawn = {Block(-2.5, -3, 2.5, 0), Block(0.5, 0.6, 1.5, 0.7), Block(-1.6, 0, -1.4, 1.2)};
  buildtilelists();
  Options.shadowsOff = 0;
  Options.particlesOff = 0;
  Options.tutorial = 0;
  CameraPos = {0, 0.4};
  basePos = {-10, 0};
  Ending = tending{};
  Ending.baseLossBlast = 1;  // no marker in the picture
  Ending.deathBlast = 1;     // nor the player

  Game.timeOfDay = 0.3125;
  auto noon = Frame(RenderWorld);
  SaveScreenshot(ScreenshotDir() + "/world_noon_probe.png", width, height);
  Game.timeOfDay = 0.7;
  auto night = Frame(RenderWorld);
  // The glow stands 2 units straight above the camera at noon, its rim reaching into the top
  // of the view; none at night.
  Rgb glow = At(noon, {0, 1.8}), side = At(noon, {-1.9, 1.8});
  EXPECT_GT(glow.r + glow.g, side.r + side.g + 30);
  Rgb dark = At(night, {0, 1.8}), darkSide = At(night, {-1.9, 1.8});
  EXPECT_LT(std::abs(dark.r + dark.g - darkSide.r - darkSide.g), 6);
  // Under the ledge the noon light is blocked: no wash there, so it is darker than beside it.
  Rgb under = At(noon, {1.0, 0.3}), beside = At(noon, {2.0, 0.3});
  EXPECT_LT(under.r + under.g + under.b + 30, beside.r + beside.g + beside.b);
  // In the morning light comes from the left and down: the post's shadow falls to its right.
  Game.timeOfDay = 0.2;
  auto morning = Frame(RenderWorld);
  Rgb right = At(morning, {-1.2, 0.2}), left = At(morning, {-1.8, 0.2});
  EXPECT_LT(right.r + right.g + right.b + 30, left.r + left.g + left.b);
}

TEST_F(WorldPicture, MarkingTheTerrainFirstKeepsTheWorldsPicture) {
  MessageRecorder quiet;
  SetFixedSeed(11);
  ASSERT_TRUE(loadpieces());
  ASSERT_TRUE(buildworld());
  buildtilelists();
  buildskyline();
  SetFixedSeed(-1);
  Options.shadowsOff = 0;
  Options.particlesOff = 0;
  Options.tutorial = 0;
  Ending = tending{};
  ResetGameState();
  placeplayer();
  Frame(RenderWorld);  // llvmpipe draws the very first lit frame of a context a shade lighter
  for (double x : {-20.0, 0.0, 3.0, 12.0})
    for (double t : {0.1, 0.3125, 0.5, 0.8}) {
      CameraPos = {x, basePos.y + 0.5};
      Game.timeOfDay = t;
      auto frame = [this](bool mark) {
        markTerrainDepth = mark;
        glLineWidth(3.0);  // as the game step leaves it
        return Frame(RenderWorld);
      };
      auto plain = frame(false), marked = frame(true);
      auto [worst, over] = Compare(plain, marked, 3);
      EXPECT_EQ(over, 0) << "x " << x << " time " << t << ": worst " << worst;

    }
}

TEST_F(WorldPicture, ShadowsOffLeavesTheStencilAlone) {
  for (ttilerecord &t : worldRow) t = ttilerecord{};
  worldRow[7].drawn = {Block(-2.5, -3, 2.5, 0), Block(0.5, 0.6, 1.5, 0.7)};
  buildtilelists();
  Game.timeOfDay = 0.3125;
  Options.tutorial = 0;
  auto stencilAfter = [this](uint8_t shadowsOff) {
    Options.shadowsOff = shadowsOff;
    glClearStencil(1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    glClearStencil(0);
    RenderWorld();
    std::vector<uint8_t> s(static_cast<size_t>(width) * height);
    glReadPixels(0, 0, width, height, GL_STENCIL_INDEX, GL_UNSIGNED_BYTE, s.data());
    return static_cast<int>(std::count(s.begin(), s.end(), 1));
  };
  EXPECT_EQ(stencilAfter(1), width * height);
  EXPECT_LT(stencilAfter(0), width * height);
}
