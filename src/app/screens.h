// The screens opened from the main menu (the game's own screens are in game.h). Each runs its
// own ScreenLoop and returns when the player leaves it (or the program is closing).
#pragma once
#include <cstdint>

// Pages of instructions.txt, stepped with "-page" and "+page".
void InstructionsScreen();
// credits.txt scrolling upward, over and over.
void CreditsScreen();
// Edits a copy of the options; "apply" makes it live, re-creates the window and saves.
void OptionsScreen();
// The four high-score tables, one page each.
void HighScoreScreen();

// The window's title, which the taskbar and the window switcher show.
constexpr const char *kWindowTitle = "red siege";

// Destroys the window and creates it again with the live options' size, depth and mode,
// then re-creates the textures and terrain display lists in the new context. Returns whether the
// window was created.
bool RecreateWindow();
