// Program start-up, the main menu and shutdown.
#pragma once
#include "online/settings.h"

// The world boards' settings this run plays by: the saved ones, or --server's address (taking
// part) for this run only, never saved.
extern tonlinesettings onlineSettings;

// The whole program: the command line, finding the data and the player's folders, start-up,
// main menu (or the replay of --replay), shutdown. Returns the process exit code: 0, 1 when there
// is nothing to play with (no data folder or a file missing from it, no display, no window, a
// refused replay), 2 for a wrong command line.
int RunProgram(int argc, char **argv);
void RunMainMenu();
