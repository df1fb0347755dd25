// The figure's skeleton written as text: one line per part, in the order the game numbers them.
#pragma once
#include <string>
#include <vector>

#include "actors/records.h"

struct SkeletonSource {
  std::vector<std::string> names;            // names[i] is part i
  std::vector<tguypart> parts;               // ids are the part indices, pivots the negated joints
  int index(const std::string &name) const;  // -1 when unknown
};

// Throws SourceError ("file:line: message") on bad input.
SkeletonSource ParseSkeleton(const std::string &file, const std::string &text);
