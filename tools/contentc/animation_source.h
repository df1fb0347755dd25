// Animations written as text: the cycle length, then key frames naming the parts they turn.
#pragma once
#include <string>

#include "actors/records.h"
#include "contentc/skeleton_source.h"

// Throws SourceError ("file:line: message") on bad input. Each key frame starts from the
// skeleton's rest angles and a pivot of (0, 0); its lines set "PART ANGLE" pairs and
// "pivot X Y" (part 0's pivot, in skeleton units).
tanim ParseAnimation(const std::string &file, const std::string &text, const SkeletonSource &skeleton);

// The animations the game loads, in its order.
extern const char *const ANIMATION_NAMES[4];
