#include <GL/gl.h>
#include <SDL.h>

#include <algorithm>
#include <cmath>

#include "platform/window.h"
#include "rig/rig.h"

TEST_F(GlTest, ResizeViewTreatsZeroHeightAsOne) {
  ResizeView(200, 0);
  GLint vp[4];
  glGetIntegerv(GL_VIEWPORT, vp);
  EXPECT_TRUE(vp[2] == 200 && vp[3] == 1) << vp[2] << "x" << vp[3];
  GLdouble proj[16];
  glGetDoublev(GL_PROJECTION_MATRIX, proj);
  EXPECT_TRUE(std::all_of(proj, proj + 16, [](double v) { return std::isfinite(v); }));
}

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
