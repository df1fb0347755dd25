// The particles in one batch, leaving out what cannot show: a particle wholly
// outside the view, one with no area, one faded out entirely (drawn with
// alpha 0 it changes no pixel), smoke buried deep in a pile, and each puff's clear sides.
// What is left of a deep pile is drawn at a lower size, under the rest.
#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "game/objects.h"
#include "game/particles.h"
#include "platform/window.h"
#include "render/textures.h"
#include "view/view.h"

namespace {
// One vertex array for every particle quad, reused from frame to frame:
// thousands of particles in immediate mode cost more in calls than in fill.
struct tquadbatch {
  std::vector<float> xyz, st, rgba;  // their room: kept from frame to frame, grown as needed
  size_t vertices = 0;
  void clear() { vertices = 0; }
  bool empty() const { return vertices == 0; }
  // Written in place: thousands a frame, growing the arrays a value or a quad at a time cost
  // more than the rest of the particles' drawing on this side of the renderer.
  void quad(const tvector (&corner)[4], const double (&s)[4], const double (&t)[4], float alpha) {
    if ((vertices + 4) * 3 > xyz.size()) {
      const size_t room = std::max<size_t>(4096, 2 * (vertices + 4));
      xyz.resize(room * 3), st.resize(room * 2), rgba.resize(room * 4);
    }
    float *p = &xyz[vertices * 3], *tc = &st[vertices * 2], *c = &rgba[vertices * 4];
    for (int k = 0; k < 4; ++k) {
      *p++ = static_cast<float>(corner[k].x), *p++ = static_cast<float>(corner[k].y), *p++ = 0.f;
      *tc++ = static_cast<float>(s[k]), *tc++ = static_cast<float>(t[k]);
      *c++ = 1.f, *c++ = 1.f, *c++ = 1.f, *c++ = alpha;
    }
    vertices += 4;
  }
  // A quad's four corners share one colour, so flat shading gives the same picture without
  // the rasteriser interpolating it.
  void draw() {
    glShadeModel(GL_FLAT);
    DrawArrays(GL_QUADS, xyz.data(), rgba.data(), st.data(), vertices);
    glShadeModel(GL_SMOOTH);
  }
};
tquadbatch particleBatch;

// A smoke puff's picture is a soft blob narrower than its quad: its atlas cell is clear (alpha 0
// in every texel the filter reads) left and right of these bounds, in the quad's own 0..1
// across, so the puff is drawn as that part of its quad and writes the very pixels the whole
// quad would. (Cutting its clear corners as well costs more than it saves: the rasteriser pays
// for every block a triangle's edge crosses, and the extra triangles' edges cross more blocks.)
constexpr double kPuffLeft = 0.085, kPuffRight = 0.9;

// A pile of smoke is opaque grey long before its last puff lands, yet every puff under it still
// costs its whole quad of blended fill (a firefight or a few blasts pile up hundreds). So in each
// small cell of the view only the puffs on top are drawn, until they hold about this much
// opacity between them: below that, as in any thin smoke, every puff shows.
constexpr double kSmokeCell = 0.05;  // world units, a quarter of a puff's width
constexpr float kSmokeCover = 5;     // the sum of the kept puffs' alphas
std::vector<float> smokeCover;       // per cell of the view
std::vector<uint8_t> buried;         // per particle: under a full pile of smoke

// A particle's quad as drawn, and its alpha.
struct tsprite {
  tvector corner[4];
  float alpha;
  // The point at (s, v) of the quad, both 0..1.
  tvector At(double s, double v) const { return corner[0] + (corner[1] - corner[0]) * s + (corner[3] - corner[0]) * v; }
  void Bounds(tvector &lo, tvector &hi) const {
    lo = hi = corner[0];
    for (const tvector &c : corner)
      lo = {std::min(lo.x, c.x), std::min(lo.y, c.y)}, hi = {std::max(hi.x, c.x), std::max(hi.y, c.y)};
  }
};

tsprite Sprite(size_t n, const tparticle &q) {
  tsprite s;
  s.alpha = static_cast<float>(q.expired ? 4 * q.lifetime : 1);
  tvector p = q.body.pos, v = q.body.vel;
  double sx = q.size.x, sy = q.size.y;
  if (!q.moving || (v.x == 0 && v.y == 0)) {
    s.corner[0] = {p.x - sx, p.y - sy};
    s.corner[1] = {p.x + sx, p.y - sy};
    s.corner[2] = {p.x + sx, p.y + sy};
    s.corner[3] = {p.x - sx, p.y + sy};
    return s;
  }
  tvector u;
  if (q.row == 7) {
    // Row 7 turns with a phase of its own rather than along its flight.
    double th = n * 0.1 * M_PI + p.x * 5 - v.y * 8;
    u = {std::sin(th), std::cos(th)};
  } else {
    u = vecnormalise(v);
  }
  tvector a = {u.x * sy - u.y * sx, u.y * sy + u.x * sx};
  tvector c = {u.x * sy + u.y * sx, u.y * sy - u.x * sx};
  s.corner[0] = p + a;
  s.corner[1] = p + c;
  s.corner[2] = p - a;
  s.corner[3] = p - c;
  return s;
}

// Marks the smoke puffs buried under enough puffs drawn after them in the same cell.
void BurySmoke(tvector half) {
  const double x0 = CameraPos.x - half.x - 0.2, y0 = CameraPos.y - half.y - 0.2;
  const int nx = static_cast<int>(std::ceil((2 * half.x + 0.4) / kSmokeCell));
  const int ny = static_cast<int>(std::ceil((2 * half.y + 0.4) / kSmokeCell));
  smokeCover.assign(static_cast<size_t>(nx) * ny, 0.f);
  buried.assign(particleList.size(), 0);
  for (size_t n = particleList.size(); n-- > 0;) {  // the last drawn lies on top
    const tparticle &q = particleList[n];
    if (!q.active || q.row != ROW_SMOKE) continue;
    const int cx = static_cast<int>(std::floor((q.body.pos.x - x0) / kSmokeCell));
    const int cy = static_cast<int>(std::floor((q.body.pos.y - y0) / kSmokeCell));
    if (cx < 0 || cy < 0 || cx >= nx || cy >= ny) continue;
    float &cover = smokeCover[static_cast<size_t>(cy) * nx + cx];
    if (cover >= kSmokeCover) {
      buried[n] = 1;
      continue;
    }
    cover += static_cast<float>(q.expired ? std::max(0.0, std::min(1.0, 4 * q.lifetime)) : 1);
  }
}
// Where smoke lies this deep (puffs' area over the area of a block of 3 x 3 cells round a puff),
// the puff is drawn at a lower size: a fraction of its fill, and a pile's soft depths hide the
// coarser pixels. The layer is then laid over the pile's cells (a fill of its own), so thinner
// smoke is cheaper drawn as it is.
constexpr double kPileCellPixels = 32;
// The layer's pixel: at least two of the window's, and at most a twelfth of a puff's width
// (0.2), where a pile looks as at half size but for a softer edge here and there (at 1024 x 768
// a quarter of the window's size, a sixteenth of the fill; at full HD a fifth).
constexpr double kPileTexel = 0.2 / 12;
int PileScale() { return std::max(2, static_cast<int>(kPileTexel / PixelSize())); }
constexpr double kPileDepth = 4;
std::vector<float> pileDepth;  // per cell: the area of the puffs centred there, in cells
tcellmarks pileCells;
tquadbatch pileBatch;

struct tdrawn {
  size_t n;
  tsprite s;
};
std::vector<tdrawn> drawn;  // the particles that show, in drawing order

// The depth of smoke round each cell of pileCells, from the puffs that show.
void MeasurePiles(tvector half) {
  const double cell = kPileCellPixels * PixelSize();
  const tvector origin = CameraPos - half - tvector{cell, cell};
  const int nx = static_cast<int>(std::ceil(2 * half.x / cell)) + 2;
  const int ny = static_cast<int>(std::ceil(2 * half.y / cell)) + 2;
  pileCells.reset(origin, cell, nx, ny);
  pileDepth.assign(static_cast<size_t>(nx) * ny, 0.f);
  for (const tdrawn &d : drawn) {
    const tparticle &q = particleList[d.n];
    int cx, cy;
    if (q.row != ROW_SMOKE || !pileCells.locate(q.body.pos, cx, cy)) continue;
    pileDepth[static_cast<size_t>(cy) * nx + cx] +=
        static_cast<float>((kPuffRight - kPuffLeft) * 4 * q.size.x * q.size.y / (cell * cell));
  }
}

bool InPile(const tparticle &q) {
  if (q.row != ROW_SMOKE) return false;
  const tcellmarks &c = pileCells;
  int cx, cy;
  c.locate(q.body.pos, cx, cy);  // a centre just beyond the grid still sums the cells it borders
  double sum = 0;
  for (int y = cy - 1; y <= cy + 1; ++y)
    for (int x = cx - 1; x <= cx + 1; ++x)
      if (x >= 0 && y >= 0 && x < c.nx && y < c.ny) sum += pileDepth[static_cast<size_t>(y) * c.nx + x];
  return sum >= 9 * kPileDepth;
}

void Add(tquadbatch &b, const tparticle &q, const tsprite &s) {
  const double t0 = q.row * 0.125 + 0.01, t1 = q.row * 0.125 + 0.115;
  const double l = q.row == ROW_SMOKE ? kPuffLeft : 0, r = q.row == ROW_SMOKE ? kPuffRight : 1;
  const tvector corner[4] = {s.At(l, 0), s.At(r, 0), s.At(r, 1), s.At(l, 1)};
  b.quad(corner, {l, r, r, l}, {t0, t0, t1, t1}, s.alpha);
}

void DrawPile() {
  glBindTexture(GL_TEXTURE_2D, coloursTexture);
  pileBatch.draw();
}
}  // namespace

void WarmParticles() {
  ApplyCamera();
  glEnable(GL_TEXTURE_2D);
  tsprite s;
  s.alpha = 0;  // changes no pixel
  s.corner[0] = CameraPos, s.corner[1] = CameraPos + tvector{0.1, 0};
  s.corner[2] = CameraPos + tvector{0.1, 0.1}, s.corner[3] = CameraPos + tvector{0, 0.1};
  tparticle q{};
  q.row = ROW_SMOKE;
  pileBatch.clear();
  Add(pileBatch, q, s);
  pileCells.reset(CameraPos, 0.1, 1, 1);
  pileCells.marked[0] = 1;
  DrawAtLowerSize(DrawPile, pileCells, PileScale());
  particleBatch.clear();
  Add(particleBatch, q, s);
  glBindTexture(GL_TEXTURE_2D, coloursTexture);
  particleBatch.draw();
}

void DrawParticles() {
  ApplyCamera();
  glEnable(GL_TEXTURE_2D);
  const tvector half = ViewHalfSize();
  const double halfW = half.x, halfH = half.y;
  BurySmoke(half);
  drawn.clear();
  for (size_t n = 0; n < particleList.size(); ++n) {
    const tparticle &q = particleList[n];
    if (!q.active || q.size.x == 0 || q.size.y == 0 || buried[n]) continue;
    tsprite s = Sprite(n, q);
    if (s.alpha <= 0) continue;
    tvector lo, hi;
    s.Bounds(lo, hi);
    if (hi.x < CameraPos.x - halfW || lo.x > CameraPos.x + halfW || hi.y < CameraPos.y - halfH ||
        lo.y > CameraPos.y + halfH)
      continue;
    drawn.push_back({n, s});
  }
  MeasurePiles(half);
  tquadbatch &b = particleBatch;
  b.clear();
  pileBatch.clear();
  const int scale = PileScale();
  // The layer laid over the window blends each pixel with the layer's next one.
  const double blur = scale * PixelSize();
  for (const tdrawn &d : drawn) {
    const tparticle &q = particleList[d.n];
    if (!InPile(q)) {
      Add(b, q, d.s);
      continue;
    }
    Add(pileBatch, q, d.s);
    tvector lo, hi;
    d.s.Bounds(lo, hi);
    pileCells.mark(lo.x - blur, lo.y - blur, hi.x + blur, hi.y + blur);
  }
  // The piles first: the sparks, chips and thin smoke flying over them stay sharp.
  if (!pileBatch.empty()) DrawAtLowerSize(DrawPile, pileCells, scale);
  glBindTexture(GL_TEXTURE_2D, coloursTexture);
  b.draw();
}
