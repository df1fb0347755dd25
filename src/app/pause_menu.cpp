#include <GL/gl.h>

#include "app/game.h"
#include "app/screenloop.h"
#include "platform/window.h"
#include "render/text.h"
#include "view/view.h"

namespace {
int32_t done = 0;
bool mainMenuChosen = false;

void Init() { mainMenuChosen = false; }

bool Frame() {
  frameTime = GetFrameTime();
  CursorPos = MouseToWorld(mouseX, mouseY);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);  // one plain fill, as GameStep's
  RenderWorld();  // the game as it stood, from its own camera
  glLoadIdentity();
  glTranslated(0, 0, -9);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
  glColor4d(0.4, 0.4, 0.6, 0.85);
  const double w = ScreenHalfWidth();  // the whole window, whatever its shape
  glBegin(GL_QUADS);
  glVertex3d(-w, 3.75, 0);
  glVertex3d(-w, -3.75, 0);
  glVertex3d(w, -3.75, 0);
  glVertex3d(w, 3.75, 0);
  glEnd();
  if (mouseLeftDown) LastClickPos = CursorPos;
  Panel({-2, 2}, {2, 3});
  glScaled(4, 4, 1);
  DrawText("paused", {0, 0.625}, true);
  glScaled(0.25, 0.25, 1);
  Panel({2, -0.3}, {-2, 1.4});
  if (Button("resume", {0, 1.0}, CursorPos, 2.0)) done = -1;
  if (keyDown[27]) {  // a second Escape resumes; the game step consumed the first
    done = -1;
    keyDown[27] = 0;
  }
  if (Button("main menu", {0, 0.4}, CursorPos, 2.0)) {
    mainMenuChosen = true;
    done = -1;
  }
  if (Button("quit", {0, 0.1}, CursorPos, 2.0)) quitRequested = 1;
  DrawCursor(CursorPos);
  return true;
}
}  // namespace

bool PauseMenu() {
  ScreenLoop(done, Init, Frame, true, "pause menu");
  return mainMenuChosen;
}
