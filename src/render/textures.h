// Texture loading: TGA (types 2 and 10), 24-bit BMP and JPEG files into GL textures.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The fixed textures of a game, loaded by LoadGameTextures.
extern uint32_t smokeTexture, coloursTexture, gunIconsTexture, dayNightTexture, suppliesTexture, symbolTexture,
    guyTexture, armTexture, heliTexture, fontTexture;

// Picks the loader by the name's ending (.bmp, .jpg, .tga, any case); other endings load nothing.
void LoadTextureFile(const std::string &fileName, uint32_t &texture);
// Each writes texture only on success (deleting the texture it replaces) and reports failures
// in a message box.
bool LoadBitmapTexture(const std::string &fileName, uint32_t &texture);
bool LoadJpegTexture(const std::string &fileName, uint32_t &texture);
bool LoadTargaTexture(const std::string &fileName, uint32_t &texture);

// format is GL_RGB or GL_RGBA; pixels are width * height tightly packed pixels.
uint32_t BuildTexture(uint16_t width, uint16_t height, uint32_t format, const uint8_t *pixels);

// Decoding without GL, so it can be tested and fuzzed headless. On failure message and caption
// hold what the user is shown.
// Larger images are refused as damaged; the limit also keeps sizes inside BuildTexture's
// 16-bit arguments.
constexpr int MAX_TEXTURE_SIDE = 8192;

struct DecodedImage {
  int width = 0, height = 0;
  int bytesPerPixel = 0;  // 3 (RGB) or 4 (RGBA)
  std::vector<uint8_t> pixels;
};
struct DecodeError {
  std::string message, caption;
};
bool DecodeTarga(const std::string &fileName, const uint8_t *data, size_t size, DecodedImage &out, DecodeError &err);
bool DecodeBitmap(const std::string &fileName, const uint8_t *data, size_t size, DecodedImage &out, DecodeError &err);
bool DecodeJpeg(const std::string &fileName, const uint8_t *data, size_t size, DecodedImage &out, DecodeError &err);
