// Key-frame playback: switching, advancing and applying poses, and aiming limbs.
#include "actors/animation.h"

#include <algorithm>
#include <cmath>

#include "base/fmath.h"

namespace {

constexpr double kDegreesPerRadian = 57.29577951308232;

const tanim *AnimationAt(int32_t index) {
  if (index < 0 || static_cast<size_t>(index) >= animations.size()) return nullptr;
  return &animations[index];
}

// How many pose entries of d may be touched: partcount + 2, cut to what its arrays hold, so a
// damaged state is never indexed out of range.
size_t PoseEntries(const tanidata &d) {
  if (d.partcount < 0) return 0;
  size_t n = static_cast<size_t>(d.partcount) + 2;
  n = std::min(n, d.from.values.size());
  n = std::min(n, d.target.values.size());
  return std::min(n, d.rates.size());
}

// Copies a key frame's values into pose; entries the key frame lacks keep `hold`, so an
// animation written for fewer parts leaves the other parts where they are.
void CopyKeyFrame(std::vector<double> &pose, const tframe &key, const std::vector<double> &hold, size_t n) {
  for (size_t i = 0; i < n; ++i) pose[i] = i < key.values.size() ? key.values[i] : hold[i];
}

void ComputeRates(tanidata &d, size_t n) {
  for (size_t i = 0; i < n; ++i) d.rates[i] = (d.target.values[i] - d.from.values[i]) / d.target.time;
}

}  // namespace

void SetAnimation(tanidata &d, int32_t anim, int32_t guy, double blend, uint8_t sync, uint8_t randomframe) {
  if (anim == d.anim) return;
  const tanim *a = AnimationAt(anim);
  if (!a || a->frames.empty()) return;
  if (guy < 0 || static_cast<size_t>(guy) >= guys.size()) return;
  const std::vector<tguypart> &parts = guys[guy].parts;
  const size_t n = PoseEntries(d);
  const size_t pc = d.partcount < 0 ? 0 : static_cast<size_t>(d.partcount);

  d.anim = anim;
  d.frame = 0;
  d.time = 0;

  // Start from the pose the skeleton shows now.
  for (size_t i = 0; i < n && i < pc; ++i)
    if (i < parts.size()) d.from.values[i] = parts[i].angle;
  if (!parts.empty()) {
    if (pc < n) d.from.values[pc] = parts[0].pivot.x;
    if (pc + 1 < n) d.from.values[pc + 1] = parts[0].pivot.y;
  }
  d.from.time = 0;

  const int32_t count = static_cast<int32_t>(std::min<size_t>(a->frames.size(), INT32_MAX));
  if (randomframe) d.frame = randomint(count);

  CopyKeyFrame(d.target.values, a->frames[d.frame], d.from.values, n);
  d.target.time = blend;

  if (sync) {
    // Join the cycle mid-segment: run from this key frame to the next, no blend.
    const int32_t next = (d.frame + 1) % count;
    CopyKeyFrame(d.from.values, a->frames[d.frame], d.from.values, n);
    CopyKeyFrame(d.target.values, a->frames[next], d.from.values, n);
    d.target.time = a->frames[next].time;
  }
  // A zero duration gives infinite rates; the next AdvanceAnimation replaces them unread.
  ComputeRates(d, n);
}

void AdvanceAnimation(tanidata &d) {
  d.finished = 0;
  const tanim *a = AnimationAt(d.anim);
  if (!a || a->frames.empty()) return;
  if (!(d.time > d.target.time)) return;
  const size_t n = PoseEntries(d);

  for (size_t i = 0; i < n; ++i) d.from.values[i] = d.target.values[i];
  d.time = 0;  // any excess is dropped: one key frame per call

  const int32_t last = static_cast<int32_t>(std::min<size_t>(a->frames.size() - 1, INT32_MAX));
  if (d.frame < 0 || d.frame >= last) {
    d.frame = 0;
    d.finished = 1;
  } else {
    d.frame += 1;
  }
  CopyKeyFrame(d.target.values, a->frames[d.frame], d.from.values, n);

  if (d.frame > 0)
    d.target.time = a->frames[d.frame].time - a->frames[d.frame - 1].time;
  else
    d.target.time = a->length - a->frames[last].time;
  d.from.time = 0;
  ComputeRates(d, n);
}

void ApplyPose(tguy &guy, const tanidata &d) {
  const size_t n = PoseEntries(d);
  const size_t pc = d.partcount < 0 ? 0 : static_cast<size_t>(d.partcount);
  const size_t angles = std::min({pc, n, guy.parts.size()});
  for (size_t i = 0; i < angles; ++i) guy.parts[i].angle = d.from.values[i] + d.rates[i] * d.time;
  if (guy.parts.empty()) return;
  if (pc < n) guy.parts[0].pivot.x = d.from.values[pc] + d.rates[pc] * d.time;
  if (pc + 1 < n) guy.parts[0].pivot.y = d.from.values[pc + 1] + d.rates[pc + 1] * d.time;
}

void AimLimb(tguy &guy, char tag, uint8_t flip, double angle, double reach, uint8_t facing) {
  std::vector<tguypart> &parts = guy.parts;
  size_t found = 0;
  while (found < parts.size() && !(parts[found].visible && parts[found].tag == tag)) ++found;
  if (found == parts.size()) return;

  const double sign = facing ? 1.0 : -1.0;
  const double a = sign * angle - parts[0].angle;
  // Two unit bones cannot reach past 2: stretch straight (or fold) instead of making a
  // not-a-number angle that SetAnimation would carry into the next blend.
  double c = reach / 2;
  if (!(c < 1)) c = 1;
  if (c < -1) c = -1;
  const double half = fmath::arccos(c) * kDegreesPerRadian;

  const bool mirrored = (flip != 0) != (facing != 0);
  parts[found].angle = mirrored ? -2 * half : 2 * half;
  const int32_t parent = parts[found].parentid;
  for (tguypart &p : parts)
    if (p.visible && p.id == parent) p.angle = mirrored ? a + half : a - half;
}
