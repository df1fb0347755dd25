// JPEG through libjpeg, into upright RGBA with full alpha.
#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE and size_t declared first

#include <jpeglib.h>

#include "render/textures.h"

namespace {
// libjpeg's default error handler calls exit(); ours jumps back to the decoder instead.
struct JpegErrorManager {
  jpeg_error_mgr pub;
  jmp_buf jump;
  int warnings;
};

void JpegErrorExit(j_common_ptr cinfo) { longjmp(reinterpret_cast<JpegErrorManager *>(cinfo->err)->jump, 1); }

// A truncated or corrupt stream is only a warning to libjpeg, which then pads the picture with
// grey. We treat any warning as failure, and stop at once rather than decode the rest.
void JpegEmitMessage(j_common_ptr cinfo, int msgLevel) {
  auto *mgr = reinterpret_cast<JpegErrorManager *>(cinfo->err);
  if (msgLevel < 0) {
    ++mgr->warnings;
    longjmp(mgr->jump, 1);
  }
}

void JpegOutputMessage(j_common_ptr) {}

struct JpegScratch {
  std::vector<uint8_t> pixels, row;
  size_t width = 0, height = 0;
};

// Only plain C data lives in this frame (the buffers belong to the caller), so the jump back
// skips no destructors.
bool DecodeJpegPixels(const uint8_t *data, size_t size, JpegScratch &out) {
  jpeg_decompress_struct cinfo;
  JpegErrorManager jerr;
  cinfo.err = jpeg_std_error(&jerr.pub);
  jerr.pub.error_exit = JpegErrorExit;
  jerr.pub.emit_message = JpegEmitMessage;
  jerr.pub.output_message = JpegOutputMessage;
  jerr.warnings = 0;
  jpeg_create_decompress(&cinfo);
  if (setjmp(jerr.jump)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
  jpeg_read_header(&cinfo, TRUE);
  if (cinfo.image_width == 0 || cinfo.image_height == 0 || cinfo.image_width > MAX_TEXTURE_SIDE ||
      cinfo.image_height > MAX_TEXTURE_SIDE) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  cinfo.out_color_space = JCS_RGB;  // grey pictures come out as RGB too
  jpeg_start_decompress(&cinfo);
  if (cinfo.output_components != 3) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  size_t width = cinfo.output_width, height = cinfo.output_height;
  out.pixels.assign(width * height * 4, 255);
  out.row.resize(width * 3);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW rows[1] = {out.row.data()};
    size_t y = cinfo.output_scanline;
    if (jpeg_read_scanlines(&cinfo, rows, 1) != 1) break;
    // GL's first row is the bottom of the picture.
    uint8_t *dst = &out.pixels[(height - 1 - y) * width * 4];
    for (size_t x = 0; x < width; ++x) {
      dst[x * 4] = out.row[x * 3];
      dst[x * 4 + 1] = out.row[x * 3 + 1];
      dst[x * 4 + 2] = out.row[x * 3 + 2];
    }
  }
  jpeg_finish_decompress(&cinfo);
  bool ok = jerr.warnings == 0 && cinfo.output_scanline == cinfo.output_height;
  jpeg_destroy_decompress(&cinfo);
  out.width = width;
  out.height = height;
  return ok;
}
}  // namespace

bool DecodeJpeg(const std::string &fileName, const uint8_t *data, size_t size, DecodedImage &out, DecodeError &err) {
  JpegScratch scratch;
  if (!DecodeJpegPixels(data, size, scratch)) {
    err.message = "Couldn't load JPG - \"" + fileName + "\"";
    err.caption = "BMP Unit";
    return false;
  }
  out.width = static_cast<int>(scratch.width);
  out.height = static_cast<int>(scratch.height);
  out.bytesPerPixel = 4;
  out.pixels.swap(scratch.pixels);
  return true;
}
