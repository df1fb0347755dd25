#include "app/lifecycle.h"

#include <GL/gl.h>
#include <SDL.h>
#include <unistd.h>

#include <climits>

#include "actors/models.h"
#include "audio/sound.h"
#include "base/files.h"
#include "app/game.h"
#include "app/screenloop.h"
#include "app/screens.h"
#include "platform/window.h"
#include "game/camera.h"
#include "view/load.h"
#include "persist/options.h"
#include "persist/scores.h"
#include "render/text.h"

static int32_t mainMenuDone = 0;

static void MainMenuInit() { CameraPos = {0, 0}; }

// The screen drew its own frames over this one, perhaps in another window: the rest of this frame
// is not shown, and the next pass draws the menu whole.
static void OpenScreen(void (*screen)()) {
  screen();
  frameDrawn = 0;
}

static bool MainMenuFrame() {
  if (MenuPictureUnchanged(reinterpret_cast<const void *>(MainMenuFrame))) return true;
  MenuFramePrelude();
  Panel({-3, 2}, {3, 3});
  glScaled(4, 4, 1);
  DrawText("red siege", {0, 0.625}, true);
  glScaled(0.25, 0.25, 1);
  Panel({2, -1.1}, {-2, 1.4});
  if (Button("Begin", {0, 1.0}, CursorPos, 2.0)) OpenScreen(GameTypeMenu);
  if (Button("Instructions", {0, 0.5}, CursorPos, 2.0)) OpenScreen(InstructionsScreen);
  if (Button("Options", {0, 0.2}, CursorPos, 2.0)) OpenScreen(OptionsScreen);
  if (Button("High Scores", {0, -0.1}, CursorPos, 2.0)) OpenScreen(HighScoreScreen);
  if (Button("Credits", {0, -0.4}, CursorPos, 2.0)) OpenScreen(CreditsScreen);
  if (Button("quit", {0, -0.7}, CursorPos, 2.0)) quitRequested = 1;
  DrawCursor(CursorPos);
  return true;
}

void RunMainMenu() { ScreenLoop(mainMenuDone, MainMenuInit, MainMenuFrame); }

int RunProgram() {
  MaskFloatExceptions();
  SeedFromEnvironment();
  char cwd[PATH_MAX];
  baseDirectory = getcwd(cwd, sizeof cwd) ? cwd : ".";
  quitRequested = 0;
  windowActive = 1;
  LoadOptions();
  LoadScores();
  InitSound();
  soundListener = &CameraPos;
  weaponSoundHooks = {LoadSoundFile, ReleaseSoundBuffer};

  fullscreenActive = 0;
  if (CreateMainWindow("OpenGL Window", Options.screenWidth, Options.screenHeight, Options.colourDepth,
                       Options.fullScreen != 0)) {
    LoadGameData();
    RunMainMenu();
    DestroyMainWindow();
    ForgetContextObjects();
  }
  ShutdownSound();
  weaponSoundHooks = {nullptr, nullptr};
  ReleaseGameData();
  SDL_Quit();
  return 0;
}
