#include "app/screenloop.h"

#include <GL/gl.h>
#include <SDL.h>

#include "platform/events.h"
#include "platform/window.h"

void (*screenPassHook)() = nullptr;

void ScreenLoop(int32_t &done, void (*init)(), bool (*frame)()) {
  done = 0;
  if (init) init();
  while (done == 0) {
    SDL_Event e;
    if (SDL_PollEvent(&e)) {
      // One message per pass; a frame is drawn only when the queue is empty.
      if (IsQuitEvent(e))
        done = -1;
      else
        MainWindowProc(e);
      continue;
    }
    frameDrawn = 1;
    if (windowActive && !frame()) {
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
  // The screen underneath must draw again: the back buffer holds this one's picture.
  redrawRequested = 1;
}
