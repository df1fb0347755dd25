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

// 2x2 RGB: rows of 6 bytes, which GL would misread at its default 4-byte row alignment.
const Bytes RGB_2X2 = {3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10};
}  // namespace

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
