// The world's picture: the cheaper ways we draw the light, particles and zombies give the
// picture of the plain ways; sunlight and shadows at known places; the world across a wide window.
#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>

#include "actors/models.h"
#include "actors/skeleton_draw.h"
#include "base/files.h"
#include "game/objects.h"
#include "game/particles.h"
#include "game/state.h"
#include "game/world_build.h"
#include "persist/options.h"
#include "platform/window.h"
#include "render/textures.h"
#include "rig/blocks.h"
#include "view/light.h"
#include "view/load.h"
#include "view/view.h"
#include "world/terrain.h"

namespace {
class WorldPicture : public GlTest {
 protected:
  WorldPicture() {
    width = 512;
    height = 384;
  }
  void SetUp() override {
    GlTest::SetUp();
    savedBase = baseDirectory;
    baseDirectory = BuiltDataDir();
    MessageRecorder quiet;
    LoadGameTextures();
    CameraPos = {0, 0};
    zoom = 0.6;
    Game = tgame{};
  }
  void TearDown() override {
    ForgetContextObjects();
    for (ttilerecord &t : worldRow) t = ttilerecord{};
    baseDirectory = savedBase;
    GlTest::TearDown();
  }
  std::vector<uint8_t> Frame(void (*draw)()) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    draw();
    return ReadPixelsRGB(width, height);
  }
  // The largest difference of any channel, and how many pixels differ by more than `slack`.
  static std::pair<int, int> Compare(const std::vector<uint8_t> &a, const std::vector<uint8_t> &b, int slack) {
    int worst = 0, over = 0;
    for (size_t i = 0; i < a.size(); i += 3) {
      int d = 0;
      for (int c = 0; c < 3; ++c) d = std::max(d, std::abs(a[i + c] - b[i + c]));
      worst = std::max(worst, d);
      if (d > slack) ++over;
    }
    return {worst, over};
  }
  Rgb At(const std::vector<uint8_t> &rgb, tvector world) {
    // World point to pixel through the current projection and camera.
    ApplyCamera();
    int x, y;
    WorldToPixel(world.x, world.y, height, x, y);
    return PixelAt(rgb, width, height, x, y);
  }
  std::string savedBase;
};

class WideWorldPicture : public WorldPicture {
 protected:
  WideWorldPicture() {
    width = 640;
    height = 360;
  }
};

// A world of these blocks in the middle tile with the camera over them, shadows and particles on,
// and neither the base's marker nor the player nor any object in the picture.
void Scene(const tblkarray &drawn) {
  enemies.clear(), particleList.clear(), defenderList.clear(), crateList.clear(), pickupList.clear();
  for (ttilerecord &t : worldRow) t = ttilerecord{};
  worldRow[7].drawn = drawn;
  buildtilelists();
  Options.shadowsOff = Options.particlesOff = Options.tutorial = 0;
  CameraPos = {0, 0.4};
  basePos = {-10, 0};
  Ending = tending{};
  Ending.baseLossBlast = Ending.deathBlast = 1;
}

// Particles one immediate-mode quad at a time.
void ParticlesOneByOne() {
  ApplyCamera();
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, coloursTexture);
  glBegin(GL_QUADS);
  for (size_t n = 0; n < particleList.size(); ++n) {
    const tparticle &q = particleList[n];
    if (!q.active) continue;
    glColor4d(1, 1, 1, q.expired ? 4 * q.lifetime : 1);
    tvector p = q.body.pos, v = q.body.vel, sz = q.size;
    double t0 = q.row * 0.125 + 0.01, t1 = q.row * 0.125 + 0.115;
    tvector c[4];
    if (!q.moving || (v.x == 0 && v.y == 0)) {
      c[0] = {p.x - sz.x, p.y - sz.y}, c[1] = {p.x + sz.x, p.y - sz.y};
      c[2] = {p.x + sz.x, p.y + sz.y}, c[3] = {p.x - sz.x, p.y + sz.y};
    } else {
      double th = n * 0.1 * M_PI + p.x * 5 - v.y * 8;
      tvector u = q.row == 7 ? tvector{std::sin(th), std::cos(th)} : vecnormalise(v);
      tvector a = {u.x * sz.y - u.y * sz.x, u.y * sz.y + u.x * sz.x};
      tvector b = {u.x * sz.y + u.y * sz.x, u.y * sz.y - u.x * sz.x};
      c[0] = p + a, c[1] = p + b, c[2] = p - a, c[3] = p - b;
    }
    const double s[4] = {0, 1, 1, 0}, t[4] = {t0, t0, t1, t1};
    for (int k = 0; k < 4; ++k) {
      glTexCoord2d(s[k], t[k]);
      glVertex3d(c[k].x, c[k].y, 0);
    }
  }
  glEnd();
}
// Every drawn block's own shadow volume: its lit-facing edges swept 15 units along the light.
void ShadowVolumesOneByOne(tvector d) {
  int centre = tileindex(CameraPos.x);
  for (int tile = centre - 1; tile <= centre + 1; ++tile) {
    if (tile < -7 || tile > 7) continue;
    for (const block &b : worldRow[tile + 7].drawn) {
      if (!b.active) continue;
      const tvector a = b.corner1, c = b.corner2, e = d * 15.0;
      glBegin(GL_TRIANGLE_STRIP);
      auto pair = [&e](double x, double y) {
        glVertex3d(x, y, 0);
        glVertex3d(x + e.x, y + e.y, 0);
      };
      if (d.x < 0) pair(c.x, a.y), pair(c.x, c.y);
      if (d.x > 0) pair(a.x, a.y), pair(a.x, c.y);
      if (d.y > 0) pair(a.x, a.y), pair(c.x, a.y);
      if (d.y < 0) pair(a.x, c.y), pair(c.x, c.y);
      glEnd();
    }
  }
}

// The plain way of lighting: every block's volume marks the stencil, then one wash quad over
// the view lights what is left unmarked.
void StencilledWash(tvector d, double x0, double y0, double x1, double y1, double blue, double low, double high) {
  glClear(GL_STENCIL_BUFFER_BIT);
  glEnable(GL_STENCIL_TEST);
  glStencilFunc(GL_ALWAYS, 1, 0xffffffff);
  glStencilOp(GL_REPLACE, GL_KEEP, GL_REPLACE);
  glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
  ShadowVolumesOneByOne(d);
  glStencilFunc(GL_EQUAL, 0, 1);
  glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glBegin(GL_QUADS);
  glColor4d(1, 1, blue, low);
  glVertex3d(x0, y0, 0);
  glVertex3d(x1, y0, 0);
  glColor4d(1, 1, blue, high);
  glVertex3d(x1, y1, 0);
  glVertex3d(x0, y1, 0);
  glEnd();
  glDisable(GL_STENCIL_TEST);
}

// The plain sunlight: the glow's whole fan and the stencilled wash over the whole view, in the
// sun's colours for its height.
void PlainSunlight(tvector d) {
  ApplyCamera();
  WorldDepthState();
  const double e = -d.y;
  const tvector sun = CameraPos - d * 2.0;
  glBegin(GL_TRIANGLE_FAN);
  glColor4d(1, 1, e >= 0.75 ? 0.8 : 0.9, e >= 0.75 ? 0.5 : e - 0.25);
  glVertex3d(sun.x, sun.y, 0);
  glColor4d(1, 1, e >= 0.75 ? 0.8 : 0.9, 0);
  for (int i = 0; i <= 32; ++i)
    glVertex3d(sun.x + 1.5 * std::sin(i * M_PI / 16), sun.y + 1.5 * std::cos(i * M_PI / 16), 0);
  glEnd();
  const tvector h = ViewHalfSize();
  StencilledWash(d, CameraPos.x - h.x, CameraPos.y - h.y, CameraPos.x + h.x, CameraPos.y + h.y,
                 e >= 0.75 ? 0.85 : e - 0.25 + 0.35, e >= 0.75 ? 0.1 : (e - 0.25) * 0.2,
                 e >= 0.75 ? 0.4 : (e - 0.25) * 0.8);
}

}  // namespace

// The light drawn as the lit region's own polygons gives the plain picture (every block's volume
// marked in the stencil, one wash over what is left), first as a strong wash at any height of the
// sun, then as the sunlight drawn: no seam between polygons lit twice or left dark, the shadows
// where the volumes put them. Blocks that overlap, touch and stand apart join the pieces'; the
// base's mast, its legs a staircase of small blocks, makes the most strips at a low sun. At dawn
// and dusk, below a quarter of its height, the sunlight draws neither glow nor wash, and the plain
// one changes no pixel either; just above it they do.
TEST_F(WorldPicture, TheLitRegionAndTheSunlightAreThePlainOnesAtEveryHeight) {
  MessageRecorder quiet;
  SetFixedSeed(11);
  ASSERT_TRUE(loadpieces());
  ASSERT_TRUE(buildworld());
  SetFixedSeed(-1);
  for (const block &b : {Block(-1, 0.5, -0.5, 0.8), Block(-0.7, 0.6, -0.2, 1.4), Block(0.3, 0.2, 0.31, 1.9),
                         Block(0.31, 0.2, 0.9, 0.25)})
    worldRow[7].drawn.push_back(b);
  buildtilelists();
  enum { BARE, PLAIN_WASH, LIT_REGION, PLAIN_SUNLIGHT, SUNLIGHT };
  auto frame = [this](tvector d, int way) {
    glClearColor(0.3f, 0.35f, 0.4f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    DrawTerrainFirst();  // the camera and the world's depth state set
    const tvector h = ViewHalfSize(), lo = CameraPos - h, hi = CameraPos + h;
    std::vector<tshadowrun> runs;
    if (way == PLAIN_WASH) StencilledWash(d, lo.x, lo.y, hi.x, hi.y, 0.6, 0.1, 0.4);
    if (way == LIT_REGION) ShadowProfile(d, runs), StraightenProfile(runs, 0.25 * PixelSize());
    if (way == LIT_REGION) DrawLitRegion(d, runs, lo.x, lo.y, hi.x, hi.y, 0.6, 0.1, 0.4);
    if (way == PLAIN_SUNLIGHT) PlainSunlight(d);
    if (way == SUNLIGHT) DrawSunAndShadows(d);
    EndWorldDepth();
    return ReadPixelsRGB(width, height);
  };
  int dark = 0, lit = 0, high = 0;
  for (double x : {-20.0, -2.4, 0.0, 1.0, 12.0, basePos.x})
    for (double t : {0.05, 0.07, 0.09, 0.12, 0.2, 0.3125, 0.4, 0.5, 0.52, 0.53, 0.54, 0.55, 0.56}) {
      CameraPos = {x, basePos.y + 0.7};
      const double a = (t + 0.1875) * 2 * M_PI;
      const tvector d = vecnormalise({std::sin(a), std::cos(a)});
      const auto bare = frame(d, BARE), wash = frame(d, PLAIN_WASH), sunlight = frame(d, PLAIN_SUNLIGHT);
      for (auto [plain, way] : {std::pair{&wash, LIT_REGION}, {&sunlight, SUNLIGHT}}) {
        auto [worst, over] = Compare(*plain, frame(d, way), 3);
        EXPECT_LE(over, 8) << "x " << x << " time " << t << " way " << way << ": worst " << worst;  // along an edge
      }
      EXPECT_GT(Compare(bare, wash, 10).second, 1000) << "x " << x << " time " << t << ": the light should show";
      if (std::cos(a) >= 0) continue;  // the sun is down: the world draws no sunlight
      (-d.y > 0.25 ? lit : dark) += Compare(bare, sunlight, 0).second > 0;
      high += -d.y > 0.25;
    }
  EXPECT_EQ(dark, 0) << "a sun below a quarter of its height lights nothing";
  EXPECT_EQ(lit, high) << "a sun above it lights the view";
  EXPECT_GE(high, 30);
}

// Particles of every kind, some beyond the view, then thin smoke (also on white, where a puff's
// faintest texels would show if its narrowed quad cut any), then piles of smoke over one spot:
// the batch gives the picture of every quad drawn one by one, but for the puffs buried deep in a
// pile and the piles' coarser pixels (drawn at a lower size: half the window's, and nearer, where
// a puff is wider on screen, a quarter and a fifth). Leaving those out barely shades a late
// night's pile; a pile of a hundred blasts keeps its dark core, its soft halo a little thinner.
TEST_F(WorldPicture, ParticlesInOneBatchLookAsDrawnOneByOne) {
  struct Scene {
    int count;
    double spread;  // of the positions, in world units
    bool smoke;
    int slack, over;  // how far a pixel may stray, and how many pixels by more than 3
    float clear;      // the background's grey
    double zoom = 0.6;
  };
  for (Scene scene : {Scene{400, 5, false, 3, 0, 0.3f}, Scene{60, 1.5, true, 3, 0, 0.3f}, Scene{60, 1.5, true, 3, 0, 1},
                      Scene{900, 0.6, true, 8, 300, 0.3f}, Scene{3000, 0.3, true, 30, 1000, 0.3f},
                      Scene{900, 0.6, true, 12, 700, 0.3f, 0.3}, Scene{900, 0.6, true, 12, 700, 0.3f, 0.225}}) {
    zoom = scene.zoom;
    particleList.clear();
    SetFixedSeed(4);
    reseed();
    for (int i = 0; i < scene.count; ++i) {
      tparticle q{};
      q.active = i % 7 != 0;
      q.row = static_cast<uint8_t>(scene.smoke ? 7 : i % 8);
      q.moving = i % 3 != 0;
      q.expired = i % 5 == 0;
      q.lifetime = scene.smoke ? 0.25 * randomreal() : 0.2;
      q.body.pos = {(randomreal() - 0.5) * scene.spread, (randomreal() - 0.5) * scene.spread * 0.7};
      q.body.vel = i % 11 == 0 ? tvector{0, 0} : tvector{randomreal() - 0.5, randomreal() - 0.5};
      q.size = scene.smoke ? tvector{0.1, 0.1} : tvector{0.01 + 0.05 * randomreal(), 0.01 + 0.03 * randomreal()};
      particleList.push_back(q);
    }
    SetFixedSeed(-1);
    glClearColor(scene.clear - 0.1f, scene.clear, std::min(1.f, scene.clear + 0.1f), 1);
    auto batch = Frame(DrawParticles);
    auto [worst, over] = Compare(Frame(ParticlesOneByOne), batch, 3);
    EXPECT_LE(worst, scene.slack) << scene.count << " particles";
    EXPECT_LE(over, scene.over) << scene.count << " particles: worst " << worst;
    auto [inked, covered] = Compare(Frame([] {}), batch, 10);
    EXPECT_GT(covered, 2000) << "the particles should show";
  }
  particleList.clear();
}

TEST_F(WorldPicture, ZombiesInOneBatchLookAsDrawnOneByOne) {
  SetFixedSeed(8);
  reseed();
  guys.assign(4, tguy{});
  for (int g = 1; g < 4; ++g) {
    LoadGuy("standard", guys[g], 0.075);
    ASSERT_FALSE(guys[g].parts.empty());
    for (tguypart &p : guys[g].parts) p.angle += 40 * (randomreal() - 0.5);
    guys[g].parts[0].pivot = {randomreal() - 0.5, randomreal() - 0.5};
  }
  enemies.clear();
  for (int i = 0; i < 60; ++i) {
    tenemy e{};
    e.active = i % 9 != 0;
    e.guy = 1 + i % 3;
    e.anim.scale = 0.075;
    e.anim.facing = static_cast<uint8_t>(i % 2);
    e.body.pos = {randomreal() * 3 - 1.5, randomreal() * 2 - 1};
    enemies.push_back(e);
  }
  SetFixedSeed(-1);
  glClearColor(0.8f, 0.7f, 0.6f, 1);
  auto oneByOne = Frame([] {
    glDisable(GL_TEXTURE_2D);
    for (const tenemy &e : enemies)
      if (e.active && OnScreen(e.body.pos)) {
        ApplyCamera();
        DrawCharacter(e);
      }
  });
  auto batch = Frame(DrawCharacters);
  auto [worst, over] = Compare(oneByOne, batch, 3);
  EXPECT_EQ(over, 0) << "worst " << worst;
  auto [shade, covered] = Compare(Frame([] {}), batch, 10);
  EXPECT_GT(covered, 2000) << "the figures should show";
  enemies.clear();
  guys.clear();
}

// Primitives reaching past the view go in short runs of their own, in their place in the order;
// the rest in long runs. (X reaches out, . does not.)
TEST(DrawRuns, ReachingOutGoesInShortRuns) {
  const std::string gap15(15, '.'), gap16(16, '.');
  struct Case {
    std::string marks;
    std::vector<std::pair<size_t, size_t>> runs;  // first, count
  };
  const Case cases[] = {
      {"", {}},
      {"......", {{0, 6}}},
      {"X.....", {{0, 1}, {1, 5}}},
      {"...X..", {{0, 3}, {3, 1}, {4, 2}}},
      {"X...X..", {{0, 5}, {5, 2}}},                                        // a short gap goes along
      {"X" + gap15 + "X", {{0, 17}}},                                       // the longest that does
      {"X" + gap16 + "X", {{0, 1}, {1, 16}, {17, 1}}},                      // one longer has a run of its own
      {std::string(70, 'X'), {{0, 64}, {64, 6}}},                           // a run holds 64 at most
      {std::string(60, 'X') + "...." + "XX", {{0, 60}, {60, 4}, {64, 2}}},  // no gap past the limit
  };
  for (const Case &c : cases) {
    std::vector<uint8_t> out;
    for (char m : c.marks) out.push_back(m == 'X');
    std::vector<trun> runs;
    SplitIntoRuns(out, runs);
    std::vector<std::pair<size_t, size_t>> got;
    for (const trun &r : runs) got.push_back({r.first, r.count});
    EXPECT_EQ(got, c.runs) << c.marks;
  }
}

// Translucent quads of every colour across the view and over each of its edges, drawn in runs,
// give the picture of one call: plain ones pixel for pixel, textured ones but for a level in a
// few pixels (the renderer's clipping path rounds their texture coordinates its own way).
TEST_F(WorldPicture, QuadsInRunsLookAsInOneCall) {
  static std::vector<float> xyz, rgba, st;
  static bool textured;
  auto draw = [](bool inRuns) {
    ApplyCamera();
    if (textured) {
      glEnable(GL_TEXTURE_2D);
      glBindTexture(GL_TEXTURE_2D, coloursTexture);
    } else {
      glDisable(GL_TEXTURE_2D);
    }
    if (inRuns) {
      DrawArrays(GL_QUADS, xyz, rgba, textured ? &st : nullptr);
      return;
    }
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    if (textured) glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, xyz.data());
    glColorPointer(4, GL_FLOAT, 0, rgba.data());
    glTexCoordPointer(2, GL_FLOAT, 0, st.data());
    glDrawArrays(GL_QUADS, 0, static_cast<GLsizei>(xyz.size() / 3));
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
  };
  struct Case {
    bool textured;
    int slack, over;  // how far a pixel may stray, and how many pixels by more than nothing
  };
  for (Case c : {Case{false, 0, 0}, Case{true, 1, 40}}) {
    SetFixedSeed(5);
    reseed();
    xyz.clear(), rgba.clear(), st.clear();
    const tvector h = ViewHalfSize();
    for (int i = 0; i < 900; ++i) {
      // Some near the view's edges, most within it.
      const double reach = i % 3 == 0 ? 1.15 : 0.9;
      const tvector centre = {CameraPos.x + (randomreal() * 2 - 1) * h.x * reach,
                              CameraPos.y + (randomreal() * 2 - 1) * h.y * reach};
      const double a = randomreal() * M_PI, r = 0.02 + 0.1 * randomreal();
      const float colour[4] = {static_cast<float>(randomreal()), static_cast<float>(randomreal()),
                               static_cast<float>(randomreal()), static_cast<float>(0.2 + 0.8 * randomreal())};
      const float row = static_cast<float>(i % 8) * 0.125f, s[4] = {0, 1, 1, 0}, t[4] = {0.01f, 0.01f, 0.115f, 0.115f};
      for (int k = 0; k < 4; ++k) {
        const double angle = a + k * M_PI / 2 + (k % 2) * 0.4;
        xyz.insert(xyz.end(), {static_cast<float>(centre.x + r * std::cos(angle)),
                               static_cast<float>(centre.y + r * std::sin(angle)), 0.f});
        rgba.insert(rgba.end(), colour, colour + 4);
        st.insert(st.end(), {s[k], row + t[k]});
      }
    }
    SetFixedSeed(-1);
    textured = c.textured;
    glClearColor(0.5f, 0.5f, 0.5f, 1);
    static void (*drawn)(bool);
    drawn = draw;
    auto runs = Frame([] { drawn(true); });
    auto oneCall = Frame([] { drawn(false); });
    auto [worst, over] = Compare(oneCall, runs, 0);
    EXPECT_LE(worst, c.slack) << (c.textured ? "textured" : "plain");
    EXPECT_LE(over, c.over) << (c.textured ? "textured" : "plain") << ": worst " << worst;
    auto [shade, covered] = Compare(Frame([] {}), runs, 10);
    EXPECT_GT(covered, width * height / 4) << "the quads should cover much of the view";
  }
  glDisable(GL_TEXTURE_2D);
}

// A ground with a ledge standing out over it, lit at noon, in the morning and at night.
TEST_F(WorldPicture, SunlightAndShadows) {
  MessageRecorder quiet;
  Scene({Block(-2.5, -3, 2.5, 0), Block(0.5, 0.6, 1.5, 0.7), Block(-1.6, 0, -1.4, 1.2)});
  Game.timeOfDay = 0.3125;
  auto noon = Frame(RenderWorld);
  SaveScreenshot(ScreenshotDir() + "/world_noon_probe.png", width, height);
  Game.timeOfDay = 0.7;
  auto night = Frame(RenderWorld);
  // The glow stands 2 units straight above the camera at noon, its rim reaching into the top
  // of the view; none at night.
  Rgb glow = At(noon, {0, 1.8}), side = At(noon, {-1.9, 1.8});
  EXPECT_GT(glow.r + glow.g, side.r + side.g + 30);
  Rgb dark = At(night, {0, 1.8}), darkSide = At(night, {-1.9, 1.8});
  EXPECT_LT(std::abs(dark.r + dark.g - darkSide.r - darkSide.g), 6);
  // Under the ledge the noon light is blocked: no wash there, so it is darker than beside it.
  Rgb under = At(noon, {1.0, 0.3}), beside = At(noon, {2.0, 0.3});
  EXPECT_LT(under.r + under.g + under.b + 30, beside.r + beside.g + beside.b);
  // In the morning light comes from the left and down: the post's shadow falls to its right.
  Game.timeOfDay = 0.2;
  auto morning = Frame(RenderWorld);
  Rgb right = At(morning, {-1.2, 0.2}), left = At(morning, {-1.8, 0.2});
  EXPECT_LT(right.r + right.g + right.b + 30, left.r + left.g + left.b);

  // The helicopter at noon: its main rotor is a disc seen almost edge-on, mostly air, and the
  // light shines all round it.
  Game.timeOfDay = 0.3125;
  Ending.heliActive = 1;
  heli = theli{};
  heli.pos = {0.2, 1.1};
  heli.rotor = 0.625;  // the blades' dark sweep stands at the back of the disc
  frameTime = 0;
  auto heliNoon = Frame(RenderWorld);
  SaveScreenshot(ScreenshotDir() + "/world_heli_noon.png", width, height);
  Ending.heliActive = 0;
  // Inside the footprint of the disc's near half, above the body, the sky looks as it does
  // without the helicopter, a shade darker for the blades' faint outer rim.
  for (tvector p : {tvector{1.02, 1.435}, tvector{-0.45, 1.435}}) {
    Rgb with = At(heliNoon, p), without = At(noon, p);
    EXPECT_LT(std::abs(with.r + with.g + with.b - without.r - without.g - without.b), 60)
        << "at " << p.x << "," << p.y << ": " << with.r << " " << with.g << " " << with.b << " against " << without.r
        << " " << without.g << " " << without.b;
  }
}

// The sky and the skyline's fills left out below the ground line give the picture of the whole
// of them with the terrain over it: through a pit, under a ledge, beside a tower, at the tiles'
// seams, at two zooms.
TEST_F(WorldPicture, TheSkyStopsWhereTheTerrainCoversTheView) {
  MessageRecorder quiet;
  for (ttilerecord &t : worldRow) t = ttilerecord{};
  worldRow[6].drawn = {Block(-7.5, -3, -2.5, -0.5)};
  worldRow[7].drawn = {Block(-2.5, -3, 0.3, -0.5), Block(0.3, -3, 0.6, -1.2), Block(0.6, -3, 2.5, -0.5),
                       Block(0.2, -0.3, 0.7, 0.0), Block(1.0, -0.5, 1.4, 0.3)};  // a ledge over the pit, a tower
  worldRow[8].drawn = {Block(2.5, -3, 7.5, -0.5)};
  buildtilelists();
  basePos = {0.5, -0.5};
  buildskyline();
  Game.timeOfDay = 0.3125;
  int cut = 0;
  for (double z : {0.6, 0.9})
    for (tvector c : {tvector{0, 0}, tvector{-3, 0.4}, tvector{-1.2, 0.6}, tvector{3.7, 0.9}, tvector{1.2, -0.2}}) {
      zoom = z;
      CameraPos = c;
      static double top;
      top = SolidGroundTop();
      cut += top > c.y - 6.1 * z * std::tan(22.5 * M_PI / 180) + 0.2;  // above the view's bottom
      auto whole = Frame([] {
        DrawSky();
        DrawTerrainFirst();
        DrawSkyline();
        EndWorldDepth();
      });
      auto stopped = Frame([] {
        DrawSky(top);
        DrawTerrainFirst();
        DrawSkyline(top);
        EndWorldDepth();
      });
      auto [worst, over] = Compare(whole, stopped, 0);
      EXPECT_EQ(over, 0) << "zoom " << z << " at " << c.x << "," << c.y << ": worst " << worst;
    }
  EXPECT_GE(cut, 4) << "the sky should stop above the bottom in most of these views";
  zoom = 0.6;
}

// The terrain is drawn first and hides what lies behind it: nothing drawn after it shows on it
// (sparks, smoke and a pile of smoke drawn at half size, sunk in the ground, the shots diving into
// it, a helicopter sinking into it), so painting the terrain again on top changes no pixel.
TEST_F(WorldPicture, NothingShowsOnTheTerrainDrawnFirst) {
  MessageRecorder quiet;
  Scene({Block(-2.5, -3, 2.5, 0), Block(0.5, 0.6, 1.5, 0.7)});
  Game.timeOfDay = 0.3125;
  Ending.heliActive = 1;
  heli = theli{};
  heli.pos = {0.8, -0.25};  // sinking into the ground: the rotor's disc lies across it
  shotList.assign(3, tshot{});
  for (int i = 0; i < 3; ++i) {  // each diving into the ground, its tracer across the edge
    tshot &s = shotList[i];
    s.active = s.source = 1;
    s.body.pos = {-1.5 + 0.4 * i, -0.08};
    s.last = s.body.pos + tvector{-0.1 - 0.05 * i, 0.2};
  }
  particleList.assign(940, tparticle{});
  for (int i = 0; i < 940; ++i) {    // half sunk in the ground, half wholly in it; from 40 on, a pile
    tparticle &q = particleList[i];  // of smoke across the ground's edge, drawn at half size
    const int k = i - 40;
    q.active = 1;
    q.row = static_cast<uint8_t>(i % 2 || k >= 0 ? ROW_SMOKE : ROW_SPARK);
    q.size = i % 2 || k >= 0 ? tvector{0.1, 0.1} : tvector{0.02, 0.02};
    q.body.pos = k < 0 ? tvector{-2.2 + 0.11 * i, -0.05 - 0.2 * (i % 3)}
                       : tvector{1.5 + 0.02 * (k % 30), -0.3 + 0.013 * (k / 30)};
  }
  auto drawn = Frame(RenderWorld);
  auto repainted = Frame([] {
    RenderWorld();
    DrawTerrain();
  });
  auto [worst, over] = Compare(drawn, repainted, 0);
  EXPECT_EQ(over, 0) << "worst " << worst;
  Ending.heliActive = 0;
  auto [heliShows, changed] = Compare(drawn, Frame(RenderWorld), 10);
  EXPECT_GT(changed, 100) << "the helicopter should show above the ground";
  shotList.clear();
  particleList.clear();
}

// The game's frame clears the stencil with the depth (one plain fill instead of a masked one),
// which is only the same picture while nothing of the world reads the stencil: a stencil left
// full of marks gives the picture of a cleared one, at noon, dusk and night.
TEST_F(WorldPicture, TheWorldsPictureDoesNotReadTheStencil) {
  MessageRecorder quiet;
  Scene({Block(-2.5, -3, 2.5, 0), Block(0.5, 0.6, 1.5, 0.7), Block(-1.6, 0, -1.4, 1.2)});
  for (double t : {0.3125, 0.54, 0.8}) {
    Game.timeOfDay = t;
    auto cleared = Frame(RenderWorld);
    glClearStencil(0xff);
    auto marked = Frame(RenderWorld);
    glClearStencil(0);
    auto [worst, over] = Compare(cleared, marked, 0);
    EXPECT_EQ(over, 0) << "time " << t << ": worst " << worst;
  }
}

// In a 16:9 window the sky, the skyline's fills, the sunlight and the fade reach the sides: no
// bar of the clear colour, and each row looks at the sides as in the middle.
TEST_F(WideWorldPicture, TheWorldCoversTheWholeWindow) {
  MessageRecorder quiet;
  Scene({});
  basePos = {0, 0};
  CameraPos = {0, 0.9};  // the skyline's base lines cross the view
  glClearColor(1, 0, 1, 1);
  auto level = [](Rgb a) { return a.r + a.g + a.b; };
  for (double t : {0.3125, 0.54, 0.8}) {
    Game.timeOfDay = t;
    Options.shadowsOff = 1;
    auto unlit = Frame(RenderWorld);
    Options.shadowsOff = 0;
    auto lit = Frame(RenderWorld);
    if (t == 0.3125) SaveScreenshot(ScreenshotDir() + "/world_wide_noon.png", width, height);
    for (int y = height / 4; y < 3 * height / 4; y += 3) {
      Rgb middle = PixelAt(unlit, width, height, width / 2, y);
      for (int x : {0, width - 1}) {
        Rgb side = PixelAt(unlit, width, height, x, y);
        EXPECT_LE(std::abs(side.r - middle.r) + std::abs(side.g - middle.g) + std::abs(side.b - middle.b), 3)
            << "time " << t << " at " << x << "," << y << ": " << side.r << " " << side.g << " " << side.b
            << " against " << middle.r << " " << middle.g << " " << middle.b;
        // The noon light brightens the sides as it does the middle.
        if (t == 0.3125) {
          EXPECT_GT(level(PixelAt(lit, width, height, x, y)), level(side) + 12) << x << "," << y;
        }
      }
    }
  }
  Game.fadeOut = 1;
  Game.fadeLevel = 1;
  auto [brightest, unfaded] = Compare(Frame(RenderWorld), std::vector<uint8_t>(width * height * 3, 0), 0);
  EXPECT_EQ(unfaded, 0) << "a whole fade leaves every pixel black: " << brightest;
  Game = tgame{};
}
