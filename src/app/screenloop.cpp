#include "app/screenloop.h"

#include <GL/gl.h>
#include <SDL.h>

#include "platform/events.h"
#include "platform/pad.h"
#include "platform/window.h"

void (*screenPassHook)() = nullptr;
const char *screenShown = "";

namespace {
// True when our quit event came.
bool HandleQueuedEvents() {
  // Everything queued by one pump, then a frame: a stick sends events all the time it moves, and
  // taking them one a pass (or until the queue ran dry) would never leave a pass to draw in.
  SDL_PumpEvents();
  SDL_Event e;
  while (SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) {
    // The rest stays queued for the loop outside this one.
    if (IsQuitEvent(e)) return true;
    MainWindowProc(e);
  }
  return false;
}
}  // namespace

void ScreenLoop(int32_t &done, void (*init)(), bool (*frame)(), bool menu, const char *name) {
  const bool outerMenu = padInMenu != 0;
  const char *outerName = screenShown;
  screenShown = name;
  SetPadInMenu(menu);
  done = 0;
  if (init) init();
  while (done == 0) {
    if (HandleQueuedEvents()) {
      done = -1;
      break;
    }
    // The last frame's time moves the pointer: this one's is known only inside the frame.
    if (menu) MovePointerByPad(frameTime);
    frameDrawn = 1;
    const bool framed = windowActive != 0, goOn = !framed || frame();
    if (framed) FrameInputSeen();
    if (!goOn) {
      done = -1;
    } else if (quitRequested) {
      done = -1;
    } else {
      glFlush();
      if (screenPassHook) screenPassHook();
      if (windowActive) {
        if (frameDrawn) SwapMainWindow();
      } else {
        // Minimised: nothing to draw, so sleep until something happens instead of spinning.
        SDL_WaitEventTimeout(nullptr, 100);
      }
    }
  }
  SetPadInMenu(outerMenu);
  screenShown = outerName;
  // The screen underneath must draw again: the back buffer holds this one's picture.
  redrawRequested = 1;
}
