#include "contentc/piece_props.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

void Add(tblkarray &out, double x1, double y1, double x2, double y2) {
  if (x1 == x2 || y1 == y2) return;
  out.push_back(MakeBlock(x1, y1, x2, y2));
}

// A slanted bar as a run of overlapping rectangles: blocks are axis-aligned, so diagonals are
// stepped, which reads as twisted steel or a bare branch.
void Slant(tblkarray &out, double x0, double y0, double x1, double y1, double width) {
  double len = std::hypot(x1 - x0, y1 - y0);
  int steps = std::max(1, static_cast<int>(std::ceil(len / (width * 1.2))));
  for (int i = 0; i < steps; ++i) {
    double t0 = static_cast<double>(i) / steps, t1 = static_cast<double>(i + 1) / steps;
    double ax = x0 + (x1 - x0) * t0, ay = y0 + (y1 - y0) * t0;
    double bx = x0 + (x1 - x0) * t1, by = y0 + (y1 - y0) * t1;
    double h = width / 2;
    Add(out, std::min(ax, bx) - h, std::min(ay, by) - h, std::max(ax, bx) + h, std::min(ay, by) + h);
    Add(out, std::min(ax, bx) - h, std::min(ay, by) - h, std::min(ax, bx) + h, std::max(ay, by) + h);
  }
}

// A small deterministic scatter, so a prop looks hand-placed but compiles the same every time.
double Hash(double x, double y, int i) {
  double v = std::sin(x * 127.1 + y * 311.7 + i * 74.7) * 43758.5453;
  return v - std::floor(v);
}

double Dir(const SourceLine &line, size_t i) {
  if (line.words.size() <= i) return 1;
  if (line.words[i] == "left") return -1;
  if (line.words[i] == "right") return 1;
  line.fail("expected 'left' or 'right', got '" + line.words[i] + "'");
}

void Lamp(const SourceLine &l, tblkarray &out) {
  if (l.words.size() != 4 && l.words.size() != 5) l.fail("expected: lamp X Y HEIGHT [left|right]");
  double x = l.number_at(1, "X"), y = l.number_at(2, "Y"), h = l.number_at(3, "HEIGHT"), d = Dir(l, 4);
  Add(out, x - 0.025, y, x + 0.025, y + 0.04);  // foot
  Add(out, x - 0.012, y, x + 0.012, y + h);     // pole
  Slant(out, x, y + h - 0.01, x + d * 0.08, y + h + 0.03, 0.016);
  Add(out, x + d * 0.08, y + h + 0.022, x + d * 0.2, y + h + 0.038);  // arm
  Add(out, x + d * 0.15, y + h + 0.0, x + d * 0.22, y + h + 0.03);    // lamp head
}

void Car(const SourceLine &l, tblkarray &out) {
  if (l.words.size() != 3 && l.words.size() != 4) l.fail("expected: car X Y [left|right]");
  double x = l.number_at(1, "X"), y = l.number_at(2, "Y"), d = Dir(l, 3);
  auto X = [&](double v) { return x + d * v; };
  Add(out, X(-0.26), y + 0.035, X(0.27), y + 0.1);    // body
  Add(out, X(0.12), y + 0.035, X(0.28), y + 0.085);   // bonnet nose
  Add(out, X(-0.15), y + 0.1, X(-0.12), y + 0.165);   // rear pillar
  Add(out, X(-0.02), y + 0.1, X(0.0), y + 0.16);      // middle pillar
  Add(out, X(0.1), y + 0.1, X(0.125), y + 0.13);      // broken front pillar
  Add(out, X(-0.16), y + 0.155, X(0.03), y + 0.172);  // roof, caved at the front
  Add(out, X(0.03), y + 0.145, X(0.08), y + 0.158);
  Add(out, X(-0.21), y, X(-0.12), y + 0.06);      // wheels
  Add(out, X(0.11), y + 0.01, X(0.2), y + 0.06);  // a flat one at the front
}

void Fence(const SourceLine &l, tblkarray &out) {
  l.expect_count(4, "fence X1 X2 Y HEIGHT");
  double x1 = l.number_at(1, "X1"), x2 = l.number_at(2, "X2"), y = l.number_at(3, "Y"), h = l.number_at(4, "HEIGHT");
  if (x2 < x1) std::swap(x1, x2);
  int posts = std::max(1, static_cast<int>(std::round((x2 - x1) / 0.22)));
  for (int i = 0; i <= posts; ++i) {
    double px = x1 + 0.01 + (x2 - x1 - 0.02) * i / posts;  // posts stay inside the span
    double ph = h * (0.9 + 0.2 * Hash(px, y, 1));
    Add(out, px - 0.01, y, px + 0.01, y + ph);
  }
  Add(out, x1, y + h * 0.25, x2, y + h * 0.25 + 0.012);
  Add(out, x1, y + h * 0.8, x2, y + h * 0.8 + 0.012);
  // pickets between the posts
  for (double px = x1 + 0.055; px < x2 - 0.02; px += 0.055)
    Add(out, px - 0.004, y + h * 0.25, px + 0.004, y + h * (0.85 + 0.1 * Hash(px, y, 2)));
}

void Facade(const SourceLine &l, tblkarray &out) {
  l.expect_count(6, "facade X1 Y1 X2 Y2 COLUMNS ROWS");
  double x1 = l.number_at(1, "X1"), y1 = l.number_at(2, "Y1"), x2 = l.number_at(3, "X2"), y2 = l.number_at(4, "Y2");
  int cols = l.integer_at(5, "COLUMNS"), rows = l.integer_at(6, "ROWS");
  if (cols < 1 || rows < 1 || cols > 40 || rows > 40) l.fail("COLUMNS and ROWS must be 1 .. 40");
  if (x2 < x1) std::swap(x1, x2);
  if (y2 < y1) std::swap(y1, y2);
  double cw = (x2 - x1) / cols, rh = (y2 - y1) / rows;
  // Piers and bands around window holes; the sky shows through the holes.
  for (int c = 0; c <= cols; ++c) {
    double px = x1 + c * cw;
    double a = c == 0 ? x1 : px - cw * 0.22, b = c == cols ? x2 : px + cw * 0.22;
    if (c == 0) b = x1 + cw * 0.22;
    if (c == cols) a = x2 - cw * 0.22;
    Add(out, a, y1, b, y2);
  }
  for (int r = 0; r <= rows; ++r) {
    double py = y1 + r * rh;
    double a = r == 0 ? y1 : py - rh * 0.25, b = r == rows ? y2 : py + rh * 0.3;
    if (r == 0) b = y1 + rh * 0.3;
    if (r == rows) a = y2 - rh * 0.25;
    Add(out, x1, a, x2, b);
  }
}

void Rubble(const SourceLine &l, tblkarray &out) {
  l.expect_count(4, "rubble X1 X2 Y HEIGHT");
  double x1 = l.number_at(1, "X1"), x2 = l.number_at(2, "X2"), y = l.number_at(3, "Y"), h = l.number_at(4, "HEIGHT");
  if (x2 < x1) std::swap(x1, x2);
  // Broken masonry: lumps of uneven size heaped highest in the middle, a few slabs tipped on
  // their sides and bits of rebar poking out.
  double x = x1;
  int i = 0;
  while (x < x2 - 0.01) {
    double w = std::min(0.035 + 0.09 * Hash(x, y, i), x2 - x);
    double t = (x + w / 2 - x1) / (x2 - x1);
    double top = h * (0.35 + 0.65 * std::sin(t * M_PI)) * (0.55 + 0.6 * Hash(x, y, i + 7));
    Add(out, x, y - 0.01, x + w, y + std::max(0.012, top));
    if (Hash(x, y, i + 11) > 0.55 && w > 0.05) {  // a lump resting on top, offset
      double cx = x + w * (0.2 + 0.5 * Hash(x, y, i + 13)), cw = w * 0.5;
      Add(out, cx, y + top - 0.005, std::min(cx + cw, x2), y + top + h * 0.35);
    }
    if (Hash(x, y, i + 17) > 0.85)  // rebar
      Slant(out, x + w / 2, y + top, x + w / 2 + 0.06 * (Hash(x, y, i + 19) - 0.5), y + top + h * 0.9, 0.006);
    x += w * (0.75 + 0.25 * Hash(x, y, i + 5));
    ++i;
  }
}

void Girder(const SourceLine &l, tblkarray &out) {
  l.expect_count(5, "girder X1 Y1 X2 Y2 WIDTH");
  if (!(l.number_at(5, "WIDTH") >= 0.002)) l.fail("WIDTH must be at least 0.002");
  Slant(out, l.number_at(1, "X1"), l.number_at(2, "Y1"), l.number_at(3, "X2"), l.number_at(4, "Y2"),
        l.number_at(5, "WIDTH"));
}

void Wire(const SourceLine &l, tblkarray &out) {
  l.expect_count(3, "wire X1 X2 Y");
  double x1 = l.number_at(1, "X1"), x2 = l.number_at(2, "X2"), y = l.number_at(3, "Y");
  if (x2 < x1) std::swap(x1, x2);
  Add(out, x1, y + 0.02, x2, y + 0.026);
  for (double x = x1 + 0.02; x < x2; x += 0.045) {
    Add(out, x - 0.003, y, x + 0.003, y + 0.05);
    Add(out, x - 0.012, y + 0.035, x + 0.012, y + 0.04);
  }
}

void Mast(const SourceLine &l, tblkarray &out) {
  l.expect_count(3, "mast X Y HEIGHT");
  double x = l.number_at(1, "X"), y = l.number_at(2, "Y"), h = l.number_at(3, "HEIGHT");
  Add(out, x - 0.01, y, x + 0.01, y + h);
  for (double f : {0.45, 0.7, 0.9}) {
    double w = 0.1 * (1.1 - f);
    Add(out, x - w, y + h * f, x + w, y + h * f + 0.01);
  }
  Slant(out, x, y + h * 0.6, x - h * 0.35, y, 0.006);  // guy wires
  Slant(out, x, y + h * 0.6, x + h * 0.35, y, 0.006);
  Add(out, x - 0.004, y + h, x + 0.004, y + h + 0.06);
}

void Sandbags(const SourceLine &l, tblkarray &out) {
  l.expect_count(4, "sandbags X1 X2 Y ROWS");
  double x1 = l.number_at(1, "X1"), x2 = l.number_at(2, "X2"), y = l.number_at(3, "Y");
  int rows = l.integer_at(4, "ROWS");
  if (rows < 1 || rows > 20) l.fail("ROWS must be 1 .. 20");
  if (x2 < x1) std::swap(x1, x2);
  const double bag = 0.07, h = 0.032;
  for (int r = 0; r < rows; ++r) {
    double inset = r * 0.018, shift = (r % 2) * bag / 2;
    double yy = y + r * h;
    for (double x = x1 + inset - shift; x < x2 - inset - 0.01; x += bag) {
      double a = std::max(x, x1 + inset), b = std::min(x + bag - 0.006, x2 - inset);
      if (b - a > 0.01) Add(out, a, yy, b, yy + h - 0.004);
      if (b - a > 0.02) Add(out, a + 0.004, yy + h - 0.006, b - 0.004, yy + h);
    }
  }
}

void Tree(const SourceLine &l, tblkarray &out) {
  l.expect_count(3, "tree X Y HEIGHT");
  double x = l.number_at(1, "X"), y = l.number_at(2, "Y"), h = l.number_at(3, "HEIGHT");
  Add(out, x - 0.025, y, x + 0.025, y + h * 0.55);
  Slant(out, x, y + h * 0.5, x - h * 0.22, y + h * 0.85, 0.02);
  Slant(out, x, y + h * 0.45, x + h * 0.25, y + h * 0.8, 0.022);
  Slant(out, x, y + h * 0.5, x + h * 0.03, y + h, 0.018);
  Slant(out, x - h * 0.12, y + h * 0.69, x - h * 0.25, y + h * 0.7, 0.01);
  Slant(out, x + h * 0.15, y + h * 0.66, x + h * 0.32, y + h * 0.7, 0.01);
  Slant(out, x + h * 0.02, y + h * 0.8, x + h * 0.12, y + h * 0.95, 0.01);
}

void Sign(const SourceLine &l, tblkarray &out) {
  l.expect_count(4, "sign X Y HEIGHT WIDTH");
  double x = l.number_at(1, "X"), y = l.number_at(2, "Y"), h = l.number_at(3, "HEIGHT"), w = l.number_at(4, "WIDTH");
  Add(out, x - 0.01, y, x + 0.01, y + h);
  Add(out, x - w / 2, y + h - 0.02, x + w / 2, y + h + w * 0.35);
}

struct Prop {
  const char *name;
  void (*expand)(const SourceLine &, tblkarray &);
};

const Prop PROPS[] = {{"lamp", Lamp},         {"car", Car},       {"fence", Fence}, {"facade", Facade},
                      {"rubble", Rubble},     {"girder", Girder}, {"wire", Wire},   {"mast", Mast},
                      {"sandbags", Sandbags}, {"tree", Tree},     {"sign", Sign}};

}  // namespace

bool ExpandProp(const SourceLine &line, tblkarray &drawn) {
  for (const Prop &p : PROPS)
    if (line.words[0] == p.name) {
      // Props are made of many small blocks: bound their arguments so a slip of the finger
      // cannot ask for millions of them.
      for (size_t i = 1; i < line.words.size(); ++i) {
        char *end = nullptr;
        double v = std::strtod(line.words[i].c_str(), &end);
        if (end != line.words[i].c_str() && !(std::fabs(v) <= 100))
          line.fail(std::string(p.name) + " arguments must stay within -100 .. 100");
      }
      tblkarray added;
      p.expand(line, added);
      for (block &b : added) {
        if (b.corner1.x < -2.5 - 1e-9 || b.corner2.x > 2.5 + 1e-9)
          line.fail(std::string(p.name) + " reaches outside the piece (x must stay within -2.5 .. 2.5)");
        drawn.push_back(b);
      }
      return true;
    }
  return false;
}

const char *PropUsage() {
  return "lamp X Y HEIGHT [left|right], car X Y [left|right], fence X1 X2 Y HEIGHT, "
         "facade X1 Y1 X2 Y2 COLUMNS ROWS, rubble X1 X2 Y HEIGHT, girder X1 Y1 X2 Y2 WIDTH, "
         "wire X1 X2 Y, mast X Y HEIGHT, sandbags X1 X2 Y ROWS, tree X Y HEIGHT, sign X Y HEIGHT WIDTH";
}
