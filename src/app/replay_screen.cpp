// A replay played in the window: the recorded frames given to the rules at the pace they were
// recorded, the world drawn as in the game, a banner saying it is a replay, and the end screen.
#include <GL/gl.h>

#include "app/game.h"
#include "app/replay.h"
#include "app/screenloop.h"
#include "audio/sound.h"
#include "base/files.h"
#include "game/frame.h"
#include "game/load.h"
#include "game/rules_version.h"
#include "game/runner.h"
#include "persist/options.h"
#include "platform/message.h"
#include "platform/window.h"
#include "render/text.h"
#include "view/view.h"

namespace {
constexpr uint8_t KEY_FAST = 'F';
// Frames one pass may catch up on: a slow machine slows the replay rather than skipping ahead.
constexpr int MOST_FRAMES_A_PASS = 4;

struct {
  int32_t done;
  const treplay *replay;
  size_t next;  // the next frame to play
  double owed;  // seconds of recorded time the clock has run ahead of the frames played
  bool fast;
  tframeresult result;
} watch;

// The first frames of a pass play undrawn; only the last one's picture is seen.
const tframehooks undrawnHooks = {DayTransition, nullptr, nullptr, nullptr};

void DrawReplayBanner() {
  glLoadIdentity();
  glTranslated(0, 0, -9);
  glDisable(GL_TEXTURE_2D);
  // Over the ground, which is black: the banner brings its own light backing.
  FillRect({-3, -3.15}, {3, -3.6}, {0.85, 0.85, 0.9});
  Panel({-3, -3.15}, {3, -3.6});
  DrawText(watch.fast ? "replay x2    f  normal speed    esc  leave" : "replay    f  double speed    esc  leave",
           {0, -3.375}, true);
}

void WatchInit() {
  watch.next = 0;
  watch.owed = 0;
  watch.result = {};
  keyPressed[KEY_FAST] = 0;
}

bool WatchFrame() {
  if (keyPressed[KEY_FAST]) watch.fast = !watch.fast;
  for (uint8_t &k : keyPressed) k = 0;  // no game reads them here; a replay's own input plays
  mouseLeftPressed = mouseRightPressed = 0;
  if (keyDown[27]) {
    keyDown[27] = 0;  // the screen underneath must not take the same Escape
    return false;
  }
  const std::vector<tframeinput> &frames = watch.replay->frames;
  if (watch.next >= frames.size() || watch.result.ended) return false;
  // Paced by the recorded frame times: each frame plays once the clock has run half of it.
  watch.owed += GetFrameTime() * (watch.fast ? 2.0 : 1.0);
  size_t count = 0;
  double due = watch.owed;
  while (watch.next + count < frames.size() && count < MOST_FRAMES_A_PASS &&
         due >= frames[watch.next + count].frameTime / 2)
    due -= frames[watch.next + count++].frameTime;
  if (count == 0) {
    frameDrawn = 0;  // nothing moved: the last picture stays up
    return true;
  }
  glClear(GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);  // as the game's frame: one plain fill
  for (size_t i = 0; i < count && !watch.result.ended; ++i) {
    glLoadIdentity();
    const tframeinput &in = frames[watch.next++];
    watch.owed -= in.frameTime;
    HandViewToRules();
    watch.result = GameFrame(in, i + 1 == count ? windowHooks : undrawnHooks);
  }
  if (watch.next >= frames.size() || watch.result.ended) watch.owed = 0;
  DrawReplayBanner();
  if (watch.result.ended) {
    GameEndScreen(watch.result.won, false);
    return false;
  }
  return true;
}
}  // namespace

bool ReadReplayFile(const std::string &path, treplay &replay, std::string &why) {
  treplay read;
  std::string note;
  if (!LoadReplay(path, read, note)) {
    why = note;
    return false;
  }
  std::string refusal = RulesRefusal(read.rulesVersion);
  if (refusal.empty() && read.dataChecksum != GameDataChecksum()) refusal = "it was recorded with other game data";
  if (!refusal.empty()) {
    why = "the replay \"" + PrintableText(path) + "\" cannot be played: " + refusal;
    return false;
  }
  replay = std::move(read);
  return true;
}

size_t WatchReplay(const treplay &replay) {
  if (!PrepareGameData()) return 0;
  // The hints are drawn only, but the replay shows what the player saw.
  const uint8_t tutorial = Options.tutorial;
  Options.tutorial = replay.tutorial;
  watch.replay = &replay;
  watch.fast = false;
  watch.result = {};
  SetupReplayGame(replay, windowHooks);
  if (!quitRequested) ScreenLoop(watch.done, WatchInit, WatchFrame, true, "replay");
  Options.tutorial = tutorial;
  watch.replay = nullptr;
  StopAllSounds();
  return watch.next;
}

void WatchReplayFile(const std::string &path) {
  treplay replay;
  std::string why;
  if (ReadReplayFile(path, replay, why))
    WatchReplay(replay);
  else
    ShowMessage(why + ".", "Replay", MB_ICONEXCLAMATION);
}
