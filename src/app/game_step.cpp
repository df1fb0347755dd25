#include <GL/gl.h>

#include "app/game.h"
#include "app/replay.h"
#include "game/frame.h"
#include "game/state.h"
#include "persist/options.h"
#include "platform/window.h"
#include "view/view.h"

namespace {
// The world as the game's frame poses it, in the GL state the drawing expects.
void DrawGameWorld() {
  glDisable(GL_DEPTH_TEST);
  glEnable(GL_TEXTURE_2D);
  glLineWidth(3.0);
  RenderWorld();
}

void DrawMovedGrenades() {
  ApplyCamera();
  DrawGrenades();
}
}  // namespace

const tframehooks windowHooks = {DayTransition, DrawGameWorld, DrawMovedGrenades, DrawNewFlashes};

tframeinput WindowFrameInput() {
  // The key of each action bit, in bit order; the buttons need none.
  const uint8_t keys[ACTION_COUNT] = {
      Options.keyLeft, Options.keyRight, Options.keyJump, Options.keyChange, Options.keyUse, 0, 0, 27, 45};
  return ReadFrameInput(GetFrameTime(Game.timeScale), keys);
}

bool GameStep() {
  // With the stencil, which the world does not use: the two share each pixel's word, and
  // clearing depth alone rewrites every word keeping its stencil bits, several times the cost of
  // the plain fill (at full HD a sixth of a frame on a software renderer).
  glClear(GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  glLoadIdentity();
  tframeinput in = WindowFrameInput();
  RecordFrame(in);
  HandViewToRules();
  const tframeresult r = GameFrame(in, windowHooks);
  bool result = true;
  if (r.ended) {
    // Written before the end screen: the entries made there link to it.
    const std::string replay = FinishRecording();
    GameEndScreen(r.won, true, replay);
    result = false;
  }
  if (r.pause) {
    keyDown[27] = 0;  // the pause menu resumes on a second Escape, not on this one
    if (PauseMenu()) result = false;
  }
  return result;
}
