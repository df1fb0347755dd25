#include "world/particles.h"

std::vector<tparticle> particleList;

static bool InZone(char tag, char zone) {
  switch (zone) {
    case 'h': return tag == 'h';
    case 'a': return tag == '1' || tag == '2';
    case 'l': return tag == 'f';
    default: return false;
  }
}

int HideTaggedParts(tguy &guy, char zone) {
  for (size_t i = 0; i < guy.parts.size(); ++i) {
    tguypart &p = guy.parts[i];
    if (!p.visible || !InZone(p.tag, zone)) continue;
    p.visible = 0;
    p.colour[0] = p.colour[1] = p.colour[2] = 0;
    return static_cast<int>(i);
  }
  return -1;
}
