#include "render/png_file.h"

#include <png.h>

#include <cstdio>

bool WritePngFile(const std::string &path, const std::vector<uint8_t> &pixels, int width, int height, int channels) {
  if (width <= 0 || height <= 0 || (channels != 3 && channels != 4) ||
      pixels.size() < static_cast<size_t>(width) * height * channels)
    return false;
  FILE *f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!png || !info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    return false;
  }
  png_init_io(png, f);
  const int type = channels == 4 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB;
  png_set_IHDR(png, info, width, height, 8, type, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = height - 1; y >= 0; --y)
    png_write_row(png, const_cast<png_bytep>(&pixels[static_cast<size_t>(y) * width * channels]));
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fclose(f) == 0;
}
