// The player's part of the game step: posing the figure towards the aim, choosing its
// animation, and moving, aiming, jumping and walking.
#pragma once
#include "base/vector.h"

// Advances the player's animation, then bends the arms towards the aim, draws the throwing arm
// back while a grenade cooks, and leans the body. aimLeft is last frame's aim side.
void PosePlayer(bool aimLeft, bool cooking);
// Picks stand, walk or jump from the movestate and sets the playback speed.
void ChoosePlayerAnimation();
// Where the arms and shots start: the shoulder bobs with the animated body.
tvector PlayerShoulder();
// Integrates and collides the body, aims at `pointer` (screen-plane units from the window centre,
// -5..5 across) and moves the camera. A pointer exactly at the centre keeps the previous aim.
void MovePlayer(tvector pointer);
// Jump and run keys; the acceleration acts at the next frame's integration.
void PlayerControls(bool jump, bool left, bool right);
