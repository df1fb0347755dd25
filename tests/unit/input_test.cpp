// What the devices hand the game: a pad's buttons, sticks and triggers as the game's actions and
// the pointer, a frame's input as the window's events build it (a button pressed and let go between
// two frames is a press the game acts on once), and the frame clock.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <tuple>
#include <utility>

#include "game/objects.h"
#include "game/runner.h"
#include "game/state.h"
#include "platform/pad.h"
#include "platform/window.h"
#include "rig/play.h"
#include "rig/virtual_pad.h"

namespace {
tpad PadWith(std::initializer_list<int> buttons, int16_t lx = 0, int16_t ly = 0) {
  tpad p = {};
  for (int b : buttons) p.buttons |= 1u << b;
  PadAxis(p, SDL_CONTROLLER_AXIS_LEFTX, lx);
  PadAxis(p, SDL_CONTROLLER_AXIS_LEFTY, ly);
  return p;
}

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

// A fake counter at 1 MHz: each read takes a microsecond, sleeping takes what was asked.
uint64_t fakeNow = 0;
int sleeps = 0;

struct FakeClock {
  uint64_t (*counter)() = readPerformanceCounter;
  uint64_t (*frequency)() = readPerformanceFrequency;
  void (*sleep)(uint32_t) = sleepMicroseconds;
  FakeClock() {
    readPerformanceCounter = [] { return fakeNow++; };
    readPerformanceFrequency = []() -> uint64_t { return 1000000; };
    sleepMicroseconds = [](uint32_t us) { ++sleeps, fakeNow += us; };
    fakeNow = 5000000;
    fixedFrameTime = 0;
    InitFrameTimer();
  }
  ~FakeClock() {
    readPerformanceCounter = counter, readPerformanceFrequency = frequency, sleepMicroseconds = sleep;
    fixedFrameTime = 0;
  }
  double Frame(double realSeconds, double scale = 1) {
    fakeNow += static_cast<uint64_t>(realSeconds * 1e6);
    sleeps = 0;
    return GetFrameTime(scale);
  }
};
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

TEST(FrameTimer, ClampScaleAndMinimum) {
  FakeClock clock;
  // A slow frame is clamped to 17 ms, then scaled; a scaled time below the 13 ms minimum gives the real time back.
  const double frames[][3] = {
      {0.050, 1, 0.017}, {0.015, 1, 0.015}, {0.020, 0.5, 0.020}, {0.016, 0.9, 0.0144}, {0.030, 0.9, 0.0153}};
  for (const auto &f : frames) {
    EXPECT_NEAR(clock.Frame(f[0], f[1]), f[2], 1e-5) << f[0] << " at " << f[1];
    EXPECT_EQ(sleeps, 0);
  }
  // A fast frame waits (by sleeping, not spinning) until 13 ms have passed and returns the real time.
  double dt = clock.Frame(0.002);
  EXPECT_TRUE(dt >= 0.013 && dt < 0.0145 && sleeps > 0) << dt;
  // Scripted runs take a fixed frame time whatever the clock says.
  fixedFrameTime = 0.013;
  EXPECT_DOUBLE_EQ(clock.Frame(0.5), 0.013);
  EXPECT_DOUBLE_EQ(clock.Frame(0.0), 0.013);
}
