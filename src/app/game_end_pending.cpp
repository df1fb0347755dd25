// The game-end screen arrives with the score tables.
#include "app/game.h"

void GameEndScreen(bool) {}
