// The player's weapons: reload, fire, switch, run dry; and the grenade throw.
#include <cmath>

#include "base/fmath.h"
#include "game/combat.h"
#include "game/effects.h"
#include "game/particles.h"
#include "game/rules.h"
#include "game/sounds.h"
#include "game/state.h"

namespace {

constexpr double kReloadMs = 750;
// The reload throws its casings this many milliseconds before it ends.
constexpr double kEjectMs = 325;
// A grenade held this long goes off in the hand.
constexpr double kGrenadeHold = 2.0;

tvector Along(double bearing) { return {fmath::sine(bearing), fmath::cosine(bearing)}; }

// Cases fly back over the shoulder, away from the aim.
double EjectBearing() {
  const bool right = !(Player.aimPoint.x < Player.body.pos.x);
  const double k = right ? 1.1 * M_PI : 1.1 * M_PI - 1.2 * M_PI;
  return k - Player.aimSmoothed;
}

void ThrowGrenade(tvector shoulder) {
  if (!ActionOn(ACTION_GRENADE) && Player.grenadeCharge > 0) {
    if (Player.grenades > 0) {
      double s = Player.grenadeCharge;
      if (s < 0.15) s = 1.0;  // a quick click throws at full strength
      if (s > 1.0) s = 1.0;
      const tvector aim = Player.aimOffset;
      const double length = veclength(aim, false);
      const tvector u = length > 0 ? aim / length : tvector{0, 1};
      SpawnGrenade(shoulder, u * (6 * s), kGrenadeHold - Player.grenadeCharge);
      Player.grenades -= 1;
    }
    Player.grenadeCharge = 0;
  }
  if (Player.grenadeCharge >= kGrenadeHold) {
    Player.grenadeCharge = 0;
    SpendAction(ACTION_GRENADE);  // the button must be pressed again
    if (Player.grenades > 0) {
      Explode(shoulder, true, 0.6, 1.3);
      Player.grenades -= 1;
    }
  }
}

void MuzzleFlash(tvector muzzle) {
  tflash &flash = NewFlash();
  flash.active = 1;
  flash.blast = 0;
  flash.centre = muzzle;
  flash.radius = 0;
  flash.lineWidth = 1.5;
  flash.lineCount = 3 + randomint(6);
  for (int k = 0; k < flash.lineCount; ++k) {
    const double a = Player.aimBearing + (randomreal() - 0.5) * 0.7, length = 0.1 + randomreal() * 0.2;
    const tvector u = Along(a);
    flash.lines[k] = {muzzle + u * 0.05, muzzle + u * length, 1.0};
  }
}

void Fire(tweaponslot &s, const tweapon &w, tvector shoulder) {
  const tvector muzzle = shoulder + Along(Player.aimBearing) * (0.15 * Player.armReach);
  for (int k = 0; k < w.pellets; ++k) {
    const double spread = (randomreal() - 0.5) * w.spread, speed = (randomreal() - 0.5) * 5;
    SpawnShot(muzzle, w.pierce, 1, Player.aimBearing + spread, w.speed + speed, w.damage);
  }
  Player.fireCooldown = 1000 / w.rate;
  if (w.ejectonfire) {
    const tvector from = shoulder + Along(Player.aimSmoothed) * (0.07 * Player.armReach);
    const tvector v = Along(EjectBearing()) * 1.75;
    spawnparticle(PARTICLE_CASE, ROW_CASE, from.x, from.y, v.x, v.y, 0.0125, 0.005);
  }
  // Kick: the arms jump upwards and pull in.
  Player.aimSmoothed += Player.aimPoint.x < Player.body.pos.x ? 0.05 : -0.05;
  Player.armReach -= 0.2 + 0.1 * w.damage * w.pellets;
  AlertZombies(shoulder, w.noise);
  PlayGameSound(GAMESOUND_FIRE, w.firesound, SLOT_NEXT_SHOT, shoulder, 2.0);
  s.reserve -= 1;
  s.clip -= 1;
  Player.triggerHeld = 1;
  MuzzleFlash(muzzle);
}

const tweapon *WeaponAt(int32_t index) {
  if (index < 0 || static_cast<size_t>(index) >= weapons.size()) return nullptr;
  return &weapons[index];
}

}  // namespace

void PlayerWeaponStep(bool trigger, bool switchKey, tvector shoulder) {
  tplayer &p = Player;
  if (p.fireCooldown > 0) p.fireCooldown -= 1000 * Game.frameTime;
  if (p.reloadTimer > 0) p.reloadTimer -= 1000 * Game.frameTime;
  if (!trigger) p.triggerHeld = 0;

  ThrowGrenade(shoulder);

  tweaponslot &s = p.weaponSlots[p.activeSlot & 1];
  const tweapon &w = p.currentWeapon;
  if (p.reloadTimer < 1 && s.clip <= 0) {
    // The reload is done (this also loads the first clip of a game).
    p.reloadTimer = 0;
    if (const tweapon *own = WeaponAt(s.weapon)) s.clip = own->clip;
  }
  if (p.reloadTimer > 1 && p.reloadTimer < kEjectMs && s.clip == 1) {
    // The placeholder round goes: the emptied clip's casings fall out.
    if (w.ejectonreload) {
      const tvector from = shoulder + Along(p.aimSmoothed) * (0.09 * p.armReach);
      const tvector v = Along(EjectBearing()) * -1.0;
      spawnparticle(PARTICLE_CASE, ROW_CLIP_CASE, from.x, from.y, v.x, v.y, 0.01, 0.015);
    }
    s.clip = 0;
  }
  if (Ending.playerControl && trigger && !(w.semiauto == 1 && p.triggerHeld == 1) && p.reloadTimer < 1 &&
      p.fireCooldown < 1)
    Fire(s, w, shoulder);
  if (p.reloadTimer < 1 && s.clip <= 0) {
    // One placeholder round shows until the casings fall.
    s.clip = 1;
    p.reloadTimer = kReloadMs;
    PlayGameSound(GAMESOUND_RELOAD, w.reloadsound, SLOT_RELOAD, shoulder, 2.0);
  }
  if (switchKey) {
    p.activeSlot = 1 - (p.activeSlot & 1);
    SpendAction(ACTION_CHANGE);  // a held key switches once
  }
  tweaponslot &active = p.weaponSlots[p.activeSlot];
  if (active.reserve <= 0) active.weapon = 0;  // run dry: back to the first weapon, which never does
  if (const tweapon *now = WeaponAt(active.weapon)) p.currentWeapon = *now;
}
