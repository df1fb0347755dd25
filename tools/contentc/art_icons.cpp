// Weapon-crate icons: eight square rows (the pickup quad is square), each a dark side view of a
// weapon, muzzle to the right, on a light rounded badge that reads against day and night skies.
#include "contentc/art.h"
#include "contentc/art_draw.h"

namespace {

const int kIcon = 64;  // each row is kIcon x kIcon pixels, drawn in pixel units y up
const Rgba kInk{0.08, 0.08, 0.08, 1};

using Shape = std::vector<Pt>;

void Poly(Canvas &c, const Shape &s) { c.fillPolygon(s, kInk); }
void Rect(Canvas &c, double x0, double y0, double x1, double y1) { c.fillRect(x0, y0, x1, y1, kInk); }
void Line(Canvas &c, const Shape &s, double w) { c.stroke(s, w, kInk); }

void Badge(Canvas &c) {
  // Two clear rows top and bottom keep neighbouring rows apart under filtering.
  c.fillRoundRect(1, 2, kIcon - 1, kIcon - 2, 12, {0.10, 0.09, 0.08, 1});
  c.fillRoundRect(3.5, 4.5, kIcon - 3.5, kIcon - 4.5, 9.5, {0.90, 0.87, 0.78, 1});
  c.shade([](double, double y, Rgba p) {
    if (p.r < 0.5) return p;  // only the light face gets the gentle top-lit gradient
    double k = 0.93 + 0.09 * (y / kIcon);
    return Rgba{p.r * k, p.g * k, p.b * k, p.a};
  });
}

void Pistol(Canvas &c) {
  Poly(c, {{10, 38}, {51, 38}, {51, 47}, {12, 47}, {10, 45}});  // slide
  Rect(c, 49, 47, 51, 49);                                      // front sight
  Rect(c, 11, 47, 14, 49);                                      // rear sight
  Poly(c, {{11, 39}, {27, 38}, {22, 15}, {9, 16}, {8, 22}});    // grip
  Rect(c, 24, 34, 46, 38);                                      // frame under the slide
  Line(c, {{25, 35}, {26, 29}, {33, 28}, {35, 34}}, 2.4);       // trigger guard
  Line(c, {{29.5, 35}, {28.5, 31}}, 2);                         // trigger
}

void Shotgun(Canvas &c) {
  Poly(c, {{2, 29}, {8, 28}, {18, 36}, {18, 44}, {3, 40}});  // stock
  Poly(c, {{17, 36}, {29, 36}, {29, 45}, {17, 45}});         // receiver
  Rect(c, 29, 41.5, 61, 44.5);                               // barrel
  Rect(c, 29, 38, 52, 41.5);                                 // magazine tube
  c.fillRoundRect(34, 35.5, 47, 42.5, 2, kInk);              // pump
  c.fillCircle(60, 45.2, 1.2, kInk);                         // bead sight
  Line(c, {{20, 36}, {21, 31}, {27, 31}, {28, 36}}, 2.2);    // trigger guard
}

void Smg(Canvas &c) {
  Rect(c, 13, 36, 46, 46);                                                               // receiver
  Rect(c, 46, 38, 55, 45);                                                               // barrel shroud
  Rect(c, 55, 40, 60, 43);                                                               // muzzle
  for (double x : {48.0, 51.5}) c.fillRect(x, 40.3, x + 2, 42.7, {0.9, 0.87, 0.78, 1});  // vents
  Rect(c, 49, 45, 51, 48);                                                               // front sight
  Poly(c, {{30, 36}, {37, 36}, {37, 13}, {31, 13}});                                     // magazine
  Poly(c, {{17, 37}, {25, 37}, {22, 21}, {15, 22}});                                     // grip
  Line(c, {{13, 44}, {4, 43}, {4, 35}, {13, 37}}, 2.6);                                  // folded wire stock
}

void Grenade(Canvas &c) {
  const Rgba face{0.90, 0.87, 0.78, 1};
  c.fillEllipse(31, 27, 12, 14.5, kInk);                                           // body
  for (double y : {21.0, 27.0, 33.0}) c.fillRect(19, y - 0.7, 43, y + 0.7, face);  // grooves
  for (double x : {25.0, 31.0, 37.0}) c.fillRect(x - 0.7, 14, x + 0.7, 40, face);
  c.fillRoundRect(26, 40, 36, 46, 1.5, kInk);                                                   // fuze
  c.fillRoundRect(24, 45, 38, 50, 2, kInk);                                                     // fuze head
  Poly(c, {{35, 50}, {39, 50}, {46, 41}, {45, 22}, {42, 23}, {42, 40}, {36, 46}});              // lever
  c.stroke({{22, 48}, {19, 51}, {15, 51}, {13, 48}, {14, 44}, {18, 43}, {21, 45}}, 2.2, kInk);  // ring
}

void Rifle(Canvas &c) {
  Poly(c, {{16, 45}, {2, 41}, {2, 30}, {6, 30}, {17, 38}});               // stock
  Rect(c, 16, 37, 37, 46);                                                // receiver
  c.fillRoundRect(36, 38, 49, 45, 1.5, kInk);                             // handguard
  Rect(c, 36, 45, 49, 47.5);                                              // gas tube
  Rect(c, 48, 40.5, 61, 43.5);                                            // barrel
  Rect(c, 54, 43, 56, 49);                                                // front sight
  Poly(c, {{29, 38}, {36, 38}, {38, 30}, {42, 20}, {35, 18}, {31, 28}});  // curved magazine
  Poly(c, {{19, 38}, {26, 38}, {23, 27}, {17, 27}});                      // grip
}

void MachineGun(Canvas &c) {
  Poly(c, {{15, 46}, {2, 43}, {2, 32}, {15, 35}});             // stock
  Rect(c, 14, 35, 38, 48);                                     // receiver
  Line(c, {{19, 48}, {22, 52.5}, {31, 52.5}, {34, 48}}, 2.4);  // carry handle
  Rect(c, 38, 38, 53, 46);                                     // barrel jacket
  for (double x : {40.0, 44.0, 48.0}) c.fillCircle(x + 1.5, 42, 1.2, {0.9, 0.87, 0.78, 1});
  Rect(c, 53, 40.5, 62, 43.5);         // barrel
  Line(c, {{49, 39}, {45, 17}}, 2.4);  // bipod
  Line(c, {{49, 39}, {55, 17}}, 2.4);
  c.fillRoundRect(21, 20, 35, 36, 2, kInk);           // ammunition box
  Poly(c, {{15, 36}, {21, 36}, {19, 25}, {13, 25}});  // grip
}

void Sniper(Canvas &c) {
  Poly(c, {{20, 42}, {3, 40}, {2, 29}, {7, 28}, {13, 33}, {20, 35}});  // stock
  Rect(c, 19, 35, 35, 42);                                             // receiver
  Rect(c, 35, 38.3, 62, 40.9);                                         // barrel
  Rect(c, 22, 42, 24.5, 46);                                           // scope mounts
  Rect(c, 31, 42, 33.5, 46);
  Rect(c, 20, 45.5, 36, 49.5);                                // scope tube
  Poly(c, {{35, 45}, {40, 44}, {40, 51}, {35, 50}});          // objective bell
  Poly(c, {{16, 44.5}, {21, 45.5}, {21, 49.5}, {16, 50.5}});  // eyepiece
  Line(c, {{27, 41}, {29, 34}}, 2);                           // bolt handle
  c.fillCircle(29, 33.5, 1.8, kInk);
  Rect(c, 25, 31, 31, 35);                       // magazine
  Line(c, {{21, 35}, {22, 31}, {25, 31}}, 1.8);  // trigger guard
}

void Revolver(Canvas &c) {
  Rect(c, 31, 41, 58, 47);                            // barrel
  Rect(c, 31, 47, 56, 48.5);                          // top rib
  Poly(c, {{54, 48}, {57, 48}, {57, 51}, {55, 51}});  // front sight
  c.fillRoundRect(19, 34, 33, 49, 2.5, kInk);         // cylinder
  for (double y : {38.5, 44.5}) c.fillRect(21, y - 0.6, 31, y + 0.6, {0.9, 0.87, 0.78, 1});
  Rect(c, 13, 37, 21, 48);                                                        // frame
  Poly(c, {{12, 47}, {15, 47}, {13, 53}, {9, 52}});                               // hammer spur
  Poly(c, {{13, 39}, {22, 36}, {20, 27}, {18, 18}, {9, 18}, {8, 26}, {10, 34}});  // grip
  Line(c, {{22, 35}, {23, 29}, {29, 29}, {31, 34}}, 2.2);                         // trigger guard
}

}  // namespace

Canvas MakeGunIcons() {
  void (*const weapons[8])(Canvas &) = {Pistol, Shotgun, Smg, Grenade, Rifle, MachineGun, Sniper, Revolver};
  Canvas atlas(kIcon, 8 * kIcon);
  for (int row = 0; row < 8; ++row) {
    Canvas icon(kIcon, kIcon, {0.10, 0.09, 0.08, 0});
    Badge(icon);
    weapons[row](icon);
    atlas.blit(icon, 0, row * kIcon);
  }
  return atlas;
}
