// The game frame's input as the window's events build it, played through the rules headless: a
// button pressed and let go between two frames (a touchpad tap) is a press the game acts on once.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "game/objects.h"
#include "game/runner.h"
#include "game/state.h"
#include "platform/window.h"
#include "rig/play.h"

namespace {
void PushButton(int button, bool down) {
  SDL_Event e = {};
  e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
  e.button.button = static_cast<Uint8>(button);
  MainWindowProc(e);
}

void PushKey(SDL_Scancode key, bool down) {
  SDL_Event e = {};
  e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  e.key.keysym.scancode = key;
  MainWindowProc(e);
}
}  // namespace

TEST(FrameInput, ATapBetweenTwoFramesFiresOneShotThrowsOneGrenadeOrJumps) {
  const struct {
    const char *what;
    void (*tap)(bool down);
    int shots, grenades;
    bool jumps;
  } cases[] = {{"the left button", [](bool down) { PushButton(SDL_BUTTON_LEFT, down); }, 1, 0, false},
               {"the right button", [](bool down) { PushButton(SDL_BUTTON_RIGHT, down); }, 0, 1, false},
               {"the jump key", [](bool down) { PushKey(SDL_SCANCODE_W, down); }, 0, 0, true}};
  uint8_t keys[ACTION_COUNT] = {};
  keys[2] = 'W';  // the jump's bit
  for (const auto &c : cases) {
    SCOPED_TRACE(c.what);
    Play game;
    game.wait(1);
    mouseX = clientWidth * 0.75, mouseY = clientHeight * 0.5;  // aiming right, level
    Player.grenades = 3;
    const int clip = Player.weaponSlots[Player.activeSlot].clip;
    const double ground = Player.body.pos.y;
    double top = ground;
    c.tap(true), c.tap(false);
    for (int i = 0; i < 40; ++i) {
      StepHeadlessGame(ReadFrameInput(0.015, keys));
      EXPECT_EQ(mouseLeftDown + mouseRightDown + keyDown[int{'W'}], 0) << "the tap was let go after one frame";
      top = std::max(top, Player.body.pos.y);
    }
    EXPECT_EQ(clip - Player.weaponSlots[Player.activeSlot].clip, c.shots);
    EXPECT_EQ(3 - Player.grenades, c.grenades);
    EXPECT_EQ(grenadeList.size(), size_t(c.grenades));
    EXPECT_EQ(top - ground > 0.2, c.jumps);
  }
}

// Held across frames, a button still fires as long as it is down: the tap's latch holds only a
// release that came before any frame saw the press.
TEST(FrameInput, AButtonHeldStaysDownUntilItsRelease) {
  const uint8_t noKeys[ACTION_COUNT] = {};
  PushButton(SDL_BUTTON_LEFT, true);
  const tframeinput first = ReadFrameInput(0.015, noKeys), second = ReadFrameInput(0.015, noKeys);
  PushButton(SDL_BUTTON_LEFT, false);
  const tframeinput released = ReadFrameInput(0.015, noKeys);
  EXPECT_EQ(first.held & first.pressed & ACTION_FIRE, ACTION_FIRE);
  EXPECT_EQ(second.held & ACTION_FIRE, ACTION_FIRE);
  EXPECT_EQ(second.pressed & ACTION_FIRE, 0);
  EXPECT_EQ(released.held & ACTION_FIRE, 0);
}
