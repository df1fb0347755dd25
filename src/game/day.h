// Days: what the day transition resets and builds before the banner shows, and the trim of the
// zombie list's dead tail.
#pragma once

// The next day begins: per-day lists emptied, the clock at dawn, the zombie pressure raised
// for the new day, a new world built when pieces are found, the player at the start point and
// the camera on the player. True when a whole new world was built: its display lists and
// skyline are then the caller's to rebuild.
bool BeginDay();
// Drops inactive zombies from the end of the list, on average every second frame.
void TrimEnemies();
