#include "platform/events.h"

#include <SDL.h>

static Uint32 QuitEventType() {
  static Uint32 type = SDL_RegisterEvents(1);
  return type;
}

void PostQuitEvent() {
  SDL_Event e = {};
  e.type = QuitEventType();
  SDL_PushEvent(&e);
}

bool IsQuitEvent(const SDL_Event &e) { return e.type == QuitEventType(); }
