#include <SDL.h>

#include "platform/window.h"
#include "rig/rig.h"

TEST(WindowProc, AKeyHeldThroughFocusLossStaysDownUntilReleased) {
  SDL_Event down{SDL_KEYDOWN}, focus{SDL_WINDOWEVENT}, minimised{SDL_WINDOWEVENT}, up{SDL_KEYUP};
  down.key.keysym.scancode = up.key.keysym.scancode = SDL_SCANCODE_A;
  focus.window.event = SDL_WINDOWEVENT_FOCUS_LOST, minimised.window.event = SDL_WINDOWEVENT_MINIMIZED;
  MainWindowProc(down);
  EXPECT_EQ(keyDown[0x41], 1);
  MainWindowProc(focus);
  MainWindowProc(minimised);
  EXPECT_TRUE(windowActive == 0 && keyDown[0x41] == 1);
  MainWindowProc(up);
  EXPECT_EQ(keyDown[0x41], 0);
  windowActive = 1;
}
