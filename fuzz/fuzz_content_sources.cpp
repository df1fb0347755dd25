// The content compiler's text readers on arbitrary text: they may only accept or complain.
#include <cstddef>
#include <cstdint>
#include <string>

#include "contentc/animation_source.h"
#include "contentc/piece_checks.h"
#include "contentc/piece_source.h"
#include "contentc/screen_text.h"
#include "contentc/skeleton_source.h"
#include "contentc/source_text.h"
#include "contentc/weapon_source.h"
#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  messageHandler = QuietMessage;
  std::string text(reinterpret_cast<const char *>(data), size);
  try {
    PieceSource p = ParsePiece("f.piece", text);
    if (p.collision.size() <= 64) CheckPiece(p);  // the reachability search grows fast with blocks
  } catch (const SourceError &) {
  }
  static const SkeletonSource skeleton = ParseSkeleton(
      "s", "part body parent=self rect=-1,-1,1,1 hidden\npart arm parent=self joint=0,1 rect=0,0,1,1 angle=180\n");
  try {
    ParseSkeleton("f.skeleton", text);
  } catch (const SourceError &) {
  }
  try {
    ParseAnimation("f.anim", text, skeleton);
  } catch (const SourceError &) {
  }
  try {
    ParseWeapons("f.txt", text);
  } catch (const SourceError &) {
  }
  try {
    CheckScreenText("f.txt", text, 48, true);
  } catch (const SourceError &) {
  }
  return 0;
}
