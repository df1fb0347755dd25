// How a game ends: the player's death, the loss of the base, or the flight out.
#include "game/camera.h"
#include "game/combat.h"
#include "game/rules.h"
#include "game/state.h"

namespace {

// Both losing sequences: 4.5 s of slowing time, a blast, a fade after 5.5 s, over after 6.5 s.
bool LosingSequence(double &timer, uint8_t &blast, tvector where, bool takesControl) {
  timer += Game.frameTime;
  if (timer > 4.5 && !blast) {
    blast = 1;
    Explode(where, false, 4.0, 5.0);
    if (takesControl) Ending.playerControl = 0;
  }
  if (timer > 5.5) Game.fadeOut = 1;
  const bool goesOn = timer <= 6.5;
  if (zoom > 0.3) zoom -= 0.2 * Game.frameTime;
  Game.hurtFlash = 0.85;
  if (Game.timeScale > 0.3) Game.timeScale -= 0.2 * Game.frameTime;
  return goesOn;
}

}  // namespace

bool DeathSequence() { return LosingSequence(Ending.deathTimer, Ending.deathBlast, Player.body.pos, true); }

bool BaseLossSequence() { return LosingSequence(Ending.baseLossTimer, Ending.baseLossBlast, basePos, false); }

bool RescueSequence() {
  bool goesOn = true;
  Ending.playerControl = 0;
  tvector &p = Player.body.pos;
  if (heli.rope > 0) {
    // Climbing the rope while it is pulled in; the defenders gather below.
    p.x = heli.pos.x;
    if (heli.pos.y - heli.rope > p.y) p.y = heli.pos.y - heli.rope;
    for (tdefender &d : defenderList) d.pos = (d.pos * 20 + p) / 21;
  } else {
    cameraFollow = 0;
    if (zoom < 1.2) zoom += 0.5 * Game.frameTime;
    CameraPos = heli.pos;
    p = heli.pos;
    for (tdefender &d : defenderList) d.pos = heli.pos;
    if (heli.pos.x > 27.5) Game.fadeOut = 1;
    if (heli.pos.x > 30.0) goesOn = false;
  }
  return goesOn;
}
