// The sunlight's geometry: the blocks' shadow as a profile seen from the light,
// and the wash drawn as the lit region's own polygons from it.
#pragma once
#include <vector>

#include "game/camera.h"

// How far a block's shadow reaches along the light.
constexpr double SHADOW_LENGTH = 15.0;

// A straight piece of the light's first-hit profile in light coordinates (u
// across the light, t along it): for u in [u0, u1] the shadow covers t from the
// profile to SHADOW_LENGTH beyond.
struct tshadowrun {
  double u0, t0, u1, t1;
};

// The profile the blocks of the camera's tile and its neighbours give a light
// pointing along `direction` (a unit vector), in increasing u.
void ShadowProfile(tvector direction, std::vector<tshadowrun> &runs);

// Joins neighbouring runs into one straight run wherever it stays within
// `tolerance` (along the light) of every corner it replaces; gaps and the
// joined runs' outer ends stay where they were. With a tolerance under a
// pixel the shadow's edge moves by less than that, and a staircase of small
// blocks costs a few strips instead of one per step.
void StraightenProfile(std::vector<tshadowrun> &runs, double tolerance);

// The light's wash over the world rectangle (x0, y0)-(x1, y1) wherever the runs
// do not shade: colour (1, 1, blue), alpha `low` at y0 rising evenly to `high`
// at y1, each lit pixel drawn once. Drawn at depth 0 with the caller's GL
// state.
void DrawLitRegion(tvector direction, const std::vector<tshadowrun> &runs, double x0, double y0, double x1, double y1,
                   double blue, double low, double high);
