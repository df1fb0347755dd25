#include "contentc/animation_source.h"

#include <cstdio>
#include <filesystem>

#include "actors/models.h"
#include "base/files.h"
#include "contentc/contentc.h"
#include "contentc/source_text.h"

const char *const ANIMATION_NAMES[4] = {"walk2", "stand2", "jumpa2", "jumpb2"};

tanim ParseAnimation(const std::string &file, const std::string &text, const SkeletonSource &skeleton) {
  tanim anim{};
  bool hasLength = false;
  int lengthLine = 0;
  const size_t n = skeleton.parts.size();
  std::vector<bool> set;  // which values the current frame has named
  for (const SourceLine &line : SplitSource(file, text)) {
    const std::string &key = line.words[0];
    if (key == "length") {
      if (hasLength) line.fail("length was already given on line " + std::to_string(lengthLine));
      line.expect_count(1, "length SECONDS");
      anim.length = line.number_at(1, "SECONDS");
      if (anim.length <= 0) line.fail("length must be above 0");
      hasLength = true;
      lengthLine = line.number;
    } else if (key == "frame") {
      line.expect_count(1, "frame TIME");
      double t = line.number_at(1, "TIME");
      if (anim.frames.empty() && t != 0) line.fail("the first key frame must be at time 0");
      if (!anim.frames.empty() && t <= anim.frames.back().time)
        line.fail("key frame times must increase (the previous one is at " + std::to_string(anim.frames.back().time) +
                  ")");
      tframe f;
      f.time = t;
      f.values.assign(n + 2, 0.0);
      for (size_t i = 0; i < n; ++i) f.values[i] = skeleton.parts[i].angle;
      anim.frames.push_back(f);
      set.assign(n + 2, false);
    } else {
      if (anim.frames.empty()) line.fail("'" + key + "' comes before the first 'frame TIME'");
      tframe &f = anim.frames.back();
      size_t i = 0;
      while (i < line.words.size()) {
        const std::string &name = line.words[i];
        if (name == "pivot") {
          if (set[n]) line.fail("pivot is set twice in this frame");
          if (i + 2 >= line.words.size()) line.fail("expected: pivot X Y");
          f.values[n] = line.number_at(i + 1, "pivot X");
          f.values[n + 1] = line.number_at(i + 2, "pivot Y");
          set[n] = set[n + 1] = true;
          i += 3;
          continue;
        }
        int part = skeleton.index(name);
        if (part < 0) line.fail("unknown part '" + name + "' (the skeleton has no part of that name)");
        if (set[part]) line.fail("part '" + name + "' is set twice in this frame");
        if (i + 1 >= line.words.size()) line.fail("expected an angle after '" + name + "'");
        f.values[part] = line.number_at(i + 1, "angle");
        set[part] = true;
        i += 2;
      }
    }
  }
  if (!hasLength) throw SourceError(file + ": missing 'length SECONDS'");
  if (anim.frames.empty()) throw SourceError(file + ": no key frames");
  if (anim.frames.back().time >= anim.length)
    throw SourceError(SourceWhere(file, lengthLine, "the cycle length must be later than the last key frame"));
  return anim;
}

static bool CompileAnimations(const ContentPaths &paths) {
  std::string skel = paths.sourceDir + "/guys/standard.skeleton";
  SkeletonSource s = ParseSkeleton(skel, ReadSourceFile(skel));
  for (const char *name : ANIMATION_NAMES) {
    std::string src = paths.sourceDir + "/animations/" + name + ".anim";
    tanim a = ParseAnimation(src, ReadSourceFile(src), s);
    if (!WriteDataFile(paths.dataDir + "/animations/" + name + ".ani", EncodeAnimation(a))) return false;
  }
  return true;
}

static ContentStep step("animations", CompileAnimations);
