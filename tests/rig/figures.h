// Skeletons and playback states for animation tests; header-only, so the fuzz targets can use
// it too.
#pragma once
#include "actors/records.h"

// `count` visible parts: part 0 the root, every other part hanging from the one before and
// turned 100 + its index degrees; parts 2 and 3 carry the aimed-arm tags '1' and '2'.
inline tguy Chain(int count) {
  tguy g{};
  g.loaded = 1;
  for (int i = 0; i < count; ++i) {
    tguypart p{};
    p.visible = 1;
    p.id = i;
    p.parentid = i == 0 ? 0 : i - 1;
    p.angle = 100 + i;
    p.tag = i == 2 ? '1' : i == 3 ? '2' : 0;
    g.parts.push_back(p);
  }
  return g;
}

// A playback state sized for `partcount` parts, playing animation `anim`, at rest.
inline tanidata PoseState(int partcount, int anim) {
  tanidata d{};
  d.speed = 1;
  d.scale = 0.075;
  d.anim = anim;
  d.partcount = partcount;
  d.from.values.assign(partcount + 2, 0);
  d.target.values.assign(partcount + 2, 0);
  d.rates.assign(partcount + 2, 0);
  return d;
}
