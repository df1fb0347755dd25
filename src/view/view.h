// Drawing one game: the world camera, the world with its sky, skyline, shadows and terrain.
#pragma once
#include "game/camera.h"

// Identity model-view, then the camera's translation to depth -6.1 * zoom.
void ApplyCamera();

// Drawn inside RenderWorld, each from the world camera unless it says otherwise.
void DrawPickups();   // weapon crates: one gun-icon quad each
void DrawGrenades();  // thrown grenades (drawn after the world, where the step updates them)
void DrawHud();       // screen plane
// Screen plane: the hint for what is on screen. Checks itself whether the tutorial shows (the
// option, day 1, or the helicopter in view), so it can be called every frame.
void DrawTutorial();
// Muzzle flashes and explosion flashes made since the last frame; each is shown once.
void DrawFlashes();
