#include "game/state.h"

tbody playerBody = {{0.01, 0.1}, {0, 0}, {0, 0}};
tanidata playerAnim = {};
