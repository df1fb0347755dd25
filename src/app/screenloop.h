// The modal loop every screen runs. A screen opens another by running the other's loop inside
// its own frame.
#pragma once
#include <cstdint>

// init clears nothing itself: ScreenLoop sets done to 0 before calling it. frame returns false
// to leave (only the game step does). In a menu the pad moves the pointer and clicks; elsewhere
// (a game and its day banners) it plays.
void ScreenLoop(int32_t &done, void (*init)(), bool (*frame)(), bool menu = true);

// Test rig hook, called on every pass that would flush and swap (before the swap).
extern void (*screenPassHook)();
