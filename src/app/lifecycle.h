// Program start-up, the main menu and shutdown.
#pragma once

// The whole program: start-up, main menu, shutdown. Returns the process exit code.
int RunProgram();
void RunMainMenu();
