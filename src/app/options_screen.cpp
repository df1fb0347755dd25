// The options screen: a working copy of the options, edited with the widgets, made live by
// "apply"; and the key-capture prompt behind the five key buttons.
#include <GL/gl.h>
#include <SDL.h>

#include <string>

#include "app/key_names.h"
#include "app/screen_parts.h"
#include "app/screenloop.h"
#include "app/screens.h"
#include "app/world_scores.h"
#include "game/camera.h"
#include "persist/options.h"
#include "platform/events.h"
#include "platform/window.h"
#include "render/text.h"

namespace {
constexpr uint8_t KEY_ESCAPE = 27;

struct {
  int32_t done;
  toptions working;
  std::string widthText, heightText, depthText;
  bool worldScores;  // taking part, as the box shows it until "apply"
} optionsScreen;

void OptionsInit() {
  CameraPos = {0, 0};
  optionsScreen.working = Options;
  optionsScreen.widthText = std::to_string(Options.screenWidth);
  optionsScreen.heightText = std::to_string(Options.screenHeight);
  optionsScreen.depthText = std::to_string(Options.colourDepth);
  optionsScreen.worldScores = WorldScoresOn();
}

// The first key down other than Escape, lowest code first; 0 when none.
uint8_t FirstKeyDown() {
  for (int k = 0; k < 256; ++k)
    if (keyDown[k] && k != KEY_ESCAPE) return static_cast<uint8_t>(k);
  return 0;
}

// Shows the prompt over the frame drawn so far and waits (sleeping in the event queue) for a key.
// Returns false when cancelled by Escape or by the program closing.
bool CaptureKey(uint8_t &key) {
  FillRect({-1.5, 0.2}, {1.5, -0.2}, {0.8, 0, 0});
  Panel({-1.5, 0.2}, {1.5, -0.2});
  // Raised a little from the centre so the two lines do not overlap.
  DrawText("press a key", {0, 0.1}, true);
  DrawText("escape to cancel", {0, -0.1}, true);
  glFlush();
  if (screenPassHook) screenPassHook();
  SwapMainWindow();
  for (;;) {
    // Keys already held count, so look before waiting.
    if (uint8_t k = FirstKeyDown()) {
      key = k;
      return true;
    }
    if (keyDown[KEY_ESCAPE] || quitRequested) return false;
    SDL_Event e;
    if (!SDL_WaitEvent(&e)) return false;
    if (IsQuitEvent(e))
      optionsScreen.done = -1;
    else
      MainWindowProc(e);
  }
}

void CheckBox(tvector a, tvector b, bool filled) {
  if (filled) FillRect(a, b, {0, 0, 0});
  glColor4d(0, 0, 0, 0.5);
  FrameRect(a, b);
}

void Toggle(uint8_t &flag) { flag = flag ? 0 : 1; }

// A non-empty field replaces the value; an empty one keeps it.
void TakeNumber(const std::string &text, int32_t &value) {
  if (!text.empty()) value = std::stoi(text);
}

// Returns the binding to capture when its button was clicked (the capture waits until the whole
// screen is drawn behind its prompt).
uint8_t *KeyButton(const char *caption, tvector p, uint8_t &binding) {
  uint8_t *clicked = Button(caption, p, CursorPos, 1.0) ? &binding : nullptr;
  // What is bound, beside the button, so the player can see it without pressing anything.
  double right = p.x + std::string(caption).size() * 0.07 + 0.08;
  glTranslated(right, p.y, 0);
  glScaled(0.75, 0.75, 1);
  DrawText(KeyName(binding), {0, 0}, false);
  glScaled(1 / 0.75, 1 / 0.75, 1);
  glTranslated(-right, -p.y, 0);
  return clicked;
}

// Makes the working copy live in a new window and saves it. When no window can be made with it,
// the old settings come back with their window: a game without a window could not even be quit.
void Apply() {
  if (optionsScreen.worldScores != WorldScoresOn()) ChooseWorldScores(optionsScreen.worldScores);
  toptions previous = Options;
  Options = optionsScreen.working;
  if (RecreateWindow()) {
    SaveOptions();
    return;
  }
  Options = previous;
  if (!RecreateWindow()) quitRequested = 1;
}

bool OptionsFrame() {
  toptions &w = optionsScreen.working;
  MenuFramePrelude();
  TitlePanel(2.5, "options");
  Panel({-2.5, 1.4}, {2.5, -1.6});

  CheckBox({-2.2, 0.85}, {-2.05, 1.0}, w.fullScreen != 0);
  if (Button("fullscreen", {-1.3, 0.95}, CursorPos, 1.0)) Toggle(w.fullScreen);
  DrawText("bit depth", {1.05, 0.95}, true);
  TextField(optionsScreen.depthText, {1.8, 0.85}, 2, true);
  TakeNumber(optionsScreen.depthText, w.colourDepth);
  DrawText("screen x", {-0.9, 0.65}, true);
  TextField(optionsScreen.widthText, {-2.2, 0.55}, 4, true);
  TakeNumber(optionsScreen.widthText, w.screenWidth);
  DrawText("screen y", {0.75, 0.65}, true);
  TextField(optionsScreen.heightText, {1.5, 0.55}, 4, true);
  TakeNumber(optionsScreen.heightText, w.screenHeight);

  DrawText("sound", {-0.9, 0.35}, true);
  Slider(w.soundVolume, {-2.15, 0.25}, 0.0, 1.0, 0.5);
  DrawText("music", {0.9, 0.35}, true);
  Slider(w.musicVolume, {1.35, 0.25}, 0.0, 1.0, 0.5);

  // These boxes are filled while the effect is on, that is while its "off" byte is zero.
  CheckBox({-2.2, -0.05}, {-2.05, 0.1}, w.particlesOff == 0);
  if (Button("particles", {-1.4, 0.05}, CursorPos, 1.0)) Toggle(w.particlesOff);
  CheckBox({2.2, -0.05}, {2.05, 0.1}, w.shadowsOff == 0);
  if (Button("shadows", {1.4, 0.05}, CursorPos, 1.0)) Toggle(w.shadowsOff);

  // Taking part needs a server's address: the settings file's, or --server's.
  const std::string host = WorldServerHost();
  CheckBox({-2.2, -0.3}, {-2.05, -0.15}, optionsScreen.worldScores);
  if (Button("world scores", {-1.15, -0.225}, CursorPos, 1.0) && !host.empty())
    optionsScreen.worldScores = !optionsScreen.worldScores;
  DrawText(host.empty() ? "no server set" : host, {1.2, -0.225}, true);

  DrawText("controls", {0, -0.5}, true);
  Panel({-2.2, -0.6}, {2.2, -1.25});
  // One press clicks one button, so at most one of these is set.
  uint8_t *capture = nullptr;
  for (uint8_t *b : {KeyButton("left", {-1.0, -0.75}, w.keyLeft), KeyButton("right", {1.0, -0.75}, w.keyRight),
                     KeyButton("jump", {0, -0.9}, w.keyJump), KeyButton("change", {-1.0, -1.05}, w.keyChange),
                     KeyButton("use", {1.0, -1.05}, w.keyUse)})
    if (b) capture = b;

  if (Button("apply", {-0.75, -1.4}, CursorPos, 2.0)) {
    Apply();
    // What this frame drew went to the old window; the next frame draws the new one whole.
    frameDrawn = 0;
    return true;
  }
  if (Button("back", {0.75, -1.4}, CursorPos, 2.0)) optionsScreen.done = -1;
  uint8_t key;
  if (capture && CaptureKey(key)) *capture = key;
  DrawCursor(CursorPos);
  return true;
}
}  // namespace

void OptionsScreen() {
  ScreenLoop(optionsScreen.done, OptionsInit, OptionsFrame, true, "options");
  optionsScreen.widthText.clear();
  optionsScreen.heightText.clear();
  optionsScreen.depthText.clear();
}
