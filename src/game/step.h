// The rules of one game frame that come after the world is drawn, in their fixed order.
#pragma once
#include "base/vector.h"

// The world: the zombie list's dead tail, spawning, the zombies' quarter that thinks, the
// zombies, particles, pickups, crates and defenders, the helicopter (started on its day), and
// the thrown grenades.
void StepWorld();
// The player: animation, movement and aim towards `pointer` (screen-plane units from the
// window centre), the bound keys, weapons and grenades, then every shot.
void StepPlayer(tvector pointer);
