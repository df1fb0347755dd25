// The screens of one game: the game-type menu that starts it, the game's own frame, the day
// transition, the pause menu and the game-end screen.
#pragma once
#include <string>
#include <vector>

#include "base/input.h"
#include "game/frame.h"

// Chooses the game type and the tutorial switch, then runs the whole game inside its frame.
void GameTypeMenu();
// Loads the game data, sets the game up and runs the game's screen loop until it ends.
// Returns at once, with a message box shown, when the data a game needs is missing.
void RunGame();
// The same on a given seed (the daily game's).
void RunGame(uint32_t seed);
// The frame of the game's screen loop; false when the game is over.
bool GameStep();
// This frame's input from the keyboard and mouse, at the options' bindings.
tframeinput WindowFrameInput();
// What the window draws of a game's frame, and its day banners.
extern const tframehooks windowHooks;
// The next day is built (its drawing made when `built`); shows its banner over a fading veil.
void DayTransition(bool built);
// True when "main menu" was chosen.
bool PauseMenu();
// "you win!" or "game over", the four scores and, when one makes its table, the name entry;
// "done" enters the scores, linked to the game's replay file, and saves the tables. A replay's
// end (enterScores false) shows the verdict and the scores only.
void GameEndScreen(bool won, bool enterScores = true, const std::string &replay = "");
// What the end screen says of the world boards while it shows their answer (else empty).
extern std::vector<std::string> endScreenWorldLines;
