// Level pieces: each on its own (solid blocks tinted red over the black silhouette, spots marked,
// a figure for scale) and a whole world chained as the world build chains it.
#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "actors/animation.h"
#include "actors/models.h"
#include "base/files.h"
#include "preview.h"

namespace fs = std::filesystem;

namespace {

struct Piece {
  std::string name;
  ttilerecord tile;
};

std::vector<Piece> LoadAll(const std::string &dataDir) {
  std::vector<Piece> pieces;
  fs::path dir = fs::path(dataDir) / "zombie levels";
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto &e : fs::directory_iterator(dir, ec))
    if (e.path().extension() == ".zcg") names.push_back(e.path().stem().string());
  std::sort(names.begin(), names.end());
  for (const std::string &n : names) {
    Piece p{n, {}};
    std::string base = (dir / n).string();
    std::vector<uint8_t> desc;
    if (!loadblocks(base + ".zcg", p.tile.collision) || !loadblocks(base + ".zdg", p.tile.drawn) ||
        !ReadFileBytes(base + ".zmd", desc) || !DecodeTiledesc(desc.data(), desc.size(), p.tile.desc)) {
      std::fprintf(stderr, "preview: cannot read piece %s\n", n.c_str());
      continue;
    }
    pieces.push_back(p);
  }
  return pieces;
}

void DrawBlocks(const tblkarray &list, tvector shift, float r, float g, float b, float a) {
  for (const block &k : list)
    FillRect(k.corner1.x + shift.x, k.corner1.y + shift.y, k.corner2.x + shift.x, k.corner2.y + shift.y, r, g, b, a);
}

void OutlineBlocks(const tblkarray &list, tvector shift) {
  for (const block &k : list)
    OutlineRect(k.corner1.x + shift.x, k.corner1.y + shift.y, k.corner2.x + shift.x, k.corner2.y + shift.y, 1, 0.15f,
                0.1f, 1.5f);
}

// The marks: the crate as the game draws it, three weapon crates falling from their spot, the
// player's box at the start, the base column.
void DrawSpots(const tiledesc &d, tvector s, bool base) {
  tvector c = {d.cratespot.x + s.x, d.cratespot.y + s.y};
  FillRect(c.x - 0.1, c.y, c.x + 0.1, c.y + 0.2, 0.9f, 0.55f, 0.1f, 0.8f);
  OutlineRect(c.x - 0.1, c.y, c.x + 0.1, c.y + 0.2, 0.5f, 0.25f, 0, 2);
  for (double dx : {-0.2, 0.0, 0.2}) {
    tvector p = {d.pickupspot.x + s.x + dx, d.pickupspot.y + s.y};
    FillRect(p.x - 0.075, p.y - 0.075, p.x + 0.075, p.y + 0.075, 0.2f, 0.8f, 0.3f, 0.7f);
    OutlineRect(p.x - 0.075, p.y - 0.075, p.x + 0.075, p.y + 0.075, 0, 0.4f, 0.1f, 2);
  }
  if (base) {
    tvector b = {d.basespot.x + s.x, d.basespot.y + s.y};
    FillRect(b.x - 0.1, b.y, b.x + 0.1, b.y + 0.45, 0.95f, 0.9f, 0.1f, 0.8f);
    OutlineRect(b.x - 0.1, b.y, b.x + 0.1, b.y + 0.45, 0.5f, 0.45f, 0, 2);
    tvector st = {d.startspot.x + 0.01 + s.x, d.startspot.y + s.y};
    OutlineRect(st.x - 0.05, st.y - 0.1, st.x + 0.05, st.y + 0.1, 0.1f, 0.3f, 1, 2);
  }
}

// A standing figure for scale, its box in blue.
void StandingFigure(tvector pos, tguy &guy) {
  tanidata a{};
  a.scale = 0.075;
  if (animations.size() > 1 && !animations[1].frames.empty()) {
    a.from = animations[1].frames[0];
    a.partcount = static_cast<int32_t>(a.from.values.size()) - 2;
    a.rates.assign(a.from.values.size(), 0.0);
    ApplyPose(guy, a);
  }
  DrawFigureAt(pos, a, guy);
  OutlineRect(pos.x - 0.05, pos.y - 0.1, pos.x + 0.05, pos.y + 0.1, 0.1f, 0.3f, 1, 1);
}

// The first standing height at the left edge, to put the scale figure on.
double LeftGround(const ttilerecord &t) {
  double best = -1e9;
  for (const block &b : t.collision)
    if (b.corner1.x <= -2.4 && b.corner2.x > -2.4) best = std::max(best, b.corner2.y);
  return best;
}

bool OnePiece(const Piece &p, tguy &guy, const std::string &outDir) {
  const ttilerecord &t = p.tile;
  double lo = 1e9, hi = -1e9;
  for (const tblkarray *list : {&t.collision, &t.drawn})
    for (const block &b : *list) {
      hi = std::max(hi, b.corner2.y);
      lo = std::min(lo, b.corner2.y);
    }
  lo = std::min({lo, t.desc.leftheight, t.desc.rightheight}) - 0.5;
  hi = std::max(hi, lo + 1.5) + 0.25;
  const double ppu = 220;  // pixels per unit
  PreviewView v{-2.75, lo, 2.75, hi, static_cast<int>(5.5 * ppu), static_cast<int>((hi - lo) * ppu)};
  v.height = std::min(v.height, 1024);
  v.y1 = v.y0 + v.height / ppu;
  BeginPicture(v);
  DrawBlocks(t.drawn, {0, 0}, 0, 0, 0, 1);
  DrawBlocks(t.collision, {0, 0}, 0.75f, 0.05f, 0.05f, 0.25f);
  OutlineBlocks(t.collision, {0, 0});
  // piece edges and the heights they join at
  Line(-2.5, lo, -2.5, hi, 0.2f, 0.5f, 1, 1);
  Line(2.5, lo, 2.5, hi, 0.2f, 0.5f, 1, 1);
  Line(-2.75, t.desc.leftheight, -2.5, t.desc.leftheight, 0, 0.8f, 1, 4);
  Line(2.5, t.desc.rightheight, 2.75, t.desc.rightheight, 0, 0.8f, 1, 4);
  DrawSpots(t.desc, {0, 0}, t.desc.kind == 1);
  double g = LeftGround(t);
  if (t.desc.kind == 1)
    StandingFigure({t.desc.startspot.x + 0.01, t.desc.startspot.y}, guy);
  else if (g > -1e8 && t.desc.kind != 2)
    StandingFigure({-2.3, g + 0.1}, guy);
  else
    StandingFigure({2.3, t.desc.rightheight + 0.1}, guy);
  return SavePicture(v, outDir + "/piece_" + p.name + ".png");
}

// Lays pieces out as the world build does: the left end unlifted, every other piece lifted so
// its left edge meets the running height.
bool World(const std::vector<Piece> &pieces, const std::string &outDir, const char *file, unsigned seed) {
  std::vector<const ttilerecord *> lib[4];
  std::vector<ttilerecord> mirrored;
  mirrored.reserve(pieces.size());
  for (const Piece &p : pieces) {
    lib[p.tile.desc.kind].push_back(&p.tile);
    if (p.tile.desc.kind == 0 || p.tile.desc.kind == 2 || p.tile.desc.kind == 3) {
      mirrored.push_back(p.tile);
      mirrortile(mirrored.back());
    }
  }
  for (const ttilerecord &m : mirrored) lib[m.desc.kind].push_back(&m);
  for (int k = 0; k < 4; ++k)
    if (lib[k].empty()) {
      std::fprintf(stderr, "preview: no pieces of kind %d, no world picture\n", k);
      return false;
    }
  unsigned state = seed;
  auto pick = [&](int kind) {
    state = state * 1103515245u + 12345u;
    return lib[kind][(state >> 8) % lib[kind].size()];
  };
  std::vector<std::pair<const ttilerecord *, tvector>> row;
  double h = 0;
  for (int slot = 0; slot < WORLD_SLOTS; ++slot) {
    int kind = slot == 0 ? 2 : slot == 14 ? 3 : slot == 7 ? 1 : 0;
    const ttilerecord *t = pick(kind);
    double x = 5.0 * (slot - 7);
    if (slot == 0) {
      row.push_back({t, {x, 0}});
      h = t->desc.rightheight - t->desc.leftheight;
      continue;
    }
    h -= t->desc.leftheight;
    row.push_back({t, {x, h}});
    h += t->desc.rightheight;
  }
  double lo = 1e9, hi = -1e9;
  for (auto &[t, s] : row) {
    lo = std::min(lo, std::min(t->desc.leftheight, t->desc.rightheight) + s.y);
    hi = std::max(hi, std::max(t->desc.leftheight, t->desc.rightheight) + s.y);
  }
  const double ppu = 16;
  PreviewView v{-38, lo - 1.5, 38, hi + 4.5, static_cast<int>(76 * ppu), 0};
  v.height = static_cast<int>((v.y1 - v.y0) * ppu);
  if (v.height > 1024) v.height = 1024;
  v.y1 = v.y0 + v.height / ppu;
  BeginPicture(v);
  for (auto &[t, s] : row) {
    DrawBlocks(t->drawn, s, 0, 0, 0, 1);
    DrawBlocks(t->collision, s, 0.75f, 0.05f, 0.05f, 0.3f);
    DrawSpots(t->desc, s, t->desc.kind == 1);
  }
  return SavePicture(v, outDir + "/" + file);
}

}  // namespace

int PreviewPieces(const std::string &dataDir, const std::string &outDir) {
  std::vector<Piece> pieces = LoadAll(dataDir);
  if (pieces.empty()) {
    std::fprintf(stderr, "preview: no level pieces in %s\n", dataDir.c_str());
    return 1;
  }
  guys.assign(1, tguy{});
  LoadGuy("standard", guys[0], 0.075);
  animations.assign(4, tanim{});
  const char *names[4] = {"walk2", "stand2", "jumpa2", "jumpb2"};
  for (int i = 0; i < 4; ++i)
    LoadAnimation(names[i], static_cast<int32_t>(guys[0].parts.size()), animations[i], i < 2 ? 1.0 : 0.125);
  int failed = 0;
  for (const Piece &p : pieces) failed += OnePiece(p, guys[0], outDir) ? 0 : 1;
  failed += World(pieces, outDir, "world_a.png", 7) ? 0 : 1;
  failed += World(pieces, outDir, "world_b.png", 1234) ? 0 : 1;
  return failed;
}
