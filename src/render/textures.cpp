// Texture files into GL textures: read, decode, build, and swap into the caller's variable.
#include "render/textures.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cctype>

#include "base/files.h"
#include "platform/message.h"

uint32_t smokeTexture = 0, coloursTexture = 0, gunIconsTexture = 0, dayNightTexture = 0, suppliesTexture = 0,
         symbolTexture = 0, guyTexture = 0, armTexture = 0, heliTexture = 0, fontTexture = 0;

uint32_t BuildTexture(uint16_t width, uint16_t height, uint32_t format, const uint8_t *pixels) {
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  // The current colour tints every textured primitive.
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  // Our rows are tightly packed; GL's default of 4-byte rows would shear RGB images whose
  // width * 3 is not a multiple of 4.
  GLint oldAlignment = 4;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &oldAlignment);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  if (format == GL_RGBA)
    gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGBA, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
  else
    gluBuild2DMipmaps(GL_TEXTURE_2D, 3, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels);
  glPixelStorei(GL_UNPACK_ALIGNMENT, oldAlignment);
  return name;
}

namespace {
// Builds the decoded image and puts it in `texture`, deleting the texture it replaces.
bool StoreTexture(const DecodedImage &image, uint32_t &texture) {
  uint32_t name = BuildTexture(static_cast<uint16_t>(image.width), static_cast<uint16_t>(image.height),
                               image.bytesPerPixel == 4 ? GL_RGBA : GL_RGB, image.pixels.data());
  if (name == 0) return false;
  if (texture != 0 && texture != name) {
    GLuint old = texture;
    glDeleteTextures(1, &old);
  }
  texture = name;
  return true;
}

using Decoder = bool (*)(const std::string &, const uint8_t *, size_t, DecodedImage &, DecodeError &);

bool DecodeAndStore(const std::string &fileName, const std::vector<uint8_t> &bytes, Decoder decode, uint32_t &texture) {
  DecodedImage image;
  DecodeError err;
  if (!decode(fileName, bytes.data(), bytes.size(), image, err)) {
    ShowMessage(err.message, err.caption, MB_ICONEXCLAMATION);
    return false;
  }
  return StoreTexture(image, texture);
}
}  // namespace

bool LoadTargaTexture(const std::string &fileName, uint32_t &texture) {
  if (!FileExists(fileName)) {
    ShowMessage("File not found  - " + fileName, "TGA Texture", MB_ICONEXCLAMATION);
    return false;
  }
  std::vector<uint8_t> bytes;
  if (!ReadFileBytes(fileName, bytes)) {
    ShowMessage("Couldn't read file \"" + fileName + "\".", "TGA File Error", MB_ICONEXCLAMATION);
    return false;
  }
  return DecodeAndStore(fileName, bytes, DecodeTarga, texture);
}

bool LoadBitmapTexture(const std::string &fileName, uint32_t &texture) {
  std::vector<uint8_t> bytes;
  if (!FileExists(fileName) || !ReadFileBytes(fileName, bytes)) {
    ShowMessage("Error opening " + fileName, "BMP Unit", MB_ICONEXCLAMATION);
    return false;
  }
  return DecodeAndStore(fileName, bytes, DecodeBitmap, texture);
}

bool LoadJpegTexture(const std::string &fileName, uint32_t &texture) {
  std::vector<uint8_t> bytes;
  if (!FileExists(fileName) || !ReadFileBytes(fileName, bytes)) {
    ShowMessage("Couldn't load JPG - \"" + fileName + "\"", "BMP Unit", MB_ICONEXCLAMATION);
    return false;
  }
  return DecodeAndStore(fileName, bytes, DecodeJpeg, texture);
}

void LoadTextureFile(const std::string &fileName, uint32_t &texture) {
  if (fileName.size() < 4) return;
  std::string ending = fileName.substr(fileName.size() - 4);
  std::transform(ending.begin(), ending.end(), ending.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  if (ending == ".BMP")
    LoadBitmapTexture(fileName, texture);
  else if (ending == ".JPG")
    LoadJpegTexture(fileName, texture);
  else if (ending == ".TGA")
    LoadTargaTexture(fileName, texture);
}
