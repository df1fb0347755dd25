// World sprites: the supply crate, the base emblem, the defender and his arm.
#include <cmath>

#include "contentc/art.h"
#include "contentc/art_draw.h"

Canvas MakeSupplyCrate() {
  const int n = 128;
  Canvas c(n, n, {0.08, 0.05, 0.03, 0});
  const Rgba gap{0.09, 0.06, 0.03, 1};
  c.fillRect(1, 1, n - 1, n - 1, gap);
  // Four horizontal boards with a little grain, separated by dark gaps.
  for (int b = 0; b < 4; ++b) {
    double y0 = 3 + b * 30.5, y1 = y0 + 29;
    c.fillRect(3, y0, n - 3, y1, {0.47, 0.31, 0.16, 1});
  }
  c.shade([](double x, double y, Rgba p) {
    if (p.r < 0.3) return p;
    double grain = TileFbm(x / 40, y / 5, 8, 32, 3, 3) - 0.5;
    double k = 1 + grain * 0.35;
    return Rgba{p.r * k, p.g * k, p.b * k, p.a};
  });
  // Battens round the edge and a brace, darker than the boards.
  const Rgba batten{0.33, 0.21, 0.10, 1};
  c.fillRect(2, 2, n - 2, 16, batten);
  c.fillRect(2, n - 16, n - 2, n - 2, batten);
  c.fillRect(2, 2, 16, n - 2, batten);
  c.fillRect(n - 16, 2, n - 2, n - 2, batten);
  for (double x : {16.0, n - 16.0}) c.fillRect(x - 1, 16, x + 1, n - 16, gap);
  for (double y : {16.0, n - 16.0}) c.fillRect(16, y - 1, n - 16, y + 1, gap);
  // Nail heads at the batten crossings.
  for (double x : {9.0, n - 9.0})
    for (double y : {9.0, n - 9.0}) {
      c.fillCircle(x, y, 2.2, {0.12, 0.10, 0.09, 1});
      c.fillCircle(x - 0.6, y + 0.6, 0.9, {0.45, 0.42, 0.38, 1});
    }
  // The stencilled supply cross, a little worn.
  const double m = n / 2.0, arm = 12, reach = 34;
  Canvas stencil(n, n);
  stencil.fillRect(m - arm, m - reach, m + arm, m + reach, {0.86, 0.80, 0.66, 1});
  stencil.fillRect(m - reach, m - arm, m + reach, m + arm, {0.86, 0.80, 0.66, 1});
  stencil.shade([](double x, double y, Rgba p) {
    p.a *= 0.9 - 0.6 * Smoothstep(0.72, 0.8, TileFbm(x / 5, y / 5, 26, 26, 3, 21));
    return p;
  });
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x) {
      Rgba s = stencil.get(x, y);
      c.blend(x, y, {s.r, s.g, s.b, 1}, s.a);
    }
  // A black outline so the crate sits with the game's silhouettes.
  c.shade([&](double x, double y, Rgba p) {
    double edge = std::fmin(std::fmin(x, n - x), std::fmin(y, n - y));
    if (edge < 3) return Rgba{0.05, 0.04, 0.03, p.a};
    return p;
  });
  c.bleedColour();
  return c;
}

Canvas MakeBaseSymbol() {
  // Alpha only: the game draws it black. A flag with a star cut out, on a pole standing on a
  // plinth as wide as the base column below it. The top rows are not shown (t stops at 0.985).
  const int n = 128;
  Canvas c(n, n, {1, 1, 1, 0});
  const Rgba ink{1, 1, 1, 1};
  c.fillRect(0, 0, n, 7, ink);  // plinth, flush with the column
  c.fillRect(8, 7, n - 8, 12, ink);
  c.fillRect(24, 12, 31, 116, ink);  // pole
  c.fillCircle(27.5, 118, 5, ink);   // finial
  // The flag waves: its top and bottom edges follow the same sine, the fly end is notched.
  std::vector<Pt> flag;
  auto wave = [](double x) { return 5 * std::sin((x - 31) / 92 * 2 * M_PI * 0.9); };
  for (int i = 0; i <= 24; ++i) {
    double x = 31 + 92.0 * i / 24;
    flag.push_back({x, 112 + wave(x)});
  }
  flag.push_back({110, 88 + wave(110)});  // the swallow-tail notch
  for (int i = 24; i >= 0; --i) {
    double x = 31 + 92.0 * i / 24;
    flag.push_back({x, 64 + wave(x)});
  }
  c.fillPolygon(flag, ink);
  // A five-pointed star cut out of the flag.
  std::vector<Pt> star;
  const double sx = 66, sy = 88 + wave(66);
  for (int i = 0; i < 10; ++i) {
    double a = M_PI / 2 + i * M_PI / 5, r = i % 2 ? 6.5 : 16;
    star.push_back({sx + r * std::cos(a), sy + r * std::sin(a)});
  }
  c.erasePolygon(star);
  // Filtering with repeat wrap blends the bottom edge with the last row: repeating the plinth
  // there keeps the seam on the column solid. That row lies beyond the t shown at the top.
  for (int x = 0; x < n; ++x) c.set(x, n - 1, c.get(x, 0));
  return c;
}

// The defender quad is 0.1 wide and 0.23 tall, t 0 at the feet to 0.95 at the head; he faces
// +x and is mirrored by the game. Drawn in those world units.
Canvas MakeDefenderImage() {
  const int w = 64, h = 128;
  Canvas c(w, h, {0.05, 0.05, 0.05, 0});
  const Frame f{w / 2.0, 0, w / 0.1, h * 0.95 / 0.23};
  const Rgba cloth{0.06, 0.065, 0.05, 1}, kit{0.025, 0.025, 0.02, 1};
  // Legs in a relaxed stance, the front one a little forward, trousers tucked into boots.
  f.stroke(c, {{-0.011, 0.098}, {-0.015, 0.056}}, 15, cloth);
  f.stroke(c, {{-0.015, 0.056}, {-0.018, 0.016}}, 12, cloth);
  f.stroke(c, {{0.007, 0.098}, {0.013, 0.056}}, 15, cloth);
  f.stroke(c, {{0.013, 0.056}, {0.013, 0.016}}, 12, cloth);
  f.poly(c, {{-0.030, 0.0}, {-0.005, 0.0}, {-0.006, 0.010}, {-0.011, 0.024}, {-0.025, 0.024}, {-0.029, 0.010}}, kit);
  f.poly(c, {{0.002, 0.0}, {0.028, 0.0}, {0.027, 0.008}, {0.020, 0.013}, {0.020, 0.024}, {0.005, 0.024}}, kit);
  // Torso: narrow at the belt, fuller at the chest, round at the shoulders.
  f.poly(c,
         {{-0.020, 0.096},
          {0.017, 0.096},
          {0.021, 0.125},
          {0.023, 0.155},
          {0.020, 0.176},
          {0.012, 0.186},
          {-0.012, 0.187},
          {-0.019, 0.178},
          {-0.022, 0.150},
          {-0.021, 0.120}},
         cloth);
  f.rect(c, -0.022, 0.097, 0.019, 0.107, kit);                                                       // belt
  f.poly(c, {{0.010, 0.110}, {0.024, 0.112}, {0.026, 0.140}, {0.016, 0.150}, {0.010, 0.140}}, kit);  // pouches
  // A pack on his back with a rolled blanket on top.
  Pt p0 = f(-0.037, 0.118), p1 = f(-0.017, 0.170);
  c.fillRoundRect(p0.x, p0.y, p1.x, p1.y, 3.5, kit);
  f.ellipse(c, -0.026, 0.174, 0.012, 0.0075, kit);
  // Neck, head in profile and a helmet with its brim.
  f.rect(c, -0.005, 0.180, 0.007, 0.192, cloth);
  f.ellipse(c, 0.003, 0.198, 0.0125, 0.0135, cloth);
  f.poly(c, {{0.012, 0.197}, {0.019, 0.193}, {0.014, 0.188}}, cloth);  // nose
  f.poly(c, {{0.006, 0.186}, {0.014, 0.187}, {0.010, 0.183}}, cloth);  // chin
  f.ellipse(c, -0.001, 0.2065, 0.0175, 0.014, kit);
  f.poly(c, {{-0.021, 0.2025}, {0.022, 0.2035}, {0.024, 0.200}, {-0.019, 0.199}}, kit);
  // A faint light along his front edge gives the shape some body without leaving the silhouette.
  Canvas lit = c;
  c.shade([&](double x, double y, Rgba p) {
    if (p.a <= 0) return p;
    int ix = static_cast<int>(x) + 2, iy = static_cast<int>(y);
    bool frontEdge = ix >= w || lit.get(ix, iy).a < 0.5;
    if (!frontEdge) return p;
    return Rgba{p.r + 0.05, p.g + 0.055, p.b + 0.04, p.a};
  });
  c.bleedColour();
  return c;
}

// The arm quad runs from 0.025 behind the shoulder to 0.085 in front of it, 0.05 below to 0.01
// above, on the upper half of the image; the lower half stays clear.
Canvas MakeDefenderArm() {
  const int n = 64;
  Canvas c(n, n, {0.05, 0.05, 0.05, 0});
  const Frame f{0.025 / 0.11 * n, n / 2.0 + 0.05 / 0.06 * (n / 2.0), n / 0.11, (n / 2.0) / 0.06};
  const Rgba sleeve{0.06, 0.065, 0.05, 1}, hand{0.03, 0.03, 0.03, 1};
  f.ellipse(c, 0.0, -0.008, 0.012, 0.0125, sleeve);  // shoulder
  f.poly(c, {{0.0, 0.001}, {0.034, -0.005}, {0.064, -0.0065}, {0.064, -0.0195}, {0.034, -0.0215}, {0.004, -0.0205}},
         sleeve);                                     // upper arm and forearm
  f.rect(c, 0.060, -0.020, 0.066, -0.006, hand);      // cuff
  f.ellipse(c, 0.073, -0.013, 0.0085, 0.0085, hand);  // fist
  f.ellipse(c, 0.079, -0.008, 0.004, 0.0035, hand);   // thumb
  c.bleedColour();
  return c;
}
