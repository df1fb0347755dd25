#include <SDL.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <tuple>
#include <utility>

#include "platform/pad.h"
#include "platform/window.h"
#include "rig/virtual_pad.h"

namespace {
tpad PadWith(std::initializer_list<int> buttons, int16_t lx = 0, int16_t ly = 0) {
  tpad p = {};
  for (int b : buttons) p.buttons |= 1u << b;
  PadAxis(p, SDL_CONTROLLER_AXIS_LEFTX, lx);
  PadAxis(p, SDL_CONTROLLER_AXIS_LEFTY, ly);
  return p;
}
}  // namespace

TEST(PadMapping, ButtonsSticksAndTriggersGiveTheGamesActions) {
  // A drifting stick runs nowhere, one pushed up does not run sideways; B does nothing in a game.
  const std::pair<tpad, int> cases[] = {
      {PadWith({}), 0},
      {PadWith({}, 6000, 6000), 0},
      {PadWith({SDL_CONTROLLER_BUTTON_DPAD_LEFT}), ACTION_LEFT},
      {PadWith({}, 32767), ACTION_RIGHT},
      {PadWith({}, -20000, -3000), ACTION_LEFT},
      {PadWith({}, 4000, -32768), 0},
      {PadWith({SDL_CONTROLLER_BUTTON_A}), ACTION_JUMP},
      {PadWith({SDL_CONTROLLER_BUTTON_X}), ACTION_CHANGE},
      {PadWith({SDL_CONTROLLER_BUTTON_Y}), ACTION_USE},
      {PadWith({SDL_CONTROLLER_BUTTON_B}), 0},
      {PadWith({SDL_CONTROLLER_BUTTON_START}), ACTION_PAUSE},
      {PadWith({SDL_CONTROLLER_BUTTON_BACK}), ACTION_RUSH},
      {PadWith({SDL_CONTROLLER_BUTTON_A, SDL_CONTROLLER_BUTTON_DPAD_RIGHT}), ACTION_JUMP | ACTION_RIGHT}};
  for (const auto &[pad, actions] : cases) EXPECT_EQ(PadActions(pad), actions) << std::hex << pad.buttons;

  // A trigger fires past half its pull and stops only below a third: no flicker in between.
  const std::pair<int16_t, bool> pulls[] = {{0, false},     {12000, false}, {17000, true}, {12000, true},
                                            {10000, false}, {16000, false}, {32767, true}};
  tpad p = {};
  for (const auto &[pull, firing] : pulls) {
    PadAxis(p, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, pull);
    PadAxis(p, SDL_CONTROLLER_AXIS_TRIGGERLEFT, pull);
    EXPECT_EQ(PadActions(p), firing ? ACTION_FIRE | ACTION_GRENADE : 0) << pull;
  }
}

TEST(PadMapping, TheAimFollowsTheRightSticksAngleWithAReachGrowingWithItsLean) {
  // Let go or inside the dead zone (a worn stick rests a quarter off centre), the aim stays; just
  // past it, a fifth of the weapon's range; SDL's up is negative; a full diagonal is no longer.
  const tvector last = {1, 2};
  const std::tuple<int16_t, int16_t, tvector> cases[] = {{0, 0, last},
                                                         {3000, -3000, last},
                                                         {8000, 0, last},
                                                         {0, 32767, {0, -5}},
                                                         {32767, 0, {5, 0}},
                                                         {0, -32768, {0, 5}},
                                                         {-16384, 0, {-2.333, 0}},
                                                         {-8500, 0, {-1.05, 0}},
                                                         {23170, 23170, {3.536, -3.536}}};
  for (const auto &[x, y, pointer] : cases) {
    const tvector p = PadAimPointer(StickVector(x, y), last);
    EXPECT_TRUE(std::fabs(p.x - pointer.x) < 0.01 && std::fabs(p.y - pointer.y) < 0.01)
        << x << "," << y << ": " << p.x << "," << p.y;
  }
}

TEST(PadMapping, TheMenuPointerCrossesTheWindowInASecondAtFullLean) {
  // 77 frames of 13 ms: a second. Down is down; at half lean, slow.
  const std::tuple<int16_t, int16_t, int, double, double> cases[] = {{32767, 0, 1024, 1024, 0},
                                                                     {-32768, 0, 640, -640, 0},
                                                                     {0, 32767, 1024, 0, 1024},
                                                                     {16384, 0, 1024, 114, 0},
                                                                     {5000, 0, 1024, 0, 0}};
  for (const auto &[x, y, width, dx, dy] : cases) {
    tvector moved = {0, 0};
    for (int i = 0; i < 77; ++i) moved = moved + PadPointerStep(StickVector(x, y), 1.0 / 77, width);
    EXPECT_TRUE(std::fabs(moved.x - dx) < 2 && std::fabs(moved.y - dy) < 2) << x << "," << y;
  }
}

TEST(PadMapping, APadTakesOverOnAPressPastItsDeadZoneAndTheStickAimsOnceItMoves) {
  // Sticks and triggers pressed only past their dead zones; SDL's trigger range is 0..32767.
  const std::tuple<int, int16_t, bool> axes[] = {{SDL_CONTROLLER_AXIS_LEFTX, 6000, false},
                                                 {SDL_CONTROLLER_AXIS_RIGHTY, -12000, true},
                                                 {SDL_CONTROLLER_AXIS_TRIGGERLEFT, 12000, false},
                                                 {SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 20000, true}};
  for (const auto &[axis, value, leant] : axes) EXPECT_EQ(PadAxisLeant(axis, value), leant) << axis << " " << value;
  // {stick, where it stood when the mouse moved, takes the aim}: held still or let go, it does not.
  const std::tuple<tvector, tvector, bool> aims[] = {{{0.5, 0}, {0.5, 0}, false}, {{0.52, 0.03}, {0.5, 0}, false},
                                                     {{0, 0}, {0.5, 0}, false},   {{0.5, 0.2}, {0.5, 0}, true},
                                                     {{0, 0.3}, {0, 0}, true},    {{-0.5, 0}, {0.5, 0}, true}};
  for (const auto &[stick, then, takes] : aims)
    EXPECT_EQ(StickTakesAim(stick, then), takes) << stick.x << "," << stick.y << " from " << then.x << "," << then.y;
}

namespace {
// Hands the window procedure what SDL queued (the virtual pads' events among it).
void TakeEvents() {
  SDL_Event e;
  while (SDL_PollEvent(&e)) MainWindowProc(e);
}

struct TwoPads : ::testing::Test {
  void SetUp() override {
    StartPads();
    ASSERT_TRUE(idle.plug() && held.plug()) << SDL_GetError();
    TakeEvents();
    SetPadInMenu(false);
    ASSERT_TRUE(PadConnected());
  }
  void TearDown() override {
    idle.unplug(), held.unplug();
    TakeEvents();
    SetPadInMenu(true);
    StopPads();
  }
  tframeinput Frame() {
    TakeEvents();
    const uint8_t noKeys[ACTION_COUNT] = {};
    return ReadFrameInput(0.015, noKeys);
  }
  VirtualPad idle, held;  // an idle receiver plugged in first, then the pad in the player's hands
};
}  // namespace

TEST_F(TwoPads, ThePadLastPressedPlays) {
  // Each step: on which pad, what it does, and the actions the game then has. A pad taking over
  // starts from nothing held: the idle pad's X, held since it last played, waits to be pressed again.
  const struct {
    VirtualPad TwoPads::*pad;
    std::function<void(VirtualPad &)> act;
    uint16_t actions;
  } steps[] = {
      {&TwoPads::held, [](VirtualPad &p) { p.button(SDL_CONTROLLER_BUTTON_A, true); }, ACTION_JUMP},
      {&TwoPads::idle, [](VirtualPad &p) { p.button(SDL_CONTROLLER_BUTTON_X, true); }, ACTION_CHANGE},
      {&TwoPads::held, [](VirtualPad &p) { p.button(SDL_CONTROLLER_BUTTON_A, false); }, ACTION_CHANGE},
      {&TwoPads::held, [](VirtualPad &p) { p.axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767); }, ACTION_FIRE},
      {&TwoPads::idle, [](VirtualPad &p) { p.axis(SDL_CONTROLLER_AXIS_LEFTX, 3000); }, ACTION_FIRE},
      {&TwoPads::idle, [](VirtualPad &p) { p.axis(SDL_CONTROLLER_AXIS_LEFTX, 32767); }, ACTION_RIGHT},
  };
  int n = 0;
  for (const auto &s : steps) {
    s.act(this->*s.pad);
    EXPECT_EQ(Frame().held, s.actions) << "step " << n++;
  }
  // South pressed and let go between two frames (too quick for the virtual pad's own state): the
  // pad takes over and jumps once.
  for (bool down : {true, false}) {
    SDL_Event e = {};
    e.type = down ? SDL_CONTROLLERBUTTONDOWN : SDL_CONTROLLERBUTTONUP;
    e.cbutton.which = held.id(), e.cbutton.button = SDL_CONTROLLER_BUTTON_A;
    MainWindowProc(e);
  }
  const tframeinput tap = Frame();
  EXPECT_EQ(tap.held & tap.pressed, ACTION_JUMP);
  EXPECT_EQ(Frame().held, 0);
}

TEST_F(TwoPads, WhicheverOfTheMouseAndTheRightStickMovedLastAims) {
  const int RIGHT_X = SDL_CONTROLLER_AXIS_RIGHTX;
  held.stick(RIGHT_X, {0, 1}, 1);  // straight up, full reach
  EXPECT_NEAR(Frame().pointer.y, 5, 0.01) << "the stick aims";
  SDL_Event motion = {};
  motion.type = SDL_MOUSEMOTION;
  motion.motion.x = clientWidth / 4, motion.motion.y = clientHeight / 2;
  MainWindowProc(motion);
  const tvector mouse = PointerOnPlane(motion.motion.x, motion.motion.y);
  for (int i = 0; i < 3; ++i) {
    const tframeinput in = Frame();
    EXPECT_TRUE(in.pointer.x == mouse.x && in.pointer.y == mouse.y)
        << "frame " << i << ": the stick held still took it";
  }
  held.stick(RIGHT_X, {1, 1}, 1);  // the stick moves: it aims again
  const tframeinput in = Frame();
  EXPECT_NEAR(in.pointer.x, in.pointer.y, 0.01);
  EXPECT_GT(in.pointer.x, 3);
}
