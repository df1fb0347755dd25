// Building terrain blocks and level-piece folders in tests.
#pragma once
#include "rig/rig.h"
#include "world/terrain.h"

inline block Block(double x1, double y1, double x2, double y2, uint8_t active = 1) {
  block b{};
  b.active = active;
  b.corner1 = {x1, y1};
  b.corner2 = {x2, y2};
  return b;
}

// A "zombie levels" folder under a temporary base directory.
struct PieceFolder : TempBase {
  void write(const std::string &file, const std::vector<uint8_t> &bytes) const {
    dir.write("zombie levels/" + file, bytes);
  }
  void piece(const std::string &name, const tiledesc &d, const tblkarray &collision = {},
             const tblkarray &drawn = {}) const {
    write(name + ".zcg", EncodeBlocks(collision));
    write(name + ".zdg", EncodeBlocks(drawn));
    write(name + ".zmd", EncodeTiledesc(d));
  }
};
