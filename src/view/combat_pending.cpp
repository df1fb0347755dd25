// Drawing that arrives with combat: pickups, grenades, the HUD and the tutorial.
#include "view/view.h"

void DrawPickups() {}
void DrawGrenades() {}
void DrawHud() {}
void DrawTutorial() {}
