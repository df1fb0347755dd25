#include <GL/gl.h>

#include <SDL.h>

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
  for (double v : proj) EXPECT_TRUE(std::isfinite(v));
}

TEST(WindowProc, AKeyHeldThroughFocusLossStaysDownUntilReleased) {
  auto send = [](Uint32 type, Uint8 windowEvent) {
    SDL_Event e = {};
    e.type = type;
    e.window.event = windowEvent;
    if (type != SDL_WINDOWEVENT) e.key.keysym.scancode = SDL_SCANCODE_A;
    MainWindowProc(e);
  };
  send(SDL_KEYDOWN, 0);
  EXPECT_EQ(keyDown[0x41], 1);
  send(SDL_WINDOWEVENT, SDL_WINDOWEVENT_FOCUS_LOST);
  send(SDL_WINDOWEVENT, SDL_WINDOWEVENT_MINIMIZED);
  EXPECT_EQ(windowActive, 0);
  EXPECT_EQ(keyDown[0x41], 1);
  send(SDL_KEYUP, 0);
  EXPECT_EQ(keyDown[0x41], 0);
  windowActive = 1;
}
