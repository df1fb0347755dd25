#include <GL/gl.h>
#include <GL/glu.h>

#include <string>
#include <vector>

#include "actors/models.h"
#include "actors/skeleton_draw.h"
#include "app/files.h"
#include "game/camera.h"
#include "rig/rig.h"

namespace {

tguypart Rect(int32_t id, int32_t parent, tvector c1, tvector c2) {
  tguypart p{};
  p.visible = 1;
  p.id = id;
  p.parentid = parent;
  p.corner1 = c1;
  p.corner2 = c2;
  return p;
}

class SkeletonDraw : public GlTest {
 protected:
  void SetUp() override {
    GlTest::SetUp();
    CameraPos = {0, 0};
    zoom = 0.6;
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
  }
  void TearDown() override {
    guys.clear();
    enemies.clear();
    GlTest::TearDown();
  }
  void Clear() {
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
  }
  // The colour at world point (x, y) as the world camera shows it.
  int Grey(const std::vector<uint8_t> &rgb, double x, double y) {
    ApplyCamera();
    GLdouble model[16], proj[16], wx, wy, wz;
    GLint view[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, proj);
    glGetIntegerv(GL_VIEWPORT, view);
    gluProject(x, y, 0, model, proj, view, &wx, &wy, &wz);
    Rgb c = PixelAt(rgb, width, height, static_cast<int>(wx), height - 1 - static_cast<int>(wy));
    return (c.r + c.g + c.b) / 3;
  }
  tenemy Figure(tvector pos, int32_t guy, uint8_t facing) {
    tenemy e{};
    e.active = 1;
    e.body.pos = pos;
    e.guy = guy;
    e.anim.scale = 0.075;
    e.anim.facing = facing;
    return e;
  }
};

}  // namespace

TEST_F(SkeletonDraw, FigureAndItsMirror) {
  // A root bar reaching right from the figure's origin, and an arm raised from near its end.
  tguy g{};
  g.loaded = 1;
  g.parts.push_back(Rect(0, 0, {0, 0}, {0.4, 0.1}));
  g.parts.push_back(Rect(1, 0, {0, -0.05}, {0.3, 0.05}));
  g.parts[1].pivot = {-0.3, -0.1};  // joint on the bar's top edge at x 0.3...
  g.parts[1].angle = 90;            // ...turned a quarter counter-clockwise: it points up
  guys = {g};

  Clear();
  const tenemy right = Figure({0.5, -0.5}, 0, 0);
  DrawCharacter(right);
  std::vector<uint8_t> rgb = ReadPixelsRGB(width, height);
  SaveScreenshot(ScreenshotDir() + "/skeleton_facing_right.png", width, height);
  // Figure origin at (0.5, -0.46): the bar spans x 0.5 .. 0.9, y -0.46 .. -0.36.
  EXPECT_LT(Grey(rgb, 0.85, -0.41), 40);
  EXPECT_LT(Grey(rgb, 0.55, -0.41), 40);
  EXPECT_GT(Grey(rgb, 0.45, -0.41), 215);
  EXPECT_GT(Grey(rgb, 0.6, -0.2), 215);
  // The arm: x 0.75 .. 0.85, y -0.36 .. -0.06.
  EXPECT_LT(Grey(rgb, 0.8, -0.2), 40);
  EXPECT_LT(Grey(rgb, 0.8, -0.1), 40);
  EXPECT_GT(Grey(rgb, 0.7, -0.2), 215);
  EXPECT_GT(Grey(rgb, 0.8, -0.02), 215);

  Clear();
  DrawCharacter(Figure({0.5, -0.5}, 0, 1));
  rgb = ReadPixelsRGB(width, height);
  SaveScreenshot(ScreenshotDir() + "/skeleton_facing_left.png", width, height);
  EXPECT_LT(Grey(rgb, 0.15, -0.41), 40);
  EXPECT_LT(Grey(rgb, 0.45, -0.41), 40);
  EXPECT_GT(Grey(rgb, 0.55, -0.41), 215);
  EXPECT_GT(Grey(rgb, 0.85, -0.41), 215);
  EXPECT_LT(Grey(rgb, 0.2, -0.2), 40);
  EXPECT_GT(Grey(rgb, 0.8, -0.2), 215);

  // A hidden root draws nothing, its children included.
  guys[0].parts[0].visible = 0;
  Clear();
  DrawCharacter(right);
  rgb = ReadPixelsRGB(width, height);
  EXPECT_GT(Grey(rgb, 0.85, -0.41), 215);
  EXPECT_GT(Grey(rgb, 0.8, -0.2), 215);

  // An enemy pointing at no skeleton is skipped.
  Clear();
  DrawCharacter(Figure({0.5, -0.5}, 5, 0));
  rgb = ReadPixelsRGB(width, height);
  EXPECT_GT(Grey(rgb, 0.85, -0.41), 215);
}

TEST_F(SkeletonDraw, HiddenChildCarriesItsChildren) {
  tguy g{};
  g.loaded = 1;
  g.parts.push_back(Rect(0, 0, {0, 0}, {0.2, 0.1}));
  // Hidden link: joint at (0.4, 0), turned 90 degrees; its own rectangle must not show.
  g.parts.push_back(Rect(1, 0, {-0.3, -0.2}, {-0.1, -0.1}));
  g.parts[1].visible = 0;
  g.parts[1].pivot = {-0.4, 0};
  g.parts[1].angle = 90;
  // Visible child of the hidden link: (x, y) -> (0.4 - y, x) puts it at x 0.3 .. 0.4, y 0 .. 0.3.
  g.parts.push_back(Rect(2, 1, {0, 0}, {0.3, 0.1}));
  guys = {g, g};
  enemies = {Figure({-0.5, 0}, 1, 0)};

  Clear();
  DrawCharacter(enemies[0]);
  std::vector<uint8_t> rgb = ReadPixelsRGB(width, height);
  SaveScreenshot(ScreenshotDir() + "/skeleton_hidden_link.png", width, height);
  const double ox = -0.5, oy = 0.04;  // the figure's origin
  EXPECT_LT(Grey(rgb, ox + 0.1, oy + 0.05), 40);   // root
  EXPECT_LT(Grey(rgb, ox + 0.35, oy + 0.2), 40);   // grandchild
  EXPECT_GT(Grey(rgb, ox + 0.55, oy - 0.2), 215);  // the hidden link's own rectangle
  EXPECT_GT(Grey(rgb, ox + 0.25, oy + 0.2), 215);
}

TEST_F(SkeletonDraw, WeaponTableLoadsTexturesAndKeepsSoundsInStep) {
  MessageRecorder recorder;
  TempDir dir;
  const std::string saved = baseDirectory;
  baseDirectory = dir.path();

  // A 4x4 uncompressed 24-bit targa.
  std::vector<uint8_t> tga(18 + 4 * 4 * 3, 0x80);
  std::fill(tga.begin(), tga.begin() + 18, 0);
  tga[2] = 2;
  tga[12] = 4;
  tga[14] = 4;
  tga[16] = 24;
  dir.write("textures/gun.tga", tga);

  std::vector<tweaponfile> table(2);
  table[0].weapon.name = "pistol";
  table[0].weapon.clip = 12;
  table[0].textureFile = "gun.tga";
  table[0].fireSoundFile = "bang.wav";
  table[0].reloadSoundFile = "click.wav";
  table[1].weapon.name = "rifle";
  table[1].textureFile = "nothing here.tga";
  dir.write("weapons.wep", EncodeWeapons(table));

  static std::vector<std::string> asked;
  static std::vector<uint32_t> released;
  static uint32_t nextBuffer;
  asked.clear();
  released.clear();
  nextBuffer = 1;
  weaponSoundHooks.load = [](const std::string &path) {
    asked.push_back(path);
    return nextBuffer++;
  };
  weaponSoundHooks.release = [](uint32_t b) { released.push_back(b); };

  weapons.clear();
  weaponTextures.clear();
  LoadWeapons();
  ASSERT_EQ(weapons.size(), 2u);
  EXPECT_EQ(weapons[0].name, "pistol");
  EXPECT_EQ(weapons[0].clip, 12);
  for (uint8_t i = 0; i < 2; ++i) {
    EXPECT_EQ(weapons[i].texture, i);
    EXPECT_EQ(weapons[i].firesound, i);
    EXPECT_EQ(weapons[i].reloadsound, i);
  }
  ASSERT_EQ(weaponTextures.size(), 2u);
  EXPECT_TRUE(glIsTexture(weaponTextures[0]));
  EXPECT_EQ(weaponTextures[1], 0u);
  EXPECT_EQ(recorder.messages.size(), 1u);  // the missing texture is reported
  ASSERT_EQ(asked.size(), 4u);
  EXPECT_EQ(asked[0], dir.path() + "/sounds/bang.wav");
  EXPECT_EQ(asked[1], dir.path() + "/sounds/click.wav");
  EXPECT_EQ(weaponSounds[0], (std::vector<uint32_t>{1, 3}));
  EXPECT_EQ(weaponSounds[1], (std::vector<uint32_t>{2, 4}));

  // The next game's load replaces the buffers instead of piling them up.
  weaponTextures.clear();
  LoadWeapons();
  EXPECT_EQ(weaponSounds[0].size(), 2u);
  EXPECT_EQ(weaponSounds[1].size(), 2u);
  EXPECT_EQ(weaponSounds[0][0], 5u);
  EXPECT_EQ(released, (std::vector<uint32_t>{1, 3, 2, 4}));

  // Without the file the table stays as the caller left it.
  std::remove(dir.file("weapons.wep").c_str());
  LoadWeapons();
  EXPECT_EQ(weapons.size(), 2u);

  // Byte indices can name 256 weapons; more are not read.
  std::vector<tweaponfile> many(300);
  dir.write("weapons.wep", EncodeWeapons(many));
  LoadWeapons();
  EXPECT_EQ(weapons.size(), 256u);
  EXPECT_EQ(weaponSounds[1].size(), 256u);
  EXPECT_EQ(weapons[255].texture, 255);

  // Without the audio module every weapon still has its entries, all "no buffer".
  weaponSoundHooks = {nullptr, nullptr};
  dir.write("weapons.wep", EncodeWeapons(table));
  LoadWeapons();
  EXPECT_EQ(weaponSounds[0], (std::vector<uint32_t>{0, 0}));

  weapons.clear();
  weaponTextures.clear();
  weaponSounds[0].clear();
  weaponSounds[1].clear();
  baseDirectory = saved;
}
