#include "game/state_hash.h"

#include <cstring>
#include <string>
#include <vector>

#include "actors/records.h"
#include "base/files.h"
#include "game/camera.h"
#include "game/objects.h"
#include "game/state.h"
#include "game/world_build.h"
#include "world/terrain.h"

namespace {

struct tfnv {
  uint64_t h = Fnv1a64(nullptr, 0);

  void Bytes(const void *data, size_t n) { h = Fnv1a64(static_cast<const uint8_t *>(data), n, h); }
  // Every integer as 8 little-endian bytes, so a field's width does not matter.
  void U(uint64_t v) {
    uint8_t bytes[8];
    PutU64(bytes, v);
    Bytes(bytes, 8);
  }
  void D(double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    U(bits);
  }
  void V(tvector v) {
    D(v.x);
    D(v.y);
  }
  void S(const std::string &s) {
    U(s.size());
    Bytes(s.data(), s.size());
  }
  void Doubles(const std::vector<double> &list) {
    U(list.size());
    for (double v : list) D(v);
  }
};

void Add(tfnv &f, const tbody &b) {
  f.V(b.pos);
  f.V(b.vel);
  f.V(b.accel);
}

void Add(tfnv &f, const tframe &k) {
  f.D(k.time);
  f.Doubles(k.values);
}

void Add(tfnv &f, const tanidata &a) {
  f.D(a.time);
  f.D(a.speed);
  f.D(a.scale);
  f.U(a.anim);
  f.U(a.frame);
  f.U(a.partcount);
  Add(f, a.target);
  Add(f, a.from);
  f.U(a.facing);
  f.U(a.finished);
  f.U(a.movestate);
  f.Doubles(a.rates);
}

void Add(tfnv &f, const tweapon &w) {
  for (double v : {w.rate, w.speed, w.spread, w.damage, w.range, w.noise}) f.D(v);
  for (int32_t v : {w.pellets, w.pickupammo, w.maxammo, w.clip, w.pierce}) f.U(v);
  for (uint8_t v :
       {w.iconrow, w.texture, w.firesound, w.reloadsound, w.semiauto, w.longgrip, w.ejectonfire, w.ejectonreload})
    f.U(v);
  f.S(w.name);
}

void Add(tfnv &f, const tdefender &d) {
  f.U(d.active);
  f.V(d.pos);
  for (double v : {d.damage, d.dust, d.drawaim, d.aim, d.reach}) f.D(v);
  f.U(d.weapon);
  for (double v : {d.cooldown, d.burst, d.scan}) f.D(v);
}

void Add(tfnv &f, const tparticle &o) {
  f.U(o.active);
  Add(f, o.body);
  for (uint8_t v : {o.row, o.moving, o.collides, o.bounces, o.expired, o.clicks}) f.U(v);
  f.V(o.size);
  f.D(o.lifetime);
}

void AddGame(tfnv &f, const tgame &g) {
  f.U(g.dayNumber);
  f.D(g.timeOfDay);
  f.U(g.helpDay);
  f.D(g.supplies);
  f.U(g.survivors);
  f.U(g.kills);
  f.D(g.playerDamage);
  f.D(g.hurtFlash);
  f.U(g.fadeOut);
  f.D(g.fadeLevel);
  f.D(g.spawnTimer);
  for (double w : g.spawnweight) f.D(w);
  f.U(g.despawnCount);
  f.U(g.carryingCrate);
  f.U(g.thinkSlot);
  f.D(g.skyScroll);
  f.U(g.leftDefenders);
  f.U(g.rightDefenders);
  f.D(g.frameTime);
  f.D(g.timeScale);
  f.U(g.actions);
  f.U(g.spentActions);
  f.V(g.pointer);
}

void AddPlayer(tfnv &f, const tplayer &p) {
  Add(f, p.body);
  Add(f, p.anim);
  f.V(p.aimOffset);
  f.V(p.aimPoint);
  f.D(p.aimBearing);
  f.D(p.aimSmoothed);
  f.D(p.armReach);
  f.U(p.activeSlot);
  for (const tweaponslot &s : p.weaponSlots) {
    f.U(s.weapon);
    f.U(s.reserve);
    f.U(s.clip);
  }
  Add(f, p.currentWeapon);
  f.D(p.fireCooldown);
  f.D(p.reloadTimer);
  f.U(p.triggerHeld);
  f.U(p.grenades);
  f.D(p.grenadeCharge);
}

void AddEnding(tfnv &f, const tending &e) {
  f.U(e.playerControl);
  f.U(e.rescueActive);
  f.D(e.deathTimer);
  f.U(e.deathBlast);
  f.D(e.baseLossTimer);
  f.U(e.baseLossBlast);
  f.U(e.heliActive);
}

// The skeletons: posing turns their parts and hits hide them, and the gun point is found from them.
void AddGuys(tfnv &f) {
  f.U(guys.size());
  for (const tguy &g : guys) {
    f.U(g.loaded);
    f.U(g.parts.size());
    for (const tguypart &p : g.parts) {
      f.U(p.visible);
      for (double c : p.colour) f.D(c);
      f.U(p.parentid);
      f.U(p.id);
      f.D(p.angle);
      f.U(static_cast<uint8_t>(p.tag));
      for (tvector v : {p.corner1, p.corner2, p.offset, p.pivot}) f.V(v);
    }
  }
}

void AddWorld(tfnv &f) {
  for (const ttilerecord &t : worldRow) {
    f.U(t.collision.size());
    for (const block &b : t.collision) {
      f.U(b.active);
      f.V(b.corner1);
      f.V(b.corner2);
    }
    const tiledesc &d = t.desc;
    f.D(d.leftheight);
    f.D(d.rightheight);
    for (tvector v : {d.cratespot, d.pickupspot, d.startspot, d.basespot}) f.V(v);
    f.U(d.kind);
  }
  f.V(basePos);
  f.D(baseTileOffset);
}

void AddObjects(tfnv &f) {
  f.U(enemies.size());
  for (const tenemy &e : enemies) {
    f.U(e.active);
    Add(f, e.body);
    Add(f, e.anim);
    f.U(e.guy);
    f.U(e.mode);
    f.D(e.aim);
    f.D(e.timer);
    f.D(e.damage);
    f.V(e.target);
  }
  f.U(shotList.size());
  for (const tshot &s : shotList) {
    for (uint8_t v : {s.active, s.spent, s.source}) f.U(v);
    Add(f, s.body);
    f.V(s.last);
    f.D(s.damage);
    f.U(s.pierce);
    f.U(s.struck);
  }
  f.U(grenadeList.size());
  for (const tparticle &g : grenadeList) Add(f, g);
  f.U(pickupList.size());
  for (const tpickup &p : pickupList) {
    f.U(p.active);
    Add(f, p.body);
    f.U(p.iconrow);
    f.U(p.item);
  }
  f.U(crateList.size());
  for (const tcrate &c : crateList) {
    f.U(c.active);
    f.V(c.pos);
  }
  f.U(defenderList.size());
  for (const tdefender &d : defenderList) Add(f, d);
  f.V(heli.pos);
  f.D(heli.tilt);
  f.D(heli.rope);
  Add(f, heli.gunner);
  f.U(heli.overbase);
  f.V(heli.target);
  f.V(heli.vel);
  f.D(heli.rotor);
}

}  // namespace

uint64_t RuleStateHash() {
  tfnv f;
  AddGame(f, Game);
  AddPlayer(f, Player);
  AddEnding(f, Ending);
  f.V(CameraPos);
  f.D(zoom);
  f.U(cameraFollow);
  f.U(randomState);
  f.U(gameSeed);
  AddWorld(f);
  AddGuys(f);
  AddObjects(f);
  return f.h;
}
