#include "contentc/piece_source.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>

#include "base/files.h"
#include "contentc/contentc.h"
#include "contentc/piece_checks.h"
#include "contentc/piece_props.h"

namespace fs = std::filesystem;

block MakeBlock(double x1, double y1, double x2, double y2) {
  block b{};
  b.active = 1;
  b.corner1 = {std::min(x1, x2), std::min(y1, y2)};
  b.corner2 = {std::max(x1, x2), std::max(y1, y2)};
  return b;
}

namespace {

// Pieces are 5 units wide; a little slack lets a drawn edge meet its neighbour.
constexpr double HALF_WIDTH = 2.5;

block ReadRect(const SourceLine &line) {
  line.expect_count(4, (line.words[0] + " X1 Y1 X2 Y2").c_str());
  double x1 = line.number_at(1, "X1"), y1 = line.number_at(2, "Y1");
  double x2 = line.number_at(3, "X2"), y2 = line.number_at(4, "Y2");
  if (x1 == x2 || y1 == y2) line.fail("the rectangle has no area");
  block b = MakeBlock(x1, y1, x2, y2);
  if (b.corner1.x < -HALF_WIDTH - 1e-9 || b.corner2.x > HALF_WIDTH + 1e-9)
    line.fail("the rectangle reaches outside the piece (x must stay within -2.5 .. 2.5)");
  return b;
}

tvector ReadSpot(const SourceLine &line) {
  line.expect_count(2, (line.words[0] + " X Y").c_str());
  tvector p{line.number_at(1, "X"), line.number_at(2, "Y")};
  if (std::fabs(p.x) > HALF_WIDTH) line.fail("the spot lies outside the piece (x must stay within -2.5 .. 2.5)");
  return p;
}

const char *KNOWN = "kind, leftheight, rightheight, cratespot, pickupspot, startspot, basespot, block, solid, draw";

}  // namespace

PieceSource ParsePiece(const std::string &file, const std::string &text) {
  PieceSource piece;
  piece.name = fs::path(file).stem().string();
  std::map<std::string, int> seen;  // keyword -> line, for settings that may appear once
  bool kindSet = false;
  for (const SourceLine &line : SplitSource(file, text)) {
    const std::string &key = line.words[0];
    static const char *once[] = {"kind",       "leftheight", "rightheight", "cratespot",
                                 "pickupspot", "startspot",  "basespot"};
    for (const char *k : once) {
      if (key != k) continue;
      auto it = seen.find(key);
      if (it != seen.end()) line.fail(key + " was already given on line " + std::to_string(it->second));
      seen[key] = line.number;
    }
    if (key == "kind") {
      line.expect_count(1, "kind middle|base|leftend|rightend");
      static const char *names[] = {"middle", "base", "leftend", "rightend"};
      int k = -1;
      for (int i = 0; i < 4; ++i)
        if (line.words[1] == names[i]) k = i;
      if (k < 0) line.fail("unknown kind '" + line.words[1] + "' (use middle, base, leftend or rightend)");
      piece.desc.kind = static_cast<uint8_t>(k);
      piece.line_of_kind = line.number;
      kindSet = true;
    } else if (key == "leftheight" || key == "rightheight") {
      line.expect_count(1, (key + " Y").c_str());
      (key == "leftheight" ? piece.desc.leftheight : piece.desc.rightheight) = line.number_at(1, "Y");
    } else if (key == "cratespot") {
      piece.desc.cratespot = ReadSpot(line);
    } else if (key == "pickupspot") {
      piece.desc.pickupspot = ReadSpot(line);
    } else if (key == "startspot") {
      piece.desc.startspot = ReadSpot(line);
    } else if (key == "basespot") {
      piece.desc.basespot = ReadSpot(line);
    } else if (key == "block") {
      block b = ReadRect(line);
      piece.collision.push_back(b);
      piece.drawn.push_back(b);
    } else if (key == "solid") {
      piece.collision.push_back(ReadRect(line));
    } else if (key == "draw") {
      piece.drawn.push_back(ReadRect(line));
    } else if (!ExpandProp(line, piece.drawn)) {
      line.fail("unknown keyword '" + key + "' (known: " + KNOWN + "; props: " + PropUsage() + ")");
    }
  }
  auto require = [&](const char *key) {
    if (!seen.count(key)) throw SourceError(file + ": missing '" + key + "'");
  };
  require("kind");
  require("leftheight");
  require("rightheight");
  require("cratespot");
  require("pickupspot");
  if (kindSet && piece.desc.kind == 1) {
    require("startspot");
    require("basespot");
  } else {
    for (const char *k : {"startspot", "basespot"})
      if (seen.count(k)) throw SourceError(SourceWhere(file, seen[k], std::string(k) + " belongs to base pieces only"));
  }
  if (piece.collision.empty()) throw SourceError(file + ": the piece has no collision blocks (block or solid)");
  return piece;
}

std::vector<PieceSource> ReadPieceFolder(const std::string &folder) {
  std::vector<std::string> files;
  std::error_code ec;
  for (const auto &entry : fs::directory_iterator(folder, ec))
    if (entry.is_regular_file() && entry.path().extension() == ".piece") files.push_back(entry.path().string());
  if (ec) throw SourceError(folder + ": cannot list the folder: " + ec.message());
  std::sort(files.begin(), files.end());
  std::vector<PieceSource> pieces;
  for (const std::string &f : files) pieces.push_back(ParsePiece(f, ReadSourceFile(f)));
  return pieces;
}

bool WritePiece(const std::string &dataDir, const PieceSource &piece) {
  std::string base = dataDir + "/zombie levels/" + piece.name;
  return WriteDataFile(base + ".zcg", EncodeBlocks(piece.collision)) &&
         WriteDataFile(base + ".zdg", EncodeBlocks(piece.drawn)) &&
         WriteDataFile(base + ".zmd", EncodeTiledesc(piece.desc));
}

static bool CompilePieces(const ContentPaths &paths) {
  std::vector<PieceSource> pieces = ReadPieceFolder(paths.sourceDir + "/pieces");
  if (pieces.empty()) {
    std::fprintf(stderr, "%s/pieces: no .piece files\n", paths.sourceDir.c_str());
    return false;
  }
  bool ok = true;
  for (const PieceSource &p : pieces) {
    for (const std::string &problem : CheckPiece(p)) {
      std::fprintf(stderr, "%s/pieces/%s.piece: %s\n", paths.sourceDir.c_str(), p.name.c_str(), problem.c_str());
      ok = false;
    }
  }
  if (!ok) return false;
  for (const PieceSource &p : pieces)
    if (!WritePiece(paths.dataDir, p)) return false;
  return true;
}

static ContentStep step("pieces", CompilePieces);
