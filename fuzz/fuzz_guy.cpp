// Skeleton files: decoding, re-encoding, walking the part hierarchy and aiming limbs.
#include <cstdlib>

#include "actors/animation.h"
#include "actors/models.h"
#include "actors/skeleton.h"
#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  messageHandler = QuietMessage;
  MaskFloatExceptions();
  tguy guy{};
  guy.loaded = 1;
  guy.parts = DecodeGuyParts(data, size);
  if (guy.parts.size() != size / GUYPART_RECORD_SIZE) std::abort();
  std::vector<uint8_t> again = EncodeGuyParts(guy.parts);
  if (again.size() != guy.parts.size() * GUYPART_RECORD_SIZE) std::abort();
  std::vector<tguypart> back = DecodeGuyParts(again.data(), again.size());
  if (EncodeGuyParts(back) != again) std::abort();

  size_t visits = 0;
  WalkSkeleton(guy, [&](int i, const tplacement &m, bool) {
    if (i < 0 || static_cast<size_t>(i) >= guy.parts.size()) std::abort();
    PlacePoint(m, guy.parts[i].corner1);
    ++visits;
  });
  if (visits > 8 * guy.parts.size() + 64) std::abort();

  AimLimb(guy, '1', 0, 30, 1.5, 1);
  AimLimb(guy, '2', 1, -30, 2.5, 0);
  AimLimb(guy, 'h', 1, 0, -1.8, 1);
  return 0;
}
