// Weapon pickups and supply crates, and the per-frame update of everything at the base.
#include <cmath>

#include "game/base_objects.h"
#include "game/camera.h"
#include "game/particles.h"
#include "game/rules.h"
#include "game/state.h"
#include "world/collision.h"

namespace {

constexpr double kPickupHalf = 0.075;
const tvector kPlayerHalf{CHARACTER_HALF_WIDTH, CHARACTER_HALF_HEIGHT};

// Standing squarely on a crate counts too (a zero push there would say no).
bool Touches(tvector min, tvector max) {
  return boxestouch(Player.body.pos - kPlayerHalf, Player.body.pos + kPlayerHalf, min, max);
}

void TakeWeapon(int32_t item) {
  const tweapon &w = weapons[item];
  tweaponslot &s = Player.weaponSlots[Player.activeSlot & 1];
  const int32_t ammo = static_cast<int32_t>(std::trunc(1.5 * w.pickupammo));
  if (s.weapon == item) {
    s.reserve += ammo;
  } else {
    s.reserve = ammo;
    s.clip = w.clip;
  }
  if (s.reserve > 1.5 * w.maxammo) s.reserve = static_cast<int32_t>(std::trunc(1.5 * w.maxammo));
  s.weapon = item;
}

}  // namespace

void StepPickups() {
  for (tpickup &k : pickupList) {
    if (!k.active || !OnScreen(k.body.pos)) continue;  // out of view they wait where they are
    tparticle o{};
    o.active = 1;
    o.body = k.body;
    o.size = {kPickupHalf, kPickupHalf};
    o.collides = o.bounces = 1;
    o.lifetime = 1;
    LooseObjectStep(o);
    k.body = o.body;
  }
}

void CollectPickups() {
  const size_t grenadePack = weapons.size();
  for (tpickup &k : pickupList) {
    if (!k.active) continue;
    const tvector half{kPickupHalf, kPickupHalf};
    if (!Touches(k.body.pos - half, k.body.pos + half)) continue;
    const bool grenades = k.item == grenadePack;
    if (!grenades && !ActionOn(ACTION_USE)) continue;
    SpendAction(ACTION_USE);  // a held key takes one pickup
    k.active = 0;
    if (grenades) {
      Player.grenades += 3;
      if (Player.grenades > 6) Player.grenades = 9;
    } else if (k.item < grenadePack) {
      TakeWeapon(k.item);
    }
  }
}

void CarryCrates() {
  if (!Game.carryingCrate) {
    for (tcrate &c : crateList) {
      if (!c.active || !Touches({c.pos.x - 0.1, c.pos.y}, {c.pos.x + 0.1, c.pos.y + 0.2})) continue;
      c.active = 0;
      Game.carryingCrate = 1;
      impactburst({c.pos, 'b', 0});
      break;  // one crate at a time: a second one touched stays where it lies
    }
  }
  if (Game.carryingCrate && Touches({basePos.x - 0.1, basePos.y}, {basePos.x + 0.1, basePos.y + 2.0})) {
    Game.carryingCrate = 0;
    Game.supplies += 1.0;
    Game.survivors += 1;
    double d = 1.5 - 3 * randomreal();
    // New defenders take the emptier side of the base.
    if (Game.leftDefenders > Game.rightDefenders) {
      d = std::fabs(d);
      Game.rightDefenders += 1;
    } else {
      d = -std::fabs(d);
      Game.leftDefenders += 1;
    }
    const thit ground = segmentterrain({basePos.x + d, basePos.y + 5}, {basePos.x + d, basePos.y - 5});
    CreateDefender(ground.point);
  }
}

void UpdateBaseObjects() {
  if (!pickupList.empty()) {
    StepPickups();
    CollectPickups();
  }
  if (!crateList.empty()) CarryCrates();
  for (size_t i = 0; i < defenderList.size(); ++i)
    if (defenderList[i].active) DefenderStep(defenderList[i]);
}
