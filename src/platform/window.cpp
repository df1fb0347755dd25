#include "platform/window.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "base/files.h"
#include "platform/message.h"

uint8_t keyDown[256];
uint8_t mouseLeftDown = 0, mouseRightDown = 0;
uint8_t keyPressed[256];
uint8_t mouseLeftPressed = 0, mouseRightPressed = 0;
double mouseX = 0, mouseY = 0;
uint8_t windowActive = 1;
uint8_t quitRequested = 0;
uint8_t fullscreenActive = 0;
int clientWidth = 1024, clientHeight = 768;
uint8_t frameDrawn = 1;
uint8_t redrawRequested = 1;

static SDL_Window *mainWindow = nullptr;
static SDL_GLContext renderContext = nullptr;
static bool videoStarted = false;

// Test hook: a window-creation step that should fail, for the failure-path tests.
int failWindowStep = 0;

std::string windowIconFile;

SDL_Surface *LoadWindowIcon(const std::string &path) {
  // The size is checked before SDL sees the file: a damaged header must not reserve gigabytes.
  constexpr int kLargest = 512;
  std::error_code ec;
  const auto bytes = path.empty() ? 0 : std::filesystem::file_size(path, ec);
  std::vector<uint8_t> file;
  if (ec || bytes < 26 || bytes > 4 * kLargest * kLargest + 1024 || !ReadFileBytes(path, file)) return nullptr;
  const int32_t w = GetI32(&file[18]), h = GetI32(&file[22]);
  if (file[0] != 'B' || file[1] != 'M' || w < 1 || w > kLargest || h == 0 || h < -kLargest || h > kLargest)
    return nullptr;
  return SDL_LoadBMP_RW(SDL_RWFromConstMem(file.data(), static_cast<int>(file.size())), 1);
}

static void SetWindowIcon(SDL_Window *window) {
  if (SDL_Surface *icon = LoadWindowIcon(windowIconFile)) {
    SDL_SetWindowIcon(window, icon);
    SDL_FreeSurface(icon);
  }
}

static void TearDownWindow() { DestroyMainWindow(); }

// Why the last window could not be made; "" when it was, or when the player chose to close.
static std::string windowFailure;

// SDL's reason is taken before the teardown's own calls can replace it.
static bool CreationFailed(const char *message, MessageIcon icon = MB_ICONEXCLAMATION) {
  const std::string reason = failWindowStep ? "made to fail by a test" : SDL_GetError();
  windowFailure = std::string(message) + (reason.empty() ? "" : " (" + reason + ")");
  TearDownWindow();
  ShowFailure(message, "Error", icon, reason);
  return false;
}

const char *WindowFailure() { return windowFailure.c_str(); }

namespace {
// Settings for Mesa's software renderer, where the machine has no GPU driver. A GPU's driver
// ignores the thread count; the heap's setting only keeps what the process freed.
void TuneSoftwareRenderer() {
#ifdef __GLIBC__
  // It takes and frees blocks of a megabyte every frame (its vertices, its bins). glibc would
  // give the freed top of the heap back to the system each time and fault the pages in again:
  // a thousand page faults a frame in a crowd. The heap keeps them instead.
  mallopt(M_TRIM_THRESHOLD, 64 << 20);
#endif
  // Its default is a drawing thread per core. Twice as many keep a frame's tail short when
  // another process takes a core for a moment: a crowd's worst frames came down by a sixth,
  // its typical ones no slower. A player's own setting stands.
  const std::string threads = std::to_string(std::min(16, 2 * std::max(1, SDL_GetCPUCount())));
  setenv("LP_NUM_THREADS", threads.c_str(), 0);
}
}  // namespace

bool CreateMainWindow(const char *title, int width, int height, int bits, bool fullscreenWanted) {
  fullscreenActive = fullscreenWanted;
  windowFailure.clear();
  TuneSoftwareRenderer();
  if (failWindowStep == 1 || SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
    return CreationFailed("Failed To Register The Window Class.", MB_ICONSTOP);
  videoStarted = true;
  SDL_StopTextInput();

  if (fullscreenActive) {
    SDL_DisplayMode want = {};
    want.w = width;
    want.h = height;
    want.format = bits >= 24 ? SDL_PIXELFORMAT_RGB888 : SDL_PIXELFORMAT_RGB565;
    SDL_DisplayMode got;
    bool supported = failWindowStep != 2 && SDL_GetClosestDisplayMode(0, &want, &got) != nullptr && got.w == width &&
                     got.h == height;
    if (!supported) {
      // Yes keeps the game going: the answer when nobody can be asked.
      if (AskYesNo("This FullScreen Mode Is Not Supported. Use Windowed Mode Instead?", "GL Window", true)) {
        fullscreenActive = 0;
      } else {
        ShowMessage("Program Will Now Close.", "Error", MB_ICONSTOP);
        fullscreenActive = 0;
        TearDownWindow();
        return false;
      }
    }
  }

  // Pixel format: double-buffered RGBA with 16 depth bits and 1 stencil bit (shadows need it).
  SDL_GL_ResetAttributes();
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  int channel = bits >= 24 ? 8 : 5;
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, channel);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, channel);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, channel);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 1);

  Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN;
  flags |= fullscreenActive ? (SDL_WINDOW_FULLSCREEN | SDL_WINDOW_BORDERLESS) : SDL_WINDOW_RESIZABLE;
  mainWindow = failWindowStep == 3
                   ? nullptr
                   : SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height, flags);
  if (!mainWindow) return CreationFailed("Window creation error.");
  SetWindowIcon(mainWindow);
  if (fullscreenActive) {
    SDL_DisplayMode mode;
    if (SDL_GetWindowDisplayMode(mainWindow, &mode) == 0) {
      mode.w = width;
      mode.h = height;
      SDL_SetWindowDisplayMode(mainWindow, &mode);
    }
    SDL_ShowCursor(SDL_DISABLE);
  }

  renderContext = failWindowStep == 4 ? nullptr : SDL_GL_CreateContext(mainWindow);
  if (!renderContext) return CreationFailed("Cant't create a GL rendering context.");
  if (failWindowStep == 5 || SDL_GL_MakeCurrent(mainWindow, renderContext) != 0)
    return CreationFailed("Cant't activate the GL rendering context.");
  SDL_GL_SetSwapInterval(0);  // pacing is ours; fails harmlessly under Xvfb

  SDL_RaiseWindow(mainWindow);
  int w = width, h = height;
  SDL_GL_GetDrawableSize(mainWindow, &w, &h);
  ResizeView(w, h);
  if (!InitGLState()) return CreationFailed("initialization failed.");
  windowActive = 1;
  return true;
}

void DestroyMainWindow() {
  if (fullscreenActive) {
    if (mainWindow) SDL_SetWindowFullscreen(mainWindow, 0);
    SDL_ShowCursor(SDL_ENABLE);
  }
  if (renderContext) {
    if (SDL_GL_MakeCurrent(mainWindow, nullptr) != 0)
      ShowMessage("Release of DC and RC failed.", " Shutdown Error", MB_ICONSTOP);
    SDL_GL_DeleteContext(renderContext);
    renderContext = nullptr;
    ForgetLayer();
  }
  if (mainWindow) {
    SDL_DestroyWindow(mainWindow);
    mainWindow = nullptr;
  }
  if (videoStarted) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    videoStarted = false;
  }
  fullscreenActive = 0;
}

void ResizeView(int width, int height) {
  if (height == 0) height = 1;
  clientWidth = width;
  clientHeight = height;
  glViewport(0, 0, width, height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(45.0, static_cast<double>(width) / height, 0.1, 20.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

bool InitGLState() {
  glShadeModel(GL_SMOOTH);
  glClearColor(1, 1, 1, 0);
  glClearDepth(1.0);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_LINE_SMOOTH);
  glEnable(GL_POINT_SMOOTH);
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glLineWidth(3.0f);
  glDepthFunc(GL_LEQUAL);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  return true;
}

void SwapMainWindow() {
  if (mainWindow) SDL_GL_SwapWindow(mainWindow);
}
