// Program start-up, the main menu and shutdown.
#pragma once
#include <string>

// The whole program: the command line, finding the data and the player's folders, start-up,
// main menu (or the replay of --replay), shutdown. Returns the process exit code: 0, 1 when there
// is nothing to play with (no data folder or a file missing from it, no display, no window, a
// refused replay), 2 for a wrong command line.
int RunProgram(int argc, char **argv);

// The main menu, until the player quits or the window closes.
void RunMainMenu();
