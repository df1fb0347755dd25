// Level pieces written as text: one file per piece in content/pieces/, compiled into the three
// files the game reads ("zombie levels"/NAME.zcg, .zdg and .zmd).
#pragma once
#include <string>
#include <vector>

#include "world/terrain.h"

struct PieceSource {
  std::string name;  // the file name without its extension
  tiledesc desc{};
  tblkarray collision;  // what things stand on and shots hit
  tblkarray drawn;      // the black silhouette
  int line_of_kind = 0;
};

// Parses one piece; throws SourceError ("file:line: message") on bad input.
PieceSource ParsePiece(const std::string &file, const std::string &text);
// Reads and parses every *.piece file of the folder, in name order.
std::vector<PieceSource> ReadPieceFolder(const std::string &folder);
// Writes the three files of a piece into dataDir/"zombie levels"; false with a message on error.
bool WritePiece(const std::string &dataDir, const PieceSource &piece);

// Adds a rectangle in either corner order.
block MakeBlock(double x1, double y1, double x2, double y2);
