// The player's body and animation state.
#pragma once
#include "actors/records.h"

extern tbody playerBody;
extern tanidata playerAnim;
