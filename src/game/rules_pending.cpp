// Rules of play not built yet: zombies, weapons, grenades, pickups and the closing sequences
// arrive with combat. Until then the world is quiet and a game never ends by itself.
#include "game/rules.h"

void PoseZombies() {}
void DaySpawner() {}
void NightSpawner() {}
void UpdateZombies() {}
void UpdateParticles() {}
void UpdateBaseObjects() {}
void HeliUpdate() {}
void UpdateGrenades() {}
void PlayerWeaponStep(bool, bool, tvector) {}
void UpdateShots() {}
bool DeathSequence() { return true; }
bool BaseLossSequence() { return true; }
bool RescueSequence() { return true; }
