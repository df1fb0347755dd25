// Drawing one game: the world camera, the world with its sky, skyline, shadows and terrain.
#pragma once
#include <cmath>
#include <cstdint>
#include <vector>

#include "game/camera.h"

// Identity model-view, then the camera's translation to depth -6.1 * zoom.
void ApplyCamera();
// Half the width of the screen plane at depth 9, whose half-height is 3.75: it follows the
// window's aspect, so what must cover the screen covers a wide window too.
double ScreenHalfWidth();
// Hands the rules this view's width for what they make for the drawing only (particles): call
// before each of their frames.
void HandViewToRules();
// Half the view's width and height at the world's depth.
tvector ViewHalfSize();
// A pixel's side in world units at the world's depth.
double PixelSize();
// Whether p lies in the view at the world's depth, or within `margin` of it.
bool InView(tvector p, double margin);
// Draws the vertices in xyz (three floats each) with their colours in rgba (four each) and, when
// given, texture coordinates in st (two each), as primitives of `mode`, in one call.
// Quads and triangles go in calls of their own where some reach past the view (see SplitIntoRuns).
void DrawArrays(unsigned mode, const std::vector<float> &xyz, const std::vector<float> &rgba,
                const std::vector<float> *st = nullptr);
// The same from arrays of `vertices` vertices (st may be null).
void DrawArrays(unsigned mode, const float *xyz, const float *rgba, const float *st, size_t vertices);
// Consecutive primitives, `first` and on, `count` of them.
struct trun {
  size_t first, count;
};
// The primitives in order as runs, one call each: those reaching past the view (reachingOut[i])
// in short runs with at most a few primitives between them that do not, the rest in long ones.
void SplitIntoRuns(const std::vector<uint8_t> &reachingOut, std::vector<trun> &runs);

// A grid of square cells over the view, `cell` world units each from `origin`, some marked.
struct tcellmarks {
  tvector origin;
  double cell = 1;
  int nx = 0, ny = 0;
  std::vector<uint8_t> marked;
  void reset(tvector from, double size, int columns, int rows);
  bool at(int x, int y) const { return marked[static_cast<size_t>(y) * nx + x] != 0; }
  bool locate(tvector p, int &x, int &y) const;                   // p's cell, and whether the grid holds it
  void mark(double xmin, double ymin, double xmax, double ymax);  // every cell the box touches
};
// Runs `draw` (world drawing from the world camera) into a layer of 1/scale of the window's size
// and lays the layer over the window on the marked cells, which must hold all it drew: 1/scale^2
// of the fill, for things soft enough not to show the coarser pixels. Where the context has no
// layer, `draw` goes straight into the window.
void DrawAtLowerSize(void (*draw)(), const tcellmarks &marks, int scale);

// Drawn inside RenderWorld, each from the world camera unless it says otherwise.
void DrawPickups();   // weapon crates: one gun-icon quad each
void DrawGrenades();  // thrown grenades (drawn after the world, where the step updates them)
void DrawHud();       // screen plane
// Screen plane: the hint for what is on screen. Checks itself whether the tutorial shows (the
// option, day 1, or the helicopter in view), so it can be called every frame.
void DrawTutorial();
// Called by the game step right after the rules: the muzzle and explosion flashes they made
// this frame, at once, over the world, HUD and fade already drawn.
void DrawNewFlashes();

// The whole world, in its fixed order.
void RenderWorld();
// The sky over the whole window, but for what lies well below `groundTop` (a y of the world),
// where the terrain drawn next covers every pixel.
void DrawSky(double groundTop = -HUGE_VAL);
// The world's y below which the drawn terrain covers every pixel of the view; the view's bottom
// where some column is open there.
double SolidGroundTop();
void DrawSkyline(double groundTop = -HUGE_VAL);  // its fills likewise
void DrawBaseMarker();
void DrawDefenders();
void DrawCrates();
void DrawPlayer();
void DrawCharacters();
void DrawTracers();
void DrawHeli();
void DrawParticles();
// Draws nothing through every path the particles take, so the renderer has made ready what they
// need (a software renderer builds its programs on first use) before a pile first shows.
void WarmParticles();
// Sunlight and the terrain's shadows for a sun in `direction` (pointing from the sun).
void DrawSunAndShadows(tvector direction);
// The terrain into colour and depth, then WorldDepthState: drawn first, it hides whatever of
// the world lies behind it.
void DrawTerrainFirst();
// Between DrawTerrainFirst and EndWorldDepth every drawing of the world, in the terrain's plane
// (z 0) or behind it, is tested against the terrain's depth (GL_LESS) and writes none; a drawing
// that changes the depth state puts this one back.
void WorldDepthState();
// No depth test, depth written again: for the screen plane and the next frame's clear.
void EndWorldDepth();
void DrawTerrain();
void DrawFade(double alpha);
void DrawWeaponSprite(tvector q, int index, bool flipped, double recoil, double angle);
void DrawArmSprite(tvector q, bool flipped, double angle);
// Keeps the day-night image's colours for the sky; called with the textures.
void LoadSkyColours();
