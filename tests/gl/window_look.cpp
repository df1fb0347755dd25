// Apart from the tests: Xlib's macros (None, Bool, Status) clash with GoogleTest's names.
#include "gl/window_look.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

WindowLook LookOfTheWindow() {
  SDL_Window *window = SDL_GL_GetCurrentWindow();
  WindowLook look{window ? SDL_GetWindowTitle(window) : ""};
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return look;
  Display *display = info.info.x11.display;
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char *data = nullptr;
  // _NET_WM_ICON holds width, height, then the pixels: the first two are enough.
  if (XGetWindowProperty(display, info.info.x11.window, XInternAtom(display, "_NET_WM_ICON", False), 0, 2, False,
                         XA_CARDINAL, &type, &format, &count, &after, &data) == Success &&
      data && count == 2) {
    const long *size = reinterpret_cast<const long *>(data);
    look.iconWidth = size[0], look.iconHeight = size[1];
  }
  if (data) XFree(data);
  return look;
}
