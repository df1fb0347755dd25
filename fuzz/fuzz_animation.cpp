// Animation files: decoding, then playing the result on skeletons of the part count it was read
// for and of other part counts.
#include <cmath>
#include <cstdlib>

#include "../tests/rig/figures.h"
#include "actors/animation.h"
#include "actors/models.h"
#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  messageHandler = QuietMessage;
  MaskFloatExceptions();
  if (size < 2) return 0;
  // First byte: the part count the file is read for; second: how the player drives it.
  const int partcount = data[0] % 16;
  const uint8_t drive = data[1];
  data += 2;
  size -= 2;

  tanim anim;
  if (!DecodeAnimation(data, size, partcount, anim)) return 0;
  for (const tframe &f : anim.frames)
    if (f.values.size() != static_cast<size_t>(partcount) + 2) std::abort();
  std::vector<uint8_t> again = EncodeAnimation(anim);
  tanim back;
  if (!DecodeAnimation(again.data(), again.size(), partcount, back)) std::abort();
  if (EncodeAnimation(back) != again) std::abort();

  animations.assign(4, anim);
  animations[2].frames.clear();  // one animation without key frames
  const int counts[3] = {partcount, partcount + 3, partcount / 2};
  for (int k = 0; k < 3; ++k) {
    guys = {Chain(counts[k])};
    // The state is sized for the animation's part count; the skeleton may differ.
    tanidata d = PoseState(k == 1 ? counts[k] : partcount, -1);
    if (k == 2) d.rates.resize(d.rates.size() / 2);  // damaged state arrays
    for (int step = 0; step < 40; ++step) {
      const int which = (drive >> (step % 4)) & 3;
      if (step % 7 == 0) SetAnimation(d, which, 0, 0.1 * which, drive & 1, drive & 2);
      d.time += (drive & 4) ? 0.016 : 0.5;
      AdvanceAnimation(d);
      ApplyPose(guys[0], d);
      AimLimb(guys[0], '1', step & 1, 30.0 * step, 0.3 * which, drive & 8);
    }
  }
  guys.clear();
  animations.clear();
  return 0;
}
