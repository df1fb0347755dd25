#include "contentc/weapon_sprites.h"

#include <cmath>

namespace {

// Near-black steel with a faint sheen on top edges, a touch of dark wood: the weapons read as
// silhouettes against the sky like everything else, with just enough detail up close.
const Rgba STEEL{0.07, 0.07, 0.08, 1};
const Rgba DARK{0.025, 0.025, 0.03, 1};
const Rgba SHEEN{0.22, 0.22, 0.24, 1};
const Rgba WOOD{0.13, 0.085, 0.06, 1};

struct Pen {
  Canvas &c;
  // Long guns are drawn full length and then shortened ahead of the hands, so the stock and
  // grip stay where the arms hold them.
  double squeeze = 1.0;
  double X(double x) const { return x <= 60 ? x : 60 + (x - 60) * squeeze; }
  void rect(double x0, double y0, double x1, double y1, Rgba col = STEEL) { c.fillRect(X(x0), y0, X(x1), y1, col); }
  void poly(std::vector<Pt> pts, Rgba col = STEEL) {
    for (Pt &p : pts) p.x = X(p.x);
    c.fillPolygon(pts, col);
  }
  // A one-pixel highlight along the top of a part.
  void sheen(double x0, double x1, double y) { c.fillRect(X(x0), y - 1, X(x1), y, SHEEN); }
  void line(double x0, double y0, double x1, double y1, double w, Rgba col = STEEL) {
    c.line(X(x0), y0, X(x1), y1, w, col);
  }
  // Cuts a hole back to the clear background.
  void hole(int x0, int y0, int x1, int y1) {
    for (int y = y0; y < y1; ++y)
      for (int x = static_cast<int>(X(x0)); x < static_cast<int>(X(x1)); ++x) c.set(x, y, {0.05, 0.05, 0.06, 0});
  }
  void ring(double cx, double cy, double r, double w) {
    cx = X(cx);
    for (int i = 0; i < 24; ++i) {
      double a0 = 2 * M_PI * i / 24, a1 = 2 * M_PI * (i + 1) / 24;
      c.line(cx + r * std::cos(a0), cy + r * std::sin(a0), cx + r * std::cos(a1), cy + r * std::sin(a1), w, STEEL);
    }
  }
};

// The bore lies at y = 38.4 (60% up): shots leave along it. The gun hand grips near x = 41, the
// other hand near x = 59, the shoulder is at x = 16.
constexpr double BORE = 38.4;

void TriggerGuard(Pen &p, double x, double y) {
  p.line(x, y, x + 12, y, 2);
  p.line(x + 12, y, x + 14, y + 5, 2);
  p.line(x + 3, y + 6, x + 6, y + 1.5, 1.5, DARK);  // trigger
}

void Pistol(Pen &p) {
  p.rect(34, BORE - 3, 100, BORE + 5);  // slide
  p.sheen(35, 99, BORE + 5);
  for (int x = 40; x < 52; x += 3) p.rect(x, BORE - 2, x + 1, BORE + 4, DARK);  // serrations
  p.rect(96, BORE + 5, 99, BORE + 7);                                           // front sight
  p.rect(35, BORE + 5, 39, BORE + 7);                                           // rear sight
  p.rect(38, BORE - 8, 92, BORE - 3);                                           // frame
  p.rect(98, BORE - 1.5, 101, BORE + 1.5, DARK);                                // muzzle
  p.poly({{36, BORE - 3}, {53, BORE - 3}, {49, 12}, {33, 12}});                 // grip, raked back
  p.poly({{37, BORE - 8}, {51, BORE - 8}, {48, 14}, {35, 14}}, DARK);
  p.rect(32, 11, 50, 13);  // magazine base
  TriggerGuard(p, 52, BORE - 16);
  p.rect(32, BORE + 2, 36, BORE + 6);  // hammer
}

void Revolver(Pen &p) {
  p.rect(64, BORE - 2.5, 112, BORE + 3);  // barrel
  p.rect(64, BORE + 3, 110, BORE + 5);    // rib
  p.sheen(64, 110, BORE + 5);
  p.rect(106, BORE + 5, 110, BORE + 8);  // front sight
  p.rect(62, BORE - 6, 90, BORE - 2.5);  // ejector rod housing
  p.rect(44, BORE - 8, 64, BORE + 6);    // cylinder
  p.sheen(45, 63, BORE + 6);
  for (int y = -5; y < 6; y += 4) p.rect(46, BORE + y, 62, BORE + y + 1, DARK);            // flutes
  p.rect(36, BORE - 8, 46, BORE + 7);                                                      // frame
  p.poly({{34, BORE + 5}, {40, BORE + 7}, {36, BORE + 11}, {31, BORE + 9}});               // hammer spur
  p.poly({{36, BORE - 8}, {50, BORE - 8}, {46, 20}, {40, 12}, {28, 12}, {31, 24}}, WOOD);  // grip
  p.poly({{37, BORE - 10}, {45, BORE - 10}, {42, 18}, {36, 15}}, {0.09, 0.06, 0.045, 1});
  TriggerGuard(p, 48, BORE - 16);
}

void Smg(Pen &p) {
  p.rect(30, BORE - 6, 98, BORE + 6);  // receiver
  p.sheen(31, 97, BORE + 6);
  p.rect(98, BORE - 2, 118, BORE + 2);        // barrel
  p.rect(96, BORE - 4, 110, BORE + 4, DARK);  // shroud
  for (int x = 99; x < 108; x += 4) p.hole(x, static_cast<int>(BORE - 1), x + 2, static_cast<int>(BORE + 2));
  p.rect(90, BORE + 6, 93, BORE + 10);                               // front sight
  p.rect(34, BORE + 6, 40, BORE + 9);                                // rear sight
  p.poly({{60, BORE - 6}, {70, BORE - 6}, {72, 6}, {62, 6}}, DARK);  // straight magazine
  p.poly({{38, BORE - 6}, {50, BORE - 6}, {47, 16}, {36, 16}});      // grip
  TriggerGuard(p, 50, BORE - 14);
  // folded wire stock
  p.line(30, BORE + 2, 6, BORE + 1, 2.5);
  p.line(30, BORE - 4, 8, BORE - 6, 2.5);
  p.line(7, BORE + 2, 7, BORE - 7, 3);
  p.rect(58, BORE - 1, 66, BORE + 1, DARK);  // ejection port
}

void Shotgun(Pen &p) {
  p.squeeze = 0.8;
  p.rect(40, BORE - 2, 148, BORE + 3);  // barrel
  p.sheen(60, 147, BORE + 3);
  p.rect(62, BORE - 6, 140, BORE - 2, DARK);  // magazine tube
  p.rect(144, BORE + 3, 147, BORE + 5);       // bead sight
  p.rect(82, BORE - 8, 114, BORE - 1, WOOD);  // pump
  for (int x = 85; x < 112; x += 4) p.rect(x, BORE - 8, x + 1.5, BORE - 1, {0.08, 0.05, 0.035, 1});
  p.rect(30, BORE - 7, 64, BORE + 5);  // receiver
  p.sheen(31, 63, BORE + 5);
  p.rect(46, BORE - 1, 58, BORE + 2, DARK);  // ejection port
  TriggerGuard(p, 42, BORE - 15);
  // stock: wrist, then the butt dropping to the shoulder
  p.poly({{32, BORE + 3},
          {32, BORE - 7},
          {24, BORE - 14},
          {2, BORE - 18},
          {0, BORE - 17},
          {0, BORE - 1},
          {4, BORE + 1},
          {20, BORE + 2}},
         WOOD);
  p.rect(0, BORE - 18, 3, BORE - 1, DARK);  // butt pad
}

void Rifle(Pen &p) {
  p.squeeze = 0.8;
  // angular stock in line with the bore
  p.poly({{28, BORE + 6}, {28, BORE - 6}, {4, BORE - 13}, {0, BORE - 13}, {0, BORE + 5}, {6, BORE + 6}});
  p.rect(0, BORE - 13, 3, BORE + 5, DARK);
  p.rect(26, BORE - 6, 90, BORE + 7);  // receiver
  p.sheen(27, 89, BORE + 7);
  p.rect(38, BORE + 7, 72, BORE + 10);  // top rail
  for (int x = 40; x < 72; x += 4) p.rect(x, BORE + 10, x + 2, BORE + 11);
  p.rect(44, BORE + 11, 50, BORE + 14);  // rear sight
  p.rect(90, BORE - 5, 124, BORE + 5);   // handguard
  for (int x = 94; x < 120; x += 6) p.hole(x, static_cast<int>(BORE - 2), x + 3, static_cast<int>(BORE + 2));
  p.rect(124, BORE - 1.5, 152, BORE + 1.5);                          // barrel
  p.rect(130, BORE + 1, 133, BORE + 10);                             // front sight post
  p.rect(148, BORE - 2.5, 154, BORE + 2.5, DARK);                    // flash hider
  p.poly({{66, BORE - 6}, {80, BORE - 6}, {88, 8}, {76, 6}}, DARK);  // curved magazine
  p.poly({{40, BORE - 6}, {50, BORE - 6}, {46, 14}, {37, 14}});      // grip
  TriggerGuard(p, 50, BORE - 14);
  p.rect(56, BORE, 64, BORE + 3, DARK);  // ejection port
}

void MachineGun(Pen &p) {
  p.squeeze = 0.8;
  p.poly({{28, BORE + 7}, {28, BORE - 8}, {4, BORE - 14}, {0, BORE - 14}, {0, BORE + 6}});  // stock
  p.rect(0, BORE - 14, 3, BORE + 6, DARK);
  p.rect(26, BORE - 8, 104, BORE + 9);  // heavy receiver
  p.sheen(27, 103, BORE + 9);
  p.rect(40, BORE + 9, 70, BORE + 12);      // feed cover
  p.line(60, BORE + 12, 80, BORE + 16, 3);  // carry handle
  p.line(80, BORE + 16, 92, BORE + 9, 3);
  p.rect(104, BORE - 5, 150, BORE + 5);  // perforated barrel jacket
  for (int x = 108; x < 146; x += 6) {
    p.hole(x, static_cast<int>(BORE + 1), x + 3, static_cast<int>(BORE + 4));
    p.hole(x + 3, static_cast<int>(BORE - 4), x + 6, static_cast<int>(BORE - 1));
  }
  p.rect(150, BORE - 2, 162, BORE + 2);                                // barrel
  p.rect(158, BORE - 3.5, 164, BORE + 3.5, DARK);                      // muzzle
  p.rect(140, BORE + 5, 143, BORE + 11);                               // front sight
  p.poly({{56, BORE - 8}, {86, BORE - 8}, {84, 10}, {58, 10}}, DARK);  // ammunition box
  p.sheen(59, 83, BORE - 8);
  p.poly({{40, BORE - 8}, {50, BORE - 8}, {46, 14}, {37, 14}});  // grip
  TriggerGuard(p, 50, BORE - 15);
  p.line(146, BORE - 5, 118, BORE - 11, 2);  // folded bipod
  p.line(146, BORE - 5, 120, BORE - 14, 2);
}

void Sniper(Pen &p) {
  p.squeeze = 0.8;
  // skeletal stock with a cheek rest and a thumb hole
  p.poly({{40, BORE + 4},
          {40, BORE - 7},
          {30, BORE - 10},
          {4, BORE - 16},
          {0, BORE - 16},
          {0, BORE + 4},
          {8, BORE + 6},
          {24, BORE + 6}},
         WOOD);
  p.hole(14, static_cast<int>(BORE - 8), 26, static_cast<int>(BORE - 2));
  p.rect(0, BORE - 16, 3, BORE + 4, DARK);
  p.rect(38, BORE - 5, 90, BORE + 4);  // action
  p.sheen(39, 89, BORE + 4);
  p.line(58, BORE + 1, 64, BORE - 7, 2.5);  // bolt handle
  p.ring(64, BORE - 8, 2.2, 1.5);
  p.rect(80, BORE - 6, 130, BORE - 1, WOOD);       // fore-end
  p.rect(90, BORE - 2, 186, BORE + 2);             // long barrel
  p.rect(178, BORE - 3.5, 190, BORE + 3.5, DARK);  // muzzle brake
  p.hole(182, static_cast<int>(BORE - 3), 184, static_cast<int>(BORE + 3));
  // scope: tube, bells, mounts, turret
  p.rect(50, BORE + 10, 104, BORE + 15);
  p.poly({{44, BORE + 8}, {52, BORE + 10}, {52, BORE + 15}, {44, BORE + 17}});
  p.poly({{102, BORE + 10}, {112, BORE + 8}, {112, BORE + 18}, {102, BORE + 15}});
  p.sheen(52, 102, BORE + 15);
  p.rect(58, BORE + 4, 63, BORE + 10);
  p.rect(90, BORE + 4, 95, BORE + 10);
  p.rect(74, BORE + 15, 80, BORE + 19);
  p.poly({{48, BORE - 5}, {56, BORE - 5}, {53, 16}, {45, 16}}, WOOD);  // grip
  TriggerGuard(p, 56, BORE - 14);
  p.line(126, BORE - 6, 112, BORE - 17, 2);  // bipod
  p.line(126, BORE - 6, 140, BORE - 17, 2);
}

struct Drawing {
  const char *name;
  void (*draw)(Pen &);
};

const Drawing DRAWINGS[] = {{"pistol", Pistol}, {"revolver", Revolver},     {"smg", Smg},      {"shotgun", Shotgun},
                            {"rifle", Rifle},   {"machinegun", MachineGun}, {"sniper", Sniper}};

}  // namespace

bool DrawWeaponImage(const std::string &name, Canvas &canvas) {
  for (const Drawing &d : DRAWINGS)
    if (name == d.name) {
      Pen p{canvas};
      d.draw(p);
      return true;
    }
  return false;
}

std::vector<std::string> WeaponImageNames() {
  std::vector<std::string> names;
  for (const Drawing &d : DRAWINGS) names.push_back(d.name);
  return names;
}
