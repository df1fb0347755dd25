// The particle atlas: eight rows, one per kind of debris. Each row is drawn on a square quad
// (or one turned along its flight, the row's first pixel rows leading), sampling t with a small
// margin inside the row, so every row is drawn in its own units u, v in 0..1 with v = 0 at the
// row's first pixel row, and leaves its outermost pixel rows clear.
#include <cmath>

#include "contentc/art.h"
#include "contentc/art_draw.h"

namespace {

const int kAtlasW = 64, kRowH = 32;

Frame RowFrame() { return {0, 0, double(kAtlasW), double(kRowH)}; }

// Row 0: a spark in flight, bright head leading, cooling to orange along its tail.
Canvas Spark() {
  Canvas c(kAtlasW, kRowH, {1, 0.8, 0.3, 0});
  c.shade([](double x, double y, Rgba) {
    double u = x / kAtlasW, v = y / kRowH;
    double along = Smoothstep(0.08, 0.2, v) * (1 - Smoothstep(0.25, 0.92, v) * 0.85);
    double halfWidth = 0.42 - 0.22 * Smoothstep(0.2, 0.92, v);
    double across = 1 - Smoothstep(halfWidth * 0.35, halfWidth, std::fabs(u - 0.5));
    double heat = (1 - Smoothstep(0.15, 0.8, v)) * (1 - Smoothstep(0, halfWidth, std::fabs(u - 0.5)) * 0.6);
    Rgba col = Mix({1.0, 0.45, 0.08, 1}, {1.0, 0.97, 0.75, 1}, heat);
    col.a = along * across;
    if (v < 0.07 || v > 0.93) col.a = 0;
    return col;
  });
  return c;
}

// Row 1: a splat of blood, a blob with droplets thrown round it.
Canvas Blood() {
  Canvas c(kAtlasW, kRowH);
  Frame f = RowFrame();
  const Rgba rim{0.45, 0.03, 0.04, 0.97}, core{0.28, 0.0, 0.02, 1};
  f.ellipse(c, 0.5, 0.5, 0.27, 0.25, rim);
  f.ellipse(c, 0.38, 0.58, 0.16, 0.15, rim);
  f.ellipse(c, 0.63, 0.42, 0.17, 0.15, rim);
  const double drops[][3] = {{0.16, 0.30, 0.06},  {0.84, 0.70, 0.07}, {0.80, 0.22, 0.045}, {0.22, 0.78, 0.05},
                             {0.90, 0.48, 0.035}, {0.10, 0.55, 0.04}, {0.55, 0.84, 0.04},  {0.45, 0.16, 0.045}};
  for (auto &d : drops) f.ellipse(c, d[0], d[1], d[2], d[2], rim);
  f.ellipse(c, 0.5, 0.49, 0.17, 0.16, core);
  c.bleedColour();
  return c;
}

// Row 2: body parts and dropped magazines, plain black boxes filling the sampled rows.
Canvas Solid() {
  Canvas c(kAtlasW, kRowH, {0, 0, 0, 0});
  c.fillRect(0, 2, kAtlasW, kRowH - 2, {0, 0, 0, 1});
  return c;
}

// Rows 3 and 4: a chip of stone, dark with one lit facet.
Canvas Chip(Rgba dark, Rgba lit) {
  Canvas c(kAtlasW, kRowH);
  Frame f = RowFrame();
  std::vector<Pt> outline{{0.10, 0.30}, {0.30, 0.12}, {0.62, 0.10}, {0.90, 0.26},
                          {0.94, 0.58}, {0.76, 0.88}, {0.40, 0.90}, {0.12, 0.70}};
  f.poly(c, outline, dark);
  f.poly(c, {{0.30, 0.12}, {0.62, 0.10}, {0.90, 0.26}, {0.58, 0.48}, {0.26, 0.40}}, lit);
  f.poly(c, {{0.94, 0.58}, {0.76, 0.88}, {0.58, 0.62}, {0.58, 0.48}, {0.90, 0.26}}, Mix(dark, lit, 0.45));
  c.bleedColour();
  return c;
}

// Row 5: a brass cartridge case lying across the row: rim at the left, neck at the right.
Canvas Case() {
  Canvas c(kAtlasW, kRowH);
  Frame f = RowFrame();
  const Rgba brass{0.80, 0.60, 0.20, 1}, shadow{0.50, 0.34, 0.09, 1}, shine{1.0, 0.93, 0.62, 1};
  f.poly(
      c,
      {{0.10, 0.22}, {0.80, 0.22}, {0.88, 0.32}, {0.95, 0.34}, {0.95, 0.66}, {0.88, 0.68}, {0.80, 0.78}, {0.10, 0.78}},
      brass);
  f.rect(c, 0.04, 0.16, 0.12, 0.84, shadow);                                    // the rim
  f.poly(c, {{0.12, 0.22}, {0.80, 0.22}, {0.86, 0.30}, {0.12, 0.36}}, shadow);  // underside
  f.rect(c, 0.16, 0.58, 0.78, 0.67, shine);                                     // the highlight along the body
  c.bleedColour();
  return c;
}

// Rows 6 and 7: round puffs, dust and smoke, soft to the rim and lumpy inside.
Canvas Puff(Rgba col, double peak, uint32_t seed) {
  Canvas c(kAtlasW, kRowH, {col.r, col.g, col.b, 0});
  c.shade([&](double x, double y, Rgba) {
    double u = x / kAtlasW, v = y / kRowH;
    double du = (u - 0.5) / 0.42, dv = (v - 0.5) / 0.42, d = std::sqrt(du * du + dv * dv);
    double lumps = TileFbm(u * 4, v * 4, 4, 4, 3, seed);
    double a = peak * (1 - Smoothstep(0.15, 1, d + (lumps - 0.5) * 0.35)) * (0.75 + 0.5 * lumps);
    double shade = 0.9 + 0.3 * (v - 0.5);  // a little lighter on top when drawn upright
    return Rgba{col.r * shade, col.g * shade, col.b * shade, std::fmin(1, std::fmax(0, a))};
  });
  // The outermost rows must stay clear of the neighbouring rows' filtering.
  for (int x = 0; x < kAtlasW; ++x)
    for (int y : {0, 1, kRowH - 2, kRowH - 1}) c.set(x, y, {col.r, col.g, col.b, 0});
  return c;
}

}  // namespace

Canvas MakeParticleAtlas() {
  Canvas atlas(kAtlasW, 8 * kRowH);
  const Canvas rows[8] = {
      Spark(),
      Blood(),
      Solid(),
      Chip({0.16, 0.16, 0.17, 1}, {0.30, 0.30, 0.31, 1}),  // grit
      Chip({0.22, 0.18, 0.14, 1}, {0.42, 0.36, 0.29, 1}),  // debris
      Case(),
      Puff({0.80, 0.76, 0.68, 1}, 0.6, 11),  // dust
      Puff({0.32, 0.32, 0.34, 1}, 0.8, 7),   // smoke
  };
  for (int k = 0; k < 8; ++k) atlas.blit(rows[k], 0, k * kRowH);
  return atlas;
}
