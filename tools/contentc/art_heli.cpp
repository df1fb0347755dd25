// The rescue helicopter's body and the laser sight's streak texture.
#include <cmath>

#include "contentc/art.h"
#include "contentc/art_draw.h"

// Side view facing +x on a 2.4 x 1.2 quad. The game spins the rotors itself about fixed points:
// the tail rotor at s 0.0390625, t 0.8046875 and the main rotor at s 0.640625, t 0.71875, so
// the fin's hub and the mast's top sit exactly there. Drawn in texture units (s, t).
Canvas MakeHelicopter() {
  const int w = 256, h = 128;
  Canvas c(w, h, {0.07, 0.08, 0.07, 0});
  const Frame f{0, 0, double(w), double(h)};
  const Rgba body{0.075, 0.085, 0.07, 1}, dark{0.035, 0.04, 0.035, 1}, panel{0.12, 0.135, 0.11, 1};
  const double tailS = 0.0390625, tailT = 0.8046875, mastS = 0.640625, mastT = 0.71875;
  // Skids and their struts.
  f.stroke(c, {{0.42, 0.14}, {0.90, 0.14}, {0.95, 0.17}, {0.965, 0.21}}, 4, dark);
  f.stroke(c, {{0.50, 0.14}, {0.53, 0.31}}, 3.5, dark);
  f.stroke(c, {{0.80, 0.14}, {0.77, 0.31}}, 3.5, dark);
  // Tail boom tapering back to the fin, with the fin and the tail plane.
  f.poly(c, {{0.42, 0.62}, {0.15, 0.68}, {0.05, 0.70}, {0.05, 0.63}, {0.15, 0.60}, {0.42, 0.47}}, body);
  f.poly(c, {{0.005, 0.62}, {0.075, 0.62}, {0.095, 0.70}, {0.075, 0.90}, {0.035, 0.93}, {0.018, 0.86}}, body);
  f.poly(c, {{0.10, 0.625}, {0.19, 0.62}, {0.19, 0.645}, {0.11, 0.65}}, dark);
  f.ellipse(c, tailS, tailT, 0.018, 0.036, dark);  // tail rotor hub
  // Cabin: rounded nose to the right, flat belly, engine housing and the mast on top.
  std::vector<Pt> cabin{{0.40, 0.64}, {0.39, 0.43},  {0.44, 0.34},  {0.52, 0.30}, {0.85, 0.30},  {0.93, 0.33},
                        {0.98, 0.40}, {0.995, 0.48}, {0.975, 0.56}, {0.93, 0.61}, {0.86, 0.655}, {0.70, 0.67}};
  f.poly(c, cabin, body);
  f.poly(c, {{0.47, 0.63}, {0.51, 0.68}, {0.75, 0.68}, {0.79, 0.64}}, body);  // engine cowling
  f.poly(c, {{0.52, 0.68}, {0.54, 0.70}, {0.60, 0.70}, {0.61, 0.68}}, dark);  // exhaust
  f.rect(c, mastS - 0.012, 0.66, mastS + 0.012, mastT - 0.01, dark);          // mast
  f.ellipse(c, mastS, mastT - 0.008, 0.03, 0.022, dark);                      // rotor hub
  // Windows: the glass lets the sky through a little, so they read by day and by night.
  auto window = [&](const std::vector<Pt> &pts) {
    c.erasePolygon(f(pts));
    f.poly(c, pts, {0.20, 0.26, 0.30, 0.55});
  };
  window({{0.83, 0.61}, {0.90, 0.60}, {0.955, 0.54}, {0.975, 0.47}, {0.89, 0.47}, {0.85, 0.52}});
  window({{0.935, 0.46}, {0.975, 0.46}, {0.96, 0.40}, {0.93, 0.39}});  // chin window
  // The open side door, where the gunner sits and the rope comes down.
  f.poly(c, {{0.56, 0.35}, {0.71, 0.35}, {0.71, 0.60}, {0.58, 0.60}, {0.56, 0.57}}, dark);
  window({{0.74, 0.47}, {0.82, 0.47}, {0.82, 0.58}, {0.74, 0.58}});  // cockpit door
  // Panel lines and a faint marking on the boom.
  f.stroke(c, {{0.43, 0.44}, {0.43, 0.61}}, 1.2, panel);
  f.stroke(c, {{0.73, 0.36}, {0.73, 0.62}}, 1.2, panel);
  f.stroke(c, {{0.46, 0.335}, {0.93, 0.335}}, 1.2, panel);
  // Sky light along the roof line.
  f.stroke(c, {{0.41, 0.635}, {0.47, 0.64}, {0.51, 0.685}, {0.75, 0.685}, {0.79, 0.655}, {0.86, 0.65}}, 1.2, panel);
  f.stroke(c, {{0.25, 0.60}, {0.25, 0.555}}, 1.2, panel);
  c.bleedColour();
  return c;
}

// The laser sight line is drawn with texture coordinates of its world position over four, so
// it crosses this tile in every direction: a red haze that flickers as the beam moves.
Canvas MakeLaserSmoke() {
  const int n = 64;
  Canvas c(n, n);
  c.shade([](double x, double y, Rgba) {
    double u = x / n, v = y / n;
    double haze = TileFbm(u * 4, v * 4, 4, 4, 4, 5);
    double wisps = TileFbm(u * 2 + haze * 0.8, v * 8, 2, 8, 3, 9);
    double a = 0.25 + 0.65 * Smoothstep(0.3, 0.75, 0.55 * haze + 0.45 * wisps);
    double warm = Smoothstep(0.5, 0.8, wisps);
    return Rgba{1.0, 0.12 + 0.25 * warm, 0.08 + 0.1 * warm, a};
  });
  return c;
}
