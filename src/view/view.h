// Drawing one game: the world camera, the world with its sky, skyline, shadows and terrain.
#pragma once
#include "game/camera.h"

// Identity model-view, then the camera's translation to depth -6.1 * zoom.
void ApplyCamera();
