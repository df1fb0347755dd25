// What makes a piece playable: its edges meet its neighbours at the heights it claims, its spots
// sit on ground someone can reach, and a player (or a zombie) can cross it. The compiler refuses
// a piece that fails, so an author hears about it before the game does.
#pragma once
#include <string>
#include <vector>

#include "contentc/piece_source.h"

// Where a character's centre can stand: on top of a collision block, with room for its box.
struct Surface {
  double y;       // the block's top
  double x0, x1;  // range of box centres that fit there
};

// Movement limits, a little inside what the game allows so a piece never needs a perfect jump:
// a jump lifts the feet about 0.65, a zombie's hop about 0.6.
constexpr double MAX_STEP_UP = 0.55;
constexpr double MAX_JUMP_GAP = 0.6;
constexpr double MAX_DROP_GAP = 0.8;
constexpr double BOX_HALF_WIDTH = 0.05;
constexpr double BOX_HEIGHT = 0.2;

std::vector<Surface> StandingSurfaces(const tblkarray &collision);
// For every surface, whether it can be reached from any of the `from` surfaces.
std::vector<bool> Reachable(const tblkarray &collision, const std::vector<Surface> &surfaces,
                            const std::vector<int> &from);
// Indices of the surfaces at the given edge (-1 left, +1 right) at height y.
std::vector<int> EdgeSurfaces(const std::vector<Surface> &surfaces, int side, double y);
// Top of the highest collision block under x whose top is at most y (or -infinity).
double GroundBelow(const tblkarray &collision, double x, double halfWidth, double y);
bool BoxIsFree(const tblkarray &collision, double x0, double y0, double x1, double y1);

// Every problem found, in words; empty when the piece is fine.
std::vector<std::string> CheckPiece(const PieceSource &piece);
