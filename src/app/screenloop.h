// The modal loop every screen runs. A screen opens another by running the other's loop inside
// its own frame.
#pragma once
#include <cstdint>

// init clears nothing itself: ScreenLoop sets done to 0 before calling it. frame returns false
// to leave (only the game step does). In a menu the pad moves the pointer and clicks; elsewhere
// (a game and its day banners) it plays.
// `name` says which screen it is while its loop runs (screenShown).
void ScreenLoop(int32_t &done, void (*init)(), bool (*frame)(), bool menu = true, const char *name = "");
// The name of the screen whose loop runs now ("" for one that gave none): scripted runs wait on
// "the day banner" or "the end screen" by it, not on a count of passes.
extern const char *screenShown;

// Test rig hook, called on every pass that would flush and swap (before the swap).
extern void (*screenPassHook)();
