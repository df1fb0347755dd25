#include <GL/gl.h>

#include <SDL.h>

#include <cmath>

#include "platform/window.h"
#include "rig/rig.h"

TEST_F(GlTest, ResizeViewTreatsZeroHeightAsOne) {
  ResizeView(200, 0);
  GLint vp[4];
  glGetIntegerv(GL_VIEWPORT, vp);
  EXPECT_EQ(vp[2], 200);
  EXPECT_EQ(vp[3], 1);
  GLdouble proj[16];
  glGetDoublev(GL_PROJECTION_MATRIX, proj);
  for (double v : proj) EXPECT_TRUE(std::isfinite(v));
}

TEST(WindowProc, AKeyHeldThroughFocusLossStaysDownUntilReleased) {
  SDL_Event e = {};
  e.type = SDL_KEYDOWN;
  e.key.keysym.scancode = SDL_SCANCODE_A;
  MainWindowProc(e);
  EXPECT_EQ(keyDown[0x41], 1);
  SDL_Event away = {};
  away.type = SDL_WINDOWEVENT;
  for (Uint8 what : {SDL_WINDOWEVENT_FOCUS_LOST, SDL_WINDOWEVENT_MINIMIZED}) {
    away.window.event = what;
    MainWindowProc(away);
  }
  EXPECT_EQ(windowActive, 0);
  EXPECT_EQ(keyDown[0x41], 1);
  e.type = SDL_KEYUP;
  MainWindowProc(e);
  EXPECT_EQ(keyDown[0x41], 0);
  windowActive = 1;
}
