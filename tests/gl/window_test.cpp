#include <GL/gl.h>

#include <cmath>

#include "app/window/window.h"
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
