// Level pieces: their files, the piece library and the block operations of the world build.
#include "world/terrain.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>

#include "base/files.h"

std::vector<ttilerecord> pieceLibrary[4];
ttilerecord worldRow[WORLD_SLOTS];
uint32_t skylineLayers[9];

const char *const PIECE_FOLDER = "zombie levels";

namespace {

tvector GetVector(const uint8_t *p) { return {GetF64(p), GetF64(p + 8)}; }

void PutVector(uint8_t *p, tvector v) {
  PutF64(p, v.x);
  PutF64(p + 8, v.y);
}

// One line per piece that cannot be used, so a level author sees which file to fix.
void ReportSkipped(const std::string &file, const std::string &why) {
  std::fprintf(stderr, "red siege: level piece %s skipped: %s\n", file.c_str(), why.c_str());
}

}  // namespace

bool DecodeBlocks(const uint8_t *data, size_t size, tblkarray &list) {
  if (size % BLOCK_RECORD_SIZE != 0) return false;
  tblkarray loaded(size / BLOCK_RECORD_SIZE);
  for (size_t i = 0; i < loaded.size(); ++i) {
    const uint8_t *p = data + i * BLOCK_RECORD_SIZE;
    block &b = loaded[i];
    b.active = p[0];
    std::copy(p + 1, p + 40, b.carried);
    b.corner1 = GetVector(p + 40);
    b.corner2 = GetVector(p + 56);
  }
  list.swap(loaded);
  return true;
}

std::vector<uint8_t> EncodeBlocks(const tblkarray &list) {
  std::vector<uint8_t> bytes(list.size() * BLOCK_RECORD_SIZE);
  for (size_t i = 0; i < list.size(); ++i) {
    uint8_t *p = bytes.data() + i * BLOCK_RECORD_SIZE;
    const block &b = list[i];
    p[0] = b.active;
    std::copy(b.carried, b.carried + 39, p + 1);
    PutVector(p + 40, b.corner1);
    PutVector(p + 56, b.corner2);
  }
  return bytes;
}

bool DecodeTiledesc(const uint8_t *data, size_t size, tiledesc &desc) {
  // Only the first record counts; anything after it is ignored.
  if (size < TILEDESC_RECORD_SIZE) return false;
  tiledesc d;
  d.leftheight = GetF64(data);
  d.rightheight = GetF64(data + 8);
  d.cratespot = GetVector(data + 16);
  d.pickupspot = GetVector(data + 32);
  d.kind = data[48];
  std::copy(data + 49, data + 56, d.unused1);
  d.startspot = GetVector(data + 56);
  d.basespot = GetVector(data + 72);
  std::copy(data + 88, data + 96, d.unused2);
  desc = d;
  return true;
}

std::vector<uint8_t> EncodeTiledesc(const tiledesc &desc) {
  std::vector<uint8_t> bytes(TILEDESC_RECORD_SIZE);
  uint8_t *p = bytes.data();
  PutF64(p, desc.leftheight);
  PutF64(p + 8, desc.rightheight);
  PutVector(p + 16, desc.cratespot);
  PutVector(p + 32, desc.pickupspot);
  p[48] = desc.kind;
  std::copy(desc.unused1, desc.unused1 + 7, p + 49);
  PutVector(p + 56, desc.startspot);
  PutVector(p + 72, desc.basespot);
  std::copy(desc.unused2, desc.unused2 + 8, p + 88);
  return bytes;
}

// Loads a block file; on failure the list is empty and `why` says what was wrong.
static bool ReadBlockFile(const std::string &fileName, tblkarray &list, std::string &why) {
  list.clear();
  std::vector<uint8_t> bytes;
  tblkarray loaded;
  if (!ReadFileBytes(fileName, bytes)) {
    why = "cannot be read";
    return false;
  }
  if (!DecodeBlocks(bytes.data(), bytes.size(), loaded)) {
    why = "length " + std::to_string(bytes.size()) + " is not a whole number of 72-byte blocks";
    return false;
  }
  // Whatever the file says, every block read exists.
  for (block &b : loaded) b.active = 1;
  list.swap(loaded);
  return true;
}

bool loadblocks(const std::string &fileName, tblkarray &list) {
  std::string why;
  return ReadBlockFile(fileName, list, why);
}

void copyblocks(const tblkarray &source, tblkarray &destination) { destination = source; }

void shiftblocks(tblkarray &list, tvector offset) {
  for (block &b : list) {
    b.corner1 = b.corner1 + offset;
    b.corner2 = b.corner2 + offset;
  }
}

static void MirrorBlocks(tblkarray &list) {
  for (block &b : list) {
    b.corner1.x = -b.corner1.x;
    b.corner2.x = -b.corner2.x;
    if (b.corner2.x < b.corner1.x) std::swap(b.corner1.x, b.corner2.x);
    if (b.corner2.y < b.corner1.y) std::swap(b.corner1.y, b.corner2.y);
  }
}

void mirrortile(ttilerecord &tile) {
  MirrorBlocks(tile.collision);
  MirrorBlocks(tile.drawn);
  tiledesc &d = tile.desc;
  d.cratespot.x = -d.cratespot.x;
  d.pickupspot.x = -d.pickupspot.x;
  d.startspot.x = -d.startspot.x;
  d.basespot.x = -d.basespot.x;
  std::swap(d.leftheight, d.rightheight);
  if (d.kind == 2)
    d.kind = 3;
  else if (d.kind == 3)
    d.kind = 2;
}

int tileindex(double x) {
  // A lost body can carry a NaN or a huge x; it must still name a real tile.
  if (std::isnan(x)) return 0;
  if (std::fabs(x) < 2.5) return 0;
  double s = x > 0 ? 1.0 : -1.0;
  double k = s + std::trunc((x - 2.5 * s) / 5);
  if (k > 7) return 7;
  if (k < -7) return -7;
  return static_cast<int>(k);
}

static bool LoadBlockFile(const std::string &file, tblkarray &list) {
  std::string why;
  if (ReadBlockFile(file, list, why)) return true;
  ReportSkipped(file, why);
  return false;
}

// The three files of one piece, found whatever the case of their extensions.
struct PieceFiles {
  std::string zcg, zdg, zmd;  // full paths, empty when missing
};

// Reads one piece into `tile`; false (with one line on stderr) when it cannot be used.
static bool LoadPiece(const PieceFiles &files, ttilerecord &tile) {
  std::vector<uint8_t> bytes;
  if (!ReadFileBytes(files.zmd, bytes)) {
    ReportSkipped(files.zmd, "cannot be read");
    return false;
  }
  if (!DecodeTiledesc(bytes.data(), bytes.size(), tile.desc)) {
    ReportSkipped(files.zmd, "shorter than one 96-byte description");
    return false;
  }
  if (tile.desc.kind > 3) {
    ReportSkipped(files.zmd, "kind " + std::to_string(tile.desc.kind) + " is not 0 to 3");
    return false;
  }
  if (!LoadBlockFile(files.zcg, tile.collision) || !LoadBlockFile(files.zdg, tile.drawn)) return false;
  tile.list = 0;
  return true;
}

// The piece files of the folder by piece name, in name order. Level authors on other systems
// save "RUIN.ZCG" as readily as "ruin.zcg", so extensions match in any case; the name itself is
// compared exactly, as the file system does.
static std::map<std::string, PieceFiles> FindPieceFiles(const std::string &folder) {
  namespace fs = std::filesystem;
  std::vector<std::string> files;
  std::error_code ec;
  fs::directory_iterator it(folder, ec);
  for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
    std::error_code typeError;
    if (it->is_regular_file(typeError)) files.push_back(it->path().filename().string());
  }
  // The file system's order is arbitrary: sort so a folder always gives the same library, and
  // so of two files differing only in their extension's case the same one always wins.
  std::sort(files.begin(), files.end());

  std::map<std::string, PieceFiles> pieces;
  for (const std::string &file : files) {
    if (file.size() < 4 || file[file.size() - 4] != '.') continue;
    std::string extension = file.substr(file.size() - 3);
    for (char &c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (extension != "zcg" && extension != "zdg" && extension != "zmd") continue;
    PieceFiles &piece = pieces[file.substr(0, file.size() - 4)];
    std::string &slot = extension == "zcg" ? piece.zcg : extension == "zdg" ? piece.zdg : piece.zmd;
    if (!slot.empty()) {
      ReportSkipped(folder + "/" + file, "another file of the same name, " + slot + ", is used");
      continue;
    }
    slot = folder + "/" + file;
  }
  return pieces;
}

static bool piecesKept = false;

bool loadpieces() {
  if (piecesKept)
    return !pieceLibrary[0].empty() || !pieceLibrary[1].empty() || !pieceLibrary[2].empty() || !pieceLibrary[3].empty();
  std::vector<ttilerecord> library[4];
  const std::string folder = DataPath(PIECE_FOLDER);

  for (const auto &[name, files] : FindPieceFiles(folder)) {
    if (files.zcg.empty()) continue;  // not a piece, or a stray companion
    if (files.zdg.empty() || files.zmd.empty()) {
      std::string missing = files.zdg.empty() ? name + ".zdg" : "";
      if (files.zmd.empty()) missing += (missing.empty() ? "" : " or ") + name + ".zmd";
      ReportSkipped(files.zcg, "no " + missing + " beside it");
      continue;
    }
    ttilerecord tile{};
    if (!LoadPiece(files, tile)) continue;
    uint8_t kind = tile.desc.kind;
    library[kind].push_back(tile);
    // Middle pieces and ends also serve mirrored; the base only as authored.
    if (kind != 1) {
      mirrortile(tile);
      library[tile.desc.kind].push_back(std::move(tile));
    }
  }

  bool found = false;
  for (int k = 0; k < 4; ++k) {
    found = found || !library[k].empty();
    pieceLibrary[k].swap(library[k]);
  }
  return found;
}

bool KeepPiecesLoaded() {
  piecesKept = false;
  const bool found = loadpieces();
  piecesKept = true;
  return found;
}

std::string MissingPieceKinds() {
  // In the order the build places them.
  const struct {
    int kind;
    const char *name;
  } needed[] = {{2, "left end"}, {0, "middle"}, {1, "base"}, {3, "right end"}};
  std::vector<const char *> missing;
  for (const auto &n : needed)
    if (pieceLibrary[n.kind].empty()) missing.push_back(n.name);
  std::string names;
  for (size_t i = 0; i < missing.size(); ++i)
    names += std::string(i == 0 ? "" : i + 1 == missing.size() ? " or " : ", ") + missing[i];
  return names;
}
