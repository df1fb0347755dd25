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

// Frames of the game with the input the window's state gives each one.
void PlayFrames(int frames) {
  const uint8_t noKeys[ACTION_COUNT] = {};
  for (int i = 0; i < frames; ++i) StepHeadlessGame(ReadFrameInput(0.015, noKeys));
}
}  // namespace

TEST(FrameInput, ATapBetweenTwoFramesFiresOneShotOrThrowsOneGrenade) {
  const struct {
    int button;
    const char *what;
  } cases[] = {{SDL_BUTTON_LEFT, "a shot"}, {SDL_BUTTON_RIGHT, "a grenade"}};
  for (const auto &c : cases) {
    Play game;
    game.wait(1);
    mouseX = clientWidth * 0.75, mouseY = clientHeight * 0.5;  // aiming right, level
    PlayFrames(2);
    Player.grenades = 3;
    const int clip = Player.weaponSlots[Player.activeSlot].clip;
    PushButton(c.button, true);
    PushButton(c.button, false);
    PlayFrames(1);
    EXPECT_EQ(mouseLeftDown + mouseRightDown, 0) << c.what << ": the tap was let go after one frame";
    PlayFrames(30);
    const bool left = c.button == SDL_BUTTON_LEFT;
    EXPECT_EQ(Player.weaponSlots[Player.activeSlot].clip, left ? clip - 1 : clip) << c.what;
    EXPECT_EQ(Player.grenades, left ? 3 : 2) << c.what;
    EXPECT_EQ(grenadeList.size(), left ? 0u : 1u) << c.what;
  }
}

TEST(FrameInput, ATapOfTheJumpKeyBetweenTwoFramesJumps) {
  Play game;
  game.wait(1);
  uint8_t keys[ACTION_COUNT] = {};
  keys[2] = 'W';  // the jump's bit
  const double ground = Player.body.pos.y;
  for (bool down : {true, false}) {
    SDL_Event e = {};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.keysym.scancode = SDL_SCANCODE_W;
    MainWindowProc(e);
  }
  double top = ground;
  for (int i = 0; i < 40; ++i) {
    StepHeadlessGame(ReadFrameInput(0.015, keys));
    EXPECT_EQ(keyDown['W'], 0) << "the tap was let go after one frame";
    top = std::max(top, Player.body.pos.y);
  }
  EXPECT_GT(top - ground, 0.2) << "the tap jumped";
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
