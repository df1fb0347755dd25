// The off-screen layer: a framebuffer object with one RGBA texture, made on first use and again
// whenever the size asked for changes. Its entry points are looked up once per context.
#include <GL/gl.h>
#include <GL/glext.h>
#include <SDL.h>

#include <cstdlib>

#include "platform/window.h"

namespace {
struct tlayerprocs {
  PFNGLGENFRAMEBUFFERSPROC gen;
  PFNGLDELETEFRAMEBUFFERSPROC del;
  PFNGLBINDFRAMEBUFFERPROC bind;
  PFNGLFRAMEBUFFERTEXTURE2DPROC attach;
  PFNGLCHECKFRAMEBUFFERSTATUSPROC status;
  PFNGLBLENDFUNCSEPARATEPROC blendSeparate;
};
tlayerprocs procs{};
int looked = 0;  // 0 not yet, 1 found, -1 missing
GLuint framebuffer = 0, texture = 0;
int layerW = 0, layerH = 0;

bool LookUp() {
  if (looked) return looked > 0;
  looked = -1;
  const char *version = reinterpret_cast<const char *>(glGetString(GL_VERSION));
  if (!version || (std::atoi(version) < 3 && !SDL_GL_ExtensionSupported("GL_ARB_framebuffer_object"))) return false;
  procs.gen = reinterpret_cast<PFNGLGENFRAMEBUFFERSPROC>(SDL_GL_GetProcAddress("glGenFramebuffers"));
  procs.del = reinterpret_cast<PFNGLDELETEFRAMEBUFFERSPROC>(SDL_GL_GetProcAddress("glDeleteFramebuffers"));
  procs.bind = reinterpret_cast<PFNGLBINDFRAMEBUFFERPROC>(SDL_GL_GetProcAddress("glBindFramebuffer"));
  procs.attach = reinterpret_cast<PFNGLFRAMEBUFFERTEXTURE2DPROC>(SDL_GL_GetProcAddress("glFramebufferTexture2D"));
  procs.status = reinterpret_cast<PFNGLCHECKFRAMEBUFFERSTATUSPROC>(SDL_GL_GetProcAddress("glCheckFramebufferStatus"));
  procs.blendSeparate = reinterpret_cast<PFNGLBLENDFUNCSEPARATEPROC>(SDL_GL_GetProcAddress("glBlendFuncSeparate"));
  if (!procs.gen || !procs.del || !procs.bind || !procs.attach || !procs.status || !procs.blendSeparate) return false;
  looked = 1;
  return true;
}

void Release() {
  if (framebuffer) procs.del(1, &framebuffer);
  if (texture) glDeleteTextures(1, &texture);
  framebuffer = texture = 0;
  layerW = layerH = 0;
}

bool Make(int width, int height) {
  Release();
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  procs.gen(1, &framebuffer);
  procs.bind(GL_FRAMEBUFFER, framebuffer);
  procs.attach(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
  const bool complete = procs.status(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  procs.bind(GL_FRAMEBUFFER, 0);
  if (!complete) {
    Release();
    looked = -1;  // this context cannot: draw straight into the window from now on
    return false;
  }
  layerW = width, layerH = height;
  return true;
}
}  // namespace

bool BeginLayer(int width, int height) {
  if (width < 1 || height < 1 || !LookUp()) return false;
  if ((width != layerW || height != layerH) && !Make(width, height)) return false;
  procs.bind(GL_FRAMEBUFFER, framebuffer);
  glViewport(0, 0, width, height);
  GLfloat clear[4];
  glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
  glClearColor(0, 0, 0, 0);
  glClear(GL_COLOR_BUFFER_BIT);
  glClearColor(clear[0], clear[1], clear[2], clear[3]);
  // Colour over colour as in the window, but the layer's alpha must add up as coverage.
  procs.blendSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
  return true;
}

void EndLayer() {
  procs.bind(GL_FRAMEBUFFER, 0);
  glViewport(0, 0, clientWidth, clientHeight);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

uint32_t LayerTexture() { return texture; }

void ForgetLayer() {
  framebuffer = texture = 0;
  layerW = layerH = 0;
  looked = 0;
}
