// The health meter, drawn in the screen plane over the world.
#include <GL/gl.h>

#include "game/state.h"
#include "render/text.h"
#include "view/view.h"

void DrawHud() {
  glLoadIdentity();
  glTranslated(0, 0, -9);
  DrawText("health", {-4.4, 3.4}, false);
  glDisable(GL_TEXTURE_2D);
  Panel({-4.5, 3.3}, {-3.3, 3.15});
  // The black fill is the health left: full when unhurt, gone at the limit (and not clamped
  // beyond it, so it reaches out to the left while the player dies).
  const double h = Game.playerDamage / PLAYER_DAMAGE_LIMIT;
  FillRect({-4.5, 3.3}, {-3.3 - 1.2 * h, 3.15}, {0, 0, 0});
}
