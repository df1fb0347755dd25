// The window with its GL context, the input globals and the frame timer.
#pragma once
#include <cstdint>
#include <string>

#include "base/input.h"

union SDL_Event;
struct SDL_Surface;

// Input state, written by MainWindowProc. keyDown is indexed by Windows virtual-key codes.
extern uint8_t keyDown[256];
extern uint8_t mouseLeftDown, mouseRightDown;
// Set by every key-down (auto-repeats too) and button press; ReadFrameInput clears them.
extern uint8_t keyPressed[256];
extern uint8_t mouseLeftPressed, mouseRightPressed;
extern double mouseX, mouseY;
extern uint8_t windowActive;   // false while minimised
extern uint8_t quitRequested;  // once set, every screen loop ends
extern uint8_t fullscreenActive;

// Seconds of the last frame of a menu screen (a game's frames carry their own time).
extern double frameTime;
// The test rig sets this to a positive value: GetFrameTime then returns it without waiting.
extern double fixedFrameTime;

// The current drawable size in pixels (follows resizes).
extern int clientWidth, clientHeight;

bool CreateMainWindow(const char *title, int width, int height, int bits, bool fullscreenWanted);
// The icon every window made gets (a small BMP, 32 bits with alpha); "" for none.
extern std::string windowIconFile;
// Reads an icon; nullptr, silently, when the file is missing, damaged or not a small picture.
SDL_Surface *LoadWindowIcon(const std::string &path);
void DestroyMainWindow();
void ResizeView(int width, int height);
bool InitGLState();
// Our window procedure: turns one SDL event into input state.
void MainWindowProc(const SDL_Event &event);
// A mouse button (or what stands in for one) going down or up. A press is seen by the next frame
// even when its release comes first: the release then waits for FrameInputSeen.
void MouseButton(bool left, bool down);
// A frame has read the input: releases that waited for it take effect.
void FrameInputSeen();
// Maps an SDL scancode to a Windows virtual-key code (0 when the key has none).
uint8_t VirtualKeyFromScancode(int scancode);

void InitFrameTimer();
// Seams for tests of the timer; they default to SDL's counter and delay.
extern uint64_t (*readPerformanceCounter)();
extern uint64_t (*readPerformanceFrequency)();
extern void (*sleepMicroseconds)(uint32_t);
// Test hook: makes one window-creation step fail (1 class, 2 display mode, 3 window, 4 context,
// 5 make current).
extern int failWindowStep;
// Why the last CreateMainWindow failed, SDL's reason included; "" after one that succeeded, or
// when the player chose to close rather than play in a window.
const char *WindowFailure();
// Seconds since the last call, at most 0.017 before `scale` (the game's speed), and never less
// than the 13 ms minimum frame, which it waits for.
double GetFrameTime(double scale = 1.0);
// The pointer in screen-plane units from the window centre (-5..5 across the window's width).
tvector PointerOnPlane(double mx, double my);
// The game frame's input from the input state; `keys` holds the virtual-key code of each action
// bit (the mouse buttons need none). Clears the pressed marks; the frame has seen the input.
tframeinput ReadFrameInput(double frameTime, const uint8_t keys[ACTION_COUNT]);
void SwapMainWindow();

// An off-screen RGBA layer, cleared to transparent: soft translucent things piled deep cost a
// fraction of their fill drawn there at a lower resolution and then laid over the window.
// BeginLayer binds it at that size (its viewport too) with blending that keeps the layer's
// colour premultiplied by its coverage; it fails when the context has no framebuffer objects,
// and the caller then draws straight into the window. EndLayer returns to the window.
bool BeginLayer(int width, int height);
void EndLayer();
uint32_t LayerTexture();
// The window's context is gone, and the layer's objects with it.
void ForgetLayer();

// Set before each frame; a frame that found its picture unchanged clears it, and the loop then
// keeps showing the last picture instead of swapping (saves the whole frame's fill).
extern uint8_t frameDrawn;
// Set when the window was exposed, resized or restored: the next frame must draw.
extern uint8_t redrawRequested;
