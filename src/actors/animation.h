// Posing skeletons from key-framed animations.
#pragma once
#include <cstdint>

#include "actors/records.h"

// Blends from guys[guy]'s current pose into animation `anim`. Does nothing when that animation is
// already playing, the index names no animation, or the animation has no key frames.
void SetAnimation(tanidata &d, int32_t anim, int32_t guy, double blend, uint8_t sync, uint8_t randomframe);
// Starts the next segment once d.time has passed the current one's duration.
void AdvanceAnimation(tanidata &d);
// Writes the interpolated angles of the parts and part 0's pivot.
void ApplyPose(tguy &guy, const tanidata &d);
// Bends the first visible part tagged `tag` and its parent as a two-bone limb of unit bones.
// A reach beyond what the bones span (|reach| > 2) is taken as fully stretched or folded.
void AimLimb(tguy &guy, char tag, uint8_t flip, double angle, double reach, uint8_t facing);
