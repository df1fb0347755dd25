#include "contentc/skeleton_source.h"

#include <cstdio>
#include <filesystem>

#include "actors/models.h"
#include "base/files.h"
#include "contentc/contentc.h"
#include "contentc/source_text.h"

int SkeletonSource::index(const std::string &name) const {
  for (size_t i = 0; i < names.size(); ++i)
    if (names[i] == name) return static_cast<int>(i);
  return -1;
}

namespace {

const char *USAGE =
    "part NAME parent=NAME|self rect=X1,Y1,X2,Y2 [joint=X,Y] [offset=X,Y] [angle=DEGREES] [tag=1|2|h|f] [hidden]";

}  // namespace

SkeletonSource ParseSkeleton(const std::string &file, const std::string &text) {
  SkeletonSource s;
  std::vector<std::string> parentNames;
  std::vector<int> lines;
  for (const SourceLine &line : SplitSource(file, text)) {
    if (line.words[0] != "part") line.fail("unknown keyword '" + line.words[0] + "' (expected: " + USAGE + ")");
    if (line.words.size() < 2) line.fail(std::string("expected: ") + USAGE);
    const std::string &name = line.words[1];
    if (name.find('=') != std::string::npos) line.fail(std::string("the part needs a name first: ") + USAGE);
    if (s.index(name) >= 0) line.fail("part '" + name + "' is defined twice");
    tguypart p{};
    p.visible = 1;
    p.colour[3] = 1;
    p.id = static_cast<int32_t>(s.parts.size());
    std::string parent;
    bool hasRect = false;
    for (size_t i = 2; i < line.words.size(); ++i) {
      const std::string &w = line.words[i];
      if (w == "hidden") {
        p.visible = 0;
        continue;
      }
      size_t eq = w.find('=');
      if (eq == std::string::npos) line.fail("'" + w + "' should be key=value (" + USAGE + ")");
      std::string key = w.substr(0, eq), value = w.substr(eq + 1);
      if (key == "parent") {
        parent = value;
      } else if (key == "rect") {
        std::vector<double> r = NumberList(line, value, 4, "rect");
        if (r[0] >= r[2] || r[1] >= r[3]) line.fail("rect must be X1,Y1,X2,Y2 with X1 < X2 and Y1 < Y2");
        p.corner1 = {r[0], r[1]};
        p.corner2 = {r[2], r[3]};
        hasRect = true;
      } else if (key == "joint") {
        std::vector<double> j = NumberList(line, value, 2, "joint");
        p.pivot = {-j[0], -j[1]};  // the file holds the joint negated
      } else if (key == "offset") {
        std::vector<double> o = NumberList(line, value, 2, "offset");
        p.offset = {o[0], o[1]};
      } else if (key == "angle") {
        p.angle = NumberList(line, value, 1, "angle")[0];
      } else if (key == "tag") {
        if (value.size() != 1 || std::string("12hf").find(value[0]) == std::string::npos)
          line.fail("tag must be 1, 2, h or f, got '" + value + "'");
        p.tag = value[0];
      } else {
        line.fail("unknown setting '" + key + "' (" + USAGE + ")");
      }
    }
    if (parent.empty()) line.fail("part '" + name + "' needs parent=NAME (or parent=self for a root)");
    if (!hasRect) line.fail("part '" + name + "' needs rect=X1,Y1,X2,Y2");
    s.names.push_back(name);
    s.parts.push_back(p);
    parentNames.push_back(parent == "self" ? name : parent);
    lines.push_back(line.number);
  }
  if (s.parts.empty()) throw SourceError(file + ": no parts");
  for (size_t i = 0; i < s.parts.size(); ++i) {
    int parent = s.index(parentNames[i]);
    if (parent < 0) throw SourceError(SourceWhere(file, lines[i], "unknown parent '" + parentNames[i] + "'"));
    s.parts[i].parentid = parent;
  }
  // Every chain of parents must end at a root, or the figure would never be drawn.
  for (size_t i = 0; i < s.parts.size(); ++i) {
    int j = static_cast<int>(i);
    for (size_t steps = 0; s.parts[j].parentid != j; ++steps) {
      if (steps > s.parts.size())
        throw SourceError(SourceWhere(file, lines[i], "part '" + s.names[i] + "' is its own ancestor"));
      j = s.parts[j].parentid;
    }
  }
  return s;
}

static bool CompileSkeleton(const ContentPaths &paths) {
  std::string src = paths.sourceDir + "/guys/standard.skeleton";
  SkeletonSource s = ParseSkeleton(src, ReadSourceFile(src));
  return WriteDataFile(paths.dataDir + "/guys/standard.guy", EncodeGuyParts(s.parts));
}

static ContentStep step("skeleton", CompileSkeleton);
