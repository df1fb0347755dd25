#include "game/world_build.h"

#include <cmath>

#include "game/objects.h"
#include "game/sounds.h"
#include "game/state.h"
#include "world/collision.h"
#include "world/terrain.h"

double baseTileOffset = 0;

namespace {

enum { KIND_MIDDLE = 0, KIND_BASE = 1, KIND_LEFT = 2, KIND_RIGHT = 3 };

const ttilerecord &ChoosePiece(int kind) {
  const std::vector<ttilerecord> &pieces = pieceLibrary[kind];
  return pieces[randomint(static_cast<int>(pieces.size()))];
}

void PlaceTile(int slot, const ttilerecord &piece, tvector offset) {
  ttilerecord &tile = worldRow[slot];
  copyblocks(piece.collision, tile.collision);
  shiftblocks(tile.collision, offset);
  copyblocks(piece.drawn, tile.drawn);
  shiftblocks(tile.drawn, offset);
  tile.desc = piece.desc;  // spots stay in piece coordinates
}

// The trio test, then the crate test: this order of draws is what makes a seed's world.
void ScatterCrates(int slot, const tiledesc &d, tvector offset) {
  if (randomint(2) == 0) spawnweapontrio(d.pickupspot.x + offset.x, d.pickupspot.y + offset.y);
  if (randomreal() > 0.4) {
    spawncrate({d.cratespot.x + offset.x, d.cratespot.y + offset.y});
    Game.spawnweight[slot] += 1.5;
  }
}

void PlaceMiddles(int first, int last, double &h) {
  for (int slot = first; slot <= last; ++slot) {
    const ttilerecord &p = ChoosePiece(KIND_MIDDLE);
    h -= p.desc.leftheight;
    tvector offset = {5.0 * (slot - 7), h};
    ScatterCrates(slot, p.desc, offset);
    PlaceTile(slot, p, offset);
    h += p.desc.rightheight;
  }
}

}  // namespace

bool buildworld() {
  // Checked before anything changes: a world half built from two days is no world at all.
  if (!MissingPieceKinds().empty()) return false;
  reseed();
  double h = 0;
  crateList.clear();
  pickupList.clear();
  if (Ending.heliActive) heli.pos = heli.pos - basePos;  // carried over relative to the base

  {
    const ttilerecord &p = ChoosePiece(KIND_LEFT);
    ScatterCrates(0, p.desc, {-35, 0});
    PlaceTile(0, p, {-35, 0});
    h = p.desc.rightheight - p.desc.leftheight;
  }
  PlaceMiddles(1, 6, h);
  {
    const ttilerecord &p = ChoosePiece(KIND_BASE);
    h -= p.desc.leftheight;
    basePos = {p.desc.basespot.x, p.desc.basespot.y + h};
    baseTileOffset = h;
    PlaceTile(7, p, {0, h});
    h += p.desc.rightheight;
  }
  PlaceMiddles(8, 13, h);
  {
    const ttilerecord &p = ChoosePiece(KIND_RIGHT);
    h -= p.desc.leftheight;
    ScatterCrates(14, p.desc, {35, h});
    PlaceTile(14, p, {35, h});
  }

  if (!defenderList.empty()) dropdefenders();
  if (Ending.heliActive) heli.pos = heli.pos + basePos;
  return true;
}

void placeplayer() {
  // The base tile was lifted by baseTileOffset; summing every piece's rise up to and including
  // the base instead would count the base's own right height and the left end's outer height,
  // and start the player inside or above the ground wherever those are not 0.
  const tiledesc &base = worldRow[7].desc;
  Player.body.pos = {base.startspot.x + 0.01, base.startspot.y + baseTileOffset};
}

void spawncrate(tvector p) { crateList.push_back(tcrate{1, p}); }

void spawnweaponcrate(tvector p) {
  size_t slot = 0;
  while (slot < pickupList.size() && pickupList[slot].active) ++slot;
  if (slot == pickupList.size()) pickupList.push_back(tpickup{});
  tpickup &k = pickupList[slot];
  k.active = 1;
  k.body = {p, {0, 0}, {0, -6}};
  int n = static_cast<int>(weapons.size());
  int w = n > 2 ? 1 + randomint(n - 1) : 1;  // entry 0, the starting weapon, is never offered
  if (randomint(3) == 0) w = n;              // a pack of grenades
  k.item = static_cast<uint8_t>(w);
  k.iconrow = (w >= 0 && w < n) ? weapons[w].iconrow : 3;
}

void spawnweapontrio(double x, double y) {
  spawnweaponcrate({x - 0.2, y});
  spawnweaponcrate({x, y});
  spawnweaponcrate({x + 0.2, y});
}

void dropdefenders() {
  for (tdefender &d : defenderList) {
    if (!d.active) continue;
    thit r = segmentterrain({d.pos.x, basePos.y + 5}, {d.pos.x, basePos.y - 5});
    d.pos = r.point;
  }
}

void startheli() {
  Ending.heliActive = 1;
  heli = theli{};
  heli.pos = {-38, basePos.y + 2};
  PlayGameSound(GAMESOUND_FIXED, SOUND_HELI, SLOT_HELI, heli.pos, 0.125, true);
  heli.target = {basePos.x, basePos.y + 1};
  // The gunner is a new defender riding inside, weapon 1, facing the base.
  tdefender &g = heli.gunner;
  g.active = 1;
  g.dust = 1.0;
  g.pos = heli.pos;
  g.weapon = 1;
  g.aim = heli.pos.x <= basePos.x ? M_PI / 2 : -M_PI / 2;
}
