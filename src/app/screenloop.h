// The modal loop every screen runs. A screen opens another by running the other's loop inside
// its own frame.
#pragma once
#include <cstdint>

// init clears nothing itself: ScreenLoop sets done to 0 before calling it. frame returns false
// to leave (only the game step does).
void ScreenLoop(int32_t &done, void (*init)(), bool (*frame)());

// Set before each frame; a frame that found its picture unchanged clears it, and the loop then
// keeps showing the last picture instead of swapping (saves the whole frame's fill).
extern uint8_t frameDrawn;
// Set when the window was exposed, resized or restored: the next frame must draw.
extern uint8_t redrawRequested;

// Test rig hook, called on every pass that would flush and swap (before the swap).
extern void (*screenPassHook)();
