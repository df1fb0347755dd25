// The world camera.
#pragma once
#include "base/vector.h"

extern tvector CameraPos;
extern double zoom;

// Identity model-view, then the camera's translation to depth -6.1 * zoom.
void ApplyCamera();
// Whether p falls inside the visible rectangle carried to the world's depth.
bool OnScreen(tvector p);
