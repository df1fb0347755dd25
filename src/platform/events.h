// Our own quit message: queued on a window close and consumed by the innermost screen loop.
#pragma once
#include <cstdint>

union SDL_Event;

void PostQuitEvent();
bool IsQuitEvent(const SDL_Event &e);
