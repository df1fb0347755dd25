// preview DATA_DIR OUT_DIR: renders every level piece, the world they chain into, the figure
// in every key frame and aim, and a sheet of the fixed textures to PNG files in OUT_DIR.
// Needs a display (Xvfb will do).
#include <GL/gl.h>
#include <SDL.h>

#include <cstdio>
#include <filesystem>

#include "base/files.h"
#include "preview.h"
#include "render/png_file.h"

void BeginPicture(const PreviewView &v) {
  glViewport(0, 0, v.width, v.height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(v.x0, v.x1, v.y0, v.y1, -50, 50);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glClearColor(0.86f, 0.74f, 0.62f, 1);  // a late-afternoon sky, as the silhouettes are seen
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

bool SavePicture(const PreviewView &v, const std::string &path) {
  glFinish();
  std::vector<uint8_t> rgb(static_cast<size_t>(v.width) * v.height * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, v.width, v.height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  if (!WritePngFile(path, rgb, v.width, v.height)) {
    std::fprintf(stderr, "preview: cannot write %s\n", path.c_str());
    return false;
  }
  std::printf("%s\n", path.c_str());
  return true;
}

// The four corners of a rectangle as one primitive of the given kind.
static void RectCorners(GLenum mode, double x0, double y0, double x1, double y1) {
  glBegin(mode);
  glVertex2d(x0, y0);
  glVertex2d(x1, y0);
  glVertex2d(x1, y1);
  glVertex2d(x0, y1);
  glEnd();
}

void FillRect(double x0, double y0, double x1, double y1, float r, float g, float b, float a) {
  glColor4f(r, g, b, a);
  RectCorners(GL_QUADS, x0, y0, x1, y1);
}

void OutlineRect(double x0, double y0, double x1, double y1, float r, float g, float b, float width) {
  glLineWidth(width);
  glColor4f(r, g, b, 1);
  RectCorners(GL_LINE_LOOP, x0, y0, x1, y1);
}

void Line(double x0, double y0, double x1, double y1, float r, float g, float b, float width) {
  glLineWidth(width);
  glColor4f(r, g, b, 1);
  glBegin(GL_LINES);
  glVertex2d(x0, y0);
  glVertex2d(x1, y1);
  glEnd();
}

int main(int argc, char **argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: preview DATA_DIR OUT_DIR\n");
    return 2;
  }
  std::string dataDir = argv[1], outDir = argv[2];
  std::error_code ec;
  std::filesystem::create_directories(outDir, ec);
  if (ec) {
    std::fprintf(stderr, "preview: cannot create %s: %s\n", outDir.c_str(), ec.message().c_str());
    return 1;
  }
  baseDirectory = dataDir;
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "preview: %s\n", SDL_GetError());
    return 1;
  }
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_Window *window = SDL_CreateWindow("preview", 0, 0, 1280, 1024, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  SDL_GLContext context = window ? SDL_GL_CreateContext(window) : nullptr;
  if (!context) {
    std::fprintf(stderr, "preview: no GL context: %s\n", SDL_GetError());
    if (window) SDL_DestroyWindow(window);
    SDL_Quit();
    return 1;
  }
  SDL_GL_MakeCurrent(window, context);
  glEnable(GL_LINE_SMOOTH);
  int failed = PreviewPieces(dataDir, outDir) + PreviewFigure(dataDir, outDir) + PreviewTextures(dataDir, outDir);
  SDL_GL_DeleteContext(context);
  SDL_DestroyWindow(window);
  SDL_Quit();
  return failed ? 1 : 0;
}
