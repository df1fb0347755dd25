#include <SDL.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "platform/pad.h"
#include "platform/window.h"
#include "render/text.h"

namespace {
tpad PadWith(std::initializer_list<int> buttons, int16_t lx = 0, int16_t ly = 0) {
  tpad p = {};
  for (int b : buttons) p.buttons |= 1u << b;
  PadAxis(p, SDL_CONTROLLER_AXIS_LEFTX, lx);
  PadAxis(p, SDL_CONTROLLER_AXIS_LEFTY, ly);
  return p;
}
}  // namespace

TEST(PadMapping, SticksRestInsideTheDeadZoneAndReachOneAtFullTravel) {
  // Angle: bearing in degrees from straight up towards +x; SDL's up is negative. A worn stick rests a quarter off
  // centre; a full diagonal is not longer than 1.
  const struct {
    int16_t x, y;
    double length, angle;
  } cases[] = {{0, 0, 0, 0},      {8000, 0, 0, 0},    {-5000, 5000, 0, 0},     {32767, 0, 1, 90},
               {0, -32768, 1, 0}, {0, 32767, 1, 180}, {16384, 0, 1.0 / 3, 90}, {23170, -23170, 1, 45}};
  for (const auto &c : cases) {
    const tvector v = StickVector(c.x, c.y);
    EXPECT_NEAR(veclength(v, false), c.length, 1e-3) << c.x << "," << c.y;
    EXPECT_TRUE(c.length == 0 || std::fabs(bearing(v.x, v.y) * 180 / M_PI - c.angle) < 0.1) << c.x << "," << c.y;
  }
}

TEST(PadMapping, ButtonsSticksAndTriggersGiveTheGamesActions) {
  const struct {
    tpad pad;
    uint16_t actions;
  } cases[] = {// a drifting stick runs nowhere, one pushed up does not run sideways; B does nothing in a game
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
  for (const auto &c : cases) EXPECT_EQ(PadActions(c.pad), c.actions) << std::hex << c.pad.buttons;

  // A trigger fires past half its pull and stops only below a third: no flicker in between.
  const struct {
    int16_t pull;
    bool firing;
  } pulls[] = {{0, false}, {12000, false}, {17000, true}, {12000, true}, {10000, false}, {16000, false}, {32767, true}};
  tpad p = {};
  for (const auto &t : pulls) {
    PadAxis(p, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, t.pull);
    PadAxis(p, SDL_CONTROLLER_AXIS_TRIGGERLEFT, t.pull);
    EXPECT_EQ(PadActions(p), t.firing ? ACTION_FIRE | ACTION_GRENADE : 0) << t.pull;
  }
}

TEST(PadMapping, TheAimFollowsTheRightSticksAngleWithAReachGrowingWithItsLean) {
  const tvector last = {1, 2};
  const struct {
    int16_t x, y;
    tvector pointer;
  } cases[] = {// let go or inside the dead zone, the aim stays; just past it, a fifth of the weapon's range
               {0, 0, last},
               {3000, -3000, last},
               {32767, 0, {5, 0}},
               {0, -32768, {0, 5}},
               {-16384, 0, {-2.333, 0}},
               {-8500, 0, {-1.05, 0}},
               {23170, 23170, {3.536, -3.536}}};
  for (const auto &c : cases) {
    const tvector p = PadAimPointer(StickVector(c.x, c.y), last);
    EXPECT_TRUE(std::fabs(p.x - c.pointer.x) < 0.01 && std::fabs(p.y - c.pointer.y) < 0.01)
        << c.x << "," << c.y << ": " << p.x << "," << p.y;
  }
}

TEST(PadMapping, TheMenuPointerCrossesTheWindowInASecondAtFullLean) {
  // 77 frames of 13 ms: a second.
  const struct {
    int16_t x, y;
    int width;
    double dx, dy;
  } cases[] = {{32767, 0, 1024, 1024, 0},
               {-32768, 0, 640, -640, 0},
               {0, 32767, 1024, 0, 1024},
               {16384, 0, 1024, 114, 0},
               {5000, 0, 1024, 0, 0}};  // down is down; at half lean, slow
  for (const auto &c : cases) {
    tvector moved = {0, 0};
    for (int i = 0; i < 77; ++i) moved = moved + PadPointerStep(StickVector(c.x, c.y), 1.0 / 77, c.width);
    EXPECT_TRUE(std::fabs(moved.x - c.dx) < 2 && std::fabs(moved.y - c.dy) < 2) << c.x << "," << c.y;
  }
}

TEST(PadMapping, TheDpadSpellsANameArcadeStyle) {
  // Arrow keys in order (38 up, 40 down, 39 right, 37 left), and the name they leave: 39 confirms a letter, 37 takes
  // one away; past blank comes a again; typed capitals are kept, the turned letter going on from its small one.
  const struct {
    const char *name;
    std::vector<int> presses;
    const char *result;
  } cases[] = {{"", {38}, "a"},        {"", {40}, "a"},
               {"", {39, 37}, ""},     {"", {38, 38, 38, 39, 40}, "c "},
               {"b", {40}, "a"},       {"z", {38}, "0"},
               {"9", {38, 38}, "a"},   {"bob", {37}, "bo"},
               {"Hero", {38}, "Herp"}, {"abcdefghijklmn", {39}, "abcdefghijklmn"}};
  for (const auto &c : cases) {
    std::string name = c.name;
    for (int key : c.presses) {
      keyDown[key] = 1;
      StepLetters(name, 14);
      EXPECT_EQ(keyDown[key], 0) << "each press acts once";
    }
    EXPECT_EQ(name, c.result) << c.name;
  }
}
