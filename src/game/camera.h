// The world camera: where the view is centred and how deep the world lies. The menus reset it,
// the game step follows the player with it, and the updates use OnScreen to cull.
#pragma once
#include <cstdint>

#include "base/vector.h"

extern tvector CameraPos;     // world point at the centre of the view
extern double zoom;           // the world is drawn at depth -6.1 * zoom
extern uint8_t cameraFollow;  // the camera follows the player

// Whether p falls inside the visible rectangle of the screen plane carried to the world's depth.
bool OnScreen(tvector p);
