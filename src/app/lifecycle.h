// Program start-up, the main menu and shutdown.
#pragma once
#include <string>

#include "game/scores.h"
#include "online/settings.h"

// The world boards' settings this run plays by: the saved ones, or --server's address (taking
// part) for this run only, never saved.
extern tonlinesettings onlineSettings;

// The whole program: the command line, finding the data and the player's folders, start-up,
// main menu (or the replay of --replay), shutdown. Returns the process exit code: 0, 1 when there
// is nothing to play with (no data folder or a file missing from it, no display, no window, a
// refused replay), 2 for a wrong command line.
int RunProgram(int argc, char **argv);

// The world boards (when the player takes part): the client started after the player's folders
// (sending what waits in the outbox), a finished game's kept replay sent under the name entered
// with its scores, and the client stopped (what is unsent stays in the outbox for the next run).
void StartWorldScores();
void SendWorldGame(const std::string &replayFile, const std::string &name, const tgamescores &scores);
void StopWorldScores();
void RunMainMenu();
