// The screens of one game: the game-type menu that starts it, the game's own frame, the day
// transition, the pause menu and the game-end screen.
#pragma once

// Chooses the game type and the tutorial switch, then runs the whole game inside its frame.
void GameTypeMenu();
// Loads the game data, sets the game up and runs the game's screen loop until it ends.
// Returns at once, with a message box shown, when the data a game needs is missing.
void RunGame();
// Resets the game state and runs the first day transition.
void SetupGame();
// The frame of the game's screen loop; false when the game is over.
bool GameStep();
// Clears the world, builds the next day and shows its banner over a fading veil.
void DayTransition();
// True when "main menu" was chosen.
bool PauseMenu();
// "you win!" or "game over", the four scores and, when one makes its table, the name entry;
// "done" enters the scores and saves the tables.
void GameEndScreen(bool won);
