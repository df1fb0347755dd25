// Drawing one game: the world camera, the world with its sky, skyline, shadows and terrain.
#pragma once
#include "game/camera.h"

// Identity model-view, then the camera's translation to depth -6.1 * zoom.
void ApplyCamera();

// Drawn inside RenderWorld, each from the world camera unless it says otherwise.
void DrawPickups();   // weapon crates: one gun-icon quad each
void DrawGrenades();  // thrown grenades (drawn after the world, where the step updates them)
void DrawHud();       // screen plane
void DrawTutorial();  // screen plane: the hint for what is on screen
