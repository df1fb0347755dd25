#include "app/screens.h"
#include "persist/options.h"
#include "platform/window.h"
#include "view/load.h"
#include "world/terrain.h"

bool RecreateWindow() {
  DestroyMainWindow();
  // The old context took its textures and display lists with it.
  ForgetContextObjects();
  bool created = CreateMainWindow(kWindowTitle, Options.screenWidth, Options.screenHeight, Options.colourDepth,
                                  Options.fullScreen != 0);
  if (!created) return false;  // no context to load anything into
  LoadGameTextures();
  buildtilelists();
  buildskyline();
  return true;
}
