#include <GL/gl.h>

#include <algorithm>

#include "base/files.h"
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

// The bound texture's level 0.
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

TEST_F(GlTest, TexturesReadBackAsStoredAndReplaceTheOldOne) {
  TempDir dir;
  MessageRecorder recorder;
  dir.write("rgb.tga", Tga(2, 2, 24, RGB_2X2));
  dir.write("rgba.tga", Tga(2, 1, 32, {30, 20, 10, 0, 60, 50, 40, 200}));
  uint32_t tex = 0;
  ASSERT_TRUE(LoadTargaTexture(dir.file("rgb.tga"), tex));
  EXPECT_EQ(TexImage(GL_RGB, 3), (Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
  GLint alphaBits = -1;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_ALPHA_SIZE, &alphaBits);
  EXPECT_EQ(alphaBits, 0) << "no alpha where the file has none";
  uint32_t alpha = 0;
  ASSERT_TRUE(LoadTargaTexture(dir.file("rgba.tga"), alpha));
  EXPECT_EQ(TexImage(GL_RGBA, 4), (Bytes{10, 20, 30, 0, 40, 50, 60, 200}));

  // Loading into a variable that holds a texture deletes the one it replaces; the loader is
  // chosen by the ending in any case.
  dir.write("RGB.TGA", Tga(2, 2, 24, RGB_2X2));
  const uint32_t first = tex;
  LoadTextureFile(dir.file("RGB.TGA"), tex);
  EXPECT_TRUE(glIsTexture(tex) && !glIsTexture(first));
  // An ending it does not know loads nothing, silently.
  for (const char *name : {"picture.jpeg", "noending"}) {
    uint32_t none = 0;
    dir.write(name, Tga(2, 2, 24, RGB_2X2));
    LoadTextureFile(dir.file(name), none);
    EXPECT_EQ(none, 0u) << name;
  }
  EXPECT_TRUE(recorder.messages.empty());
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
