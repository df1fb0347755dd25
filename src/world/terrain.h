// Block terrain: level pieces, the piece library, the world row and their display lists.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "base/vector.h"

// One rectangle of a piece (72 bytes in a block file).
struct block {
  uint8_t active;
  uint8_t carried[39];  // kept unchanged, never interpreted
  tvector corner1;      // smaller x, smaller y
  tvector corner2;      // larger x, larger y
};

using tblkarray = std::vector<block>;

// A piece's description (96 bytes in a .zmd file).
struct tiledesc {
  double leftheight;
  double rightheight;
  tvector cratespot;
  tvector pickupspot;
  uint8_t kind;  // 0 middle, 1 base, 2 left end, 3 right end
  uint8_t unused1[7];
  tvector startspot;
  tvector basespot;
  uint8_t unused2[8];
};

struct ttilerecord {
  tblkarray collision;  // what things collide with
  tblkarray drawn;      // what is drawn and casts shadows
  tiledesc desc;
  uint32_t list;  // GL display list of the silhouette, 0 until built
};

constexpr size_t BLOCK_RECORD_SIZE = 72;
constexpr size_t TILEDESC_RECORD_SIZE = 96;
constexpr int WORLD_SLOTS = 15;

extern std::vector<ttilerecord> pieceLibrary[4];  // by kind
extern ttilerecord worldRow[WORLD_SLOTS];         // slot s centred on x = 5 * (s - 7)
extern uint32_t skylineLayers[9];

// The folder of level pieces, under the data folder.
extern const char *const PIECE_FOLDER;
bool loadpieces();
// Reads the pieces now and keeps them: every later loadpieces() (each day's) uses them without
// opening a file, so a replay checker can read all it plays with before it shuts itself off.
bool KeepPiecesLoaded();
// The kinds of piece a world needs and the library lacks, named for a level author ("base",
// "middle or right end"); empty when a whole world can be built from it.
std::string MissingPieceKinds();
// Empties the list and fills it from a block file; false (list empty) when the file cannot be
// read or is not a whole number of records.
bool loadblocks(const std::string &fileName, tblkarray &list);
void copyblocks(const tblkarray &source, tblkarray &destination);
void shiftblocks(tblkarray &list, tvector offset);
void mirrortile(ttilerecord &tile);
int tileindex(double x);
// Both builders delete the lists they replace, so a rebuild every day does not leak.
void buildtilelists();
void buildskyline();
// Clears the stored list names without deleting them: call after the GL context that owned
// them is gone, so the next build cannot delete another list that reuses a name.
void forgetterrainlists();

// Field-by-field images of the file records.
bool DecodeBlocks(const uint8_t *data, size_t size, tblkarray &list);
std::vector<uint8_t> EncodeBlocks(const tblkarray &list);
bool DecodeTiledesc(const uint8_t *data, size_t size, tiledesc &desc);
std::vector<uint8_t> EncodeTiledesc(const tiledesc &desc);
