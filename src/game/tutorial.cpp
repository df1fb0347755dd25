#include "game/tutorial.h"

#include "game/camera.h"
#include "game/objects.h"
#include "game/state.h"
#include "persist/options.h"

namespace {

void Set(thint &h, const char *line1, const char *line2, bool pointer, tvector target, bool urgent) {
  h.line1 = line1;
  h.line2 = line2;
  h.secondBox = 1;
  h.pointer = pointer;
  h.target = target;
  h.urgent = urgent;
}

}  // namespace

bool TutorialShown() {
  if (!Options.tutorial) return false;
  if (Game.dayNumber == 1) return true;
  return Game.dayNumber >= Game.helpDay && Ending.heliActive && OnScreen(heli.pos);
}

thint ChooseHint() {
  thint h{"explore your surroundings to find supply crates", "", 0, 0, 0, {0, 0}};
  const double t = Game.timeOfDay;
  const bool baseInView = OnScreen(basePos);
  if (baseInView)
    Set(h, "this is your base. bring supply crates back here.", "you must defend your base from the zombies.", true,
        basePos, false);
  for (const tpickup &k : pickupList)
    if (k.active && OnScreen(k.body.pos))
      Set(h, "this is a weapon crate. press use while on it to use it.",
          "picking it up will swap your current weapon for it.", true, k.body.pos, false);
  for (const tcrate &c : crateList)
    if (c.active && OnScreen(c.pos))
      Set(h, "this is a supply crate. walk over it to pick it up.",
          "you can only hold one at once so take it back to base.", true, c.pos, false);
  if (Game.carryingCrate)
    Set(h, "good job! now take the crate back to your base.",
        "bringing it back will make a new defender and add supplies.", true, basePos, false);
  for (const tdefender &d : defenderList)
    if (d.active && OnScreen(d.pos))
      Set(h, "great! you have a defender to help fend off zombies.",
          "they fight well and are vital in protecting your base.", true, d.pos, false);
  if (t > 0.5)
    Set(h, "oh no! night is coming! get back to base!", "zombies attack at night and base death is game over.", true,
        basePos, true);
  if (t > NIGHT_TIME && baseInView)
    Set(h, "keep the zombies off your base and defenders!",
        "the zombies will kill your guys and base if you do not help.", false, h.target, false);
  if (t > 0.875 && baseInView)
    Set(h, "dawn is coming soon. the zombies will calm down at dawn.",
        "try to last until then and good luck on your second day!", false, h.target, false);
  if (Ending.heliActive && OnScreen(heli.pos))
    Set(h, "help has arrived! you have a ticket out of this mess!",
        "follow the heli and use the rope it drops near your base.", true, heli.pos, true);
  return h;
}
