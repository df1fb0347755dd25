// What the desktop shows of the game's window, read back from the X server.
#pragma once
#include <string>

struct WindowLook {
  std::string title;
  long iconWidth = 0, iconHeight = 0;  // the icon the window manager was given; 0 x 0 for none
};

// Of the current GL context's window.
WindowLook LookOfTheWindow();
