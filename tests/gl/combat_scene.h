// Whole-game combat runs: the real program from the main menu into a game, with the scene set
// by actions between frames (zombies placed, weapons handed out, keys and buttons held) and
// screenshots taken when something happens.
#pragma once
#include <filesystem>
#include <functional>
#include <string>

#include <SDL.h>

#include "game/objects.h"
#include "game/state.h"
#include "platform/window.h"
#include "rig/scripted_run.h"
#include "world/terrain.h"

// The first day's banner has faded by this pass.
constexpr int IN_GAME = 200;

// Pixels of a screen-plane point in a window of the given size (the plane is 10 units wide).
inline int PixelX(double x, int width = 1024) { return static_cast<int>(x * width / 10.0 + width / 2); }
inline int PixelY(double y, int width = 1024, int height = 768) {
  return static_cast<int>(-y * width / 10.0 + height / 2);
}

// Main menu "Begin", then a game type: 1.4 short, 0.7 long, -0.1 infinite.
inline void StartGame(ScriptedRun &run, double typeY = -0.1, int width = 1024, int height = 768) {
  run.click(4, PixelX(0, width), PixelY(1.0, width, height));
  run.click(8, PixelX(0, width), PixelY(typeY, width, height));
}

// A smaller window for long runs that look at no picture (the fill is most of a frame's cost).
void UseWindowSize(const ScriptedRun &run, int width, int height);

// fn(pass) on every pass from `from` up to and excluding `to`.
inline void EachPass(ScriptedRun &run, int from, int to, const std::function<void(int)> &fn) {
  for (int p = from; p < to; ++p) run.at(p, [fn, p] { fn(p); });
}

// The back buffer of this pass (already drawn) as a PNG in the screenshot folder.
inline void ShotNow(const std::string &name) {
  SavePng(ScreenshotDir() + "/" + name + ".png", ReadPixelsRGB(clientWidth, clientHeight), clientWidth, clientHeight);
}

// Closes the window at once, as a player would: the run ends after this pass.
inline void CloseNow() {
  SDL_Event e = {};
  e.type = SDL_WINDOWEVENT;
  e.window.event = SDL_WINDOWEVENT_CLOSE;
  e.window.windowID = SDL_GetWindowID(SDL_GL_GetCurrentWindow());
  SDL_PushEvent(&e);
}

// The pointer at a screen-plane point (x from -5 to 5 across the window).
inline void PointAt(double x, double y) {
  int px, py;
  ScreenPlaneToPixels(x, y, px, py);
  mouseX = px;
  mouseY = py;
}

// Replaces the level pieces with flat ground (top at y = 0) in every tile; the base piece can
// carry extra blocks, solid and drawn.
inline void WriteArena(const ScriptedRun &run, const tblkarray &baseExtras = {}) {
  const std::string folder = run.dir().path() + "/zombie levels";
  std::filesystem::remove_all(folder);
  struct {
    const char *name;
    uint8_t kind;
  } pieces[] = {{"arena_left", 2}, {"arena_middle", 0}, {"arena_base", 1}, {"arena_right", 3}};
  for (const auto &p : pieces) {
    tblkarray blocks = {block{}};
    blocks[0].active = 1;
    blocks[0].corner1 = {-2.5, -10};
    blocks[0].corner2 = {2.5, 0};
    if (p.kind == 1) blocks.insert(blocks.end(), baseExtras.begin(), baseExtras.end());
    tiledesc d{};
    d.kind = p.kind;
    d.cratespot = {1.0, 0};
    d.pickupspot = {-1.0, 0.075};
    d.startspot = {0.4, 0.1};
    d.basespot = {0, 0};
    run.dir().write(std::string("zombie levels/") + p.name + ".zcg", EncodeBlocks(blocks));
    run.dir().write(std::string("zombie levels/") + p.name + ".zdg", EncodeBlocks(blocks));
    run.dir().write(std::string("zombie levels/") + p.name + ".zmd", EncodeTiledesc(d));
  }
}

inline block SolidBlock(double x1, double y1, double x2, double y2) {
  block b{};
  b.active = 1;
  b.corner1 = {x1, y1};
  b.corner2 = {x2, y2};
  return b;
}

// A zombie standing at x on the arena's ground, idle for a long while.
int PlaceZombie(double x);
// Keeps zombie i where it is put: idle, at x.
void HoldZombie(int i, double x);
