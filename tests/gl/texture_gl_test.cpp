#include <GL/gl.h>

#include <algorithm>

#include "app/files.h"
#include "render/textures.h"
#include "rig/rig.h"

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

Bytes TexImage(GLenum format, int components) {
  GLint w = 0, h = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
  Bytes out(static_cast<size_t>(w) * h * components);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, format, GL_UNSIGNED_BYTE, out.data());
  return out;
}

// 2x2 RGB: rows of 6 bytes, which GL would misread at its default 4-byte row alignment.
const Bytes RGB_2X2 = {3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10};
}  // namespace

TEST_F(GlTest, TargaTexturesReadBackAsStored) {
  TempDir dir;
  MessageRecorder recorder;
  dir.write("rgb.tga", Tga(2, 2, 24, RGB_2X2));
  dir.write("rgba.tga", Tga(2, 1, 32, {30, 20, 10, 0, 60, 50, 40, 200}));

  uint32_t tex = 0;
  ASSERT_TRUE(LoadTargaTexture(dir.file("rgb.tga"), tex));
  ASSERT_NE(tex, 0u);
  EXPECT_TRUE(glIsTexture(tex));
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(static_cast<uint32_t>(bound), tex);
  EXPECT_EQ(TexImage(GL_RGB, 3), (Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
  GLint param = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_ALPHA_SIZE, &param);
  EXPECT_EQ(param, 0);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &param);
  EXPECT_EQ(param, GL_LINEAR);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &param);
  EXPECT_EQ(param, GL_LINEAR);
  glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &param);
  EXPECT_EQ(param, GL_MODULATE);

  uint32_t alpha = 0;
  ASSERT_TRUE(LoadTargaTexture(dir.file("rgba.tga"), alpha));
  EXPECT_EQ(TexImage(GL_RGBA, 4), (Bytes{10, 20, 30, 0, 40, 50, 60, 200}));
  EXPECT_TRUE(recorder.messages.empty());

  // Drawn with a white colour, the texture shows its own colours: row 0 of the file at the bottom.
  // Quadrant centres sample one texel each, away from the wrapped edges.
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_BLEND);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, tex);
  glColor3f(1, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glBegin(GL_QUADS);
  glTexCoord2f(0, 0), glVertex2f(-1, -1);
  glTexCoord2f(1, 0), glVertex2f(1, -1);
  glTexCoord2f(1, 1), glVertex2f(1, 1);
  glTexCoord2f(0, 1), glVertex2f(-1, 1);
  glEnd();
  glDisable(GL_TEXTURE_2D);
  Bytes shot = ReadPixelsRGB(width, height);
  Rgb bottomLeft = PixelAt(shot, width, height, width / 4, height * 3 / 4);
  Rgb topRight = PixelAt(shot, width, height, width * 3 / 4, height / 4);
  EXPECT_NEAR(bottomLeft.r, 1, 1);
  EXPECT_NEAR(bottomLeft.b, 3, 1);
  EXPECT_NEAR(topRight.r, 10, 1);
  EXPECT_NEAR(topRight.b, 12, 1);
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
  EXPECT_EQ(tex, held);
  EXPECT_TRUE(glIsTexture(held));
  ASSERT_EQ(recorder.messages.size(), 4u);
  EXPECT_EQ(recorder.messages[0].text, "File not found  - " + dir.file("missing.tga"));
  EXPECT_EQ(recorder.messages[0].caption, "TGA Texture");
  EXPECT_EQ(recorder.messages[1].text,
            "Couldn't load \"" + dir.file("grey.tga") + "\". Only 24 and 32bit TGA supported.");
  EXPECT_EQ(recorder.messages[1].caption, "TGA File Error");
  EXPECT_EQ(recorder.messages[2].text, "Couldn't load JPG - \"" + dir.file("missing.JPG") + "\"");
  EXPECT_EQ(recorder.messages[2].caption, "BMP Unit");
  EXPECT_EQ(recorder.messages[3].text, "Error opening " + dir.file("missing.bmp"));
  EXPECT_EQ(recorder.messages[3].caption, "BMP Unit");
}

TEST_F(GlTest, LoaderIsChosenByTheEndingInAnyCase) {
  TempDir dir;
  MessageRecorder recorder;
  Bytes tga = Tga(2, 2, 24, RGB_2X2);
  dir.write("upper.TGA", tga);
  dir.write("lower.tga", tga);
  dir.write("picture.jpeg", tga);
  dir.write("noending", tga);
  // A BMP with padded 2-pixel rows.
  Bytes bmp(62, 0);
  bmp[0] = 'B', bmp[1] = 'M';
  PutI32(&bmp[18], 2);
  PutI32(&bmp[22], 1);
  PutU16(&bmp[28], 24);
  const uint8_t row[] = {1, 2, 3, 4, 5, 6, 0, 0};
  std::copy(row, row + 8, bmp.begin() + 54);
  dir.write("mixed.Bmp", bmp);

  uint32_t upper = 0, lower = 0, jpeg = 0, none = 0, bitmap = 0;
  LoadTextureFile(dir.file("upper.TGA"), upper);
  LoadTextureFile(dir.file("lower.tga"), lower);
  LoadTextureFile(dir.file("picture.jpeg"), jpeg);
  LoadTextureFile(dir.file("noending"), none);
  LoadTextureFile("tga", none);
  LoadTextureFile(dir.file("mixed.Bmp"), bitmap);
  EXPECT_NE(upper, 0u);
  EXPECT_NE(lower, 0u);
  EXPECT_NE(upper, lower);
  EXPECT_EQ(jpeg, 0u);
  EXPECT_EQ(none, 0u);
  ASSERT_NE(bitmap, 0u);
  glBindTexture(GL_TEXTURE_2D, bitmap);
  EXPECT_EQ(TexImage(GL_RGB, 3), (Bytes{3, 2, 1, 6, 5, 4}));
  EXPECT_TRUE(recorder.messages.empty());
}

TEST_F(GlTest, ReloadingDeletesTheReplacedTexture) {
  TempDir dir;
  dir.write("a.tga", Tga(2, 2, 24, RGB_2X2));
  uint32_t tex = 0;
  LoadTextureFile(dir.file("a.tga"), tex);
  const uint32_t first = tex;
  ASSERT_NE(first, 0u);
  ASSERT_TRUE(glIsTexture(first));
  LoadTextureFile(dir.file("a.tga"), tex);
  EXPECT_NE(tex, first);
  EXPECT_TRUE(glIsTexture(tex));
  EXPECT_FALSE(glIsTexture(first));
}
