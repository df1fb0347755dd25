#include <GL/gl.h>
#include <GL/glu.h>

#include <string>
#include <vector>

#include "actors/models.h"
#include "actors/skeleton_draw.h"
#include "base/files.h"
#include "rig/rig.h"
#include "view/view.h"

namespace {
tguypart Rect(int32_t id, int32_t parent, tvector c1, tvector c2, tvector pivot = {}, double angle = 0) {
  tguypart p{};
  p.visible = 1;
  p.id = id, p.parentid = parent;
  p.corner1 = c1, p.corner2 = c2;
  p.pivot = pivot, p.angle = angle;
  return p;
}

struct Spot {
  double x, y;
  bool ink;
};

class SkeletonDraw : public GlTest {
 protected:
  void SetUp() override {
    GlTest::SetUp();
    CameraPos = {0, 0};
    zoom = 0.6;
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
  }
  void TearDown() override {
    guys.clear();
    GlTest::TearDown();
  }
  // Draws skeleton `guy` at `pos` on white, saves the picture and checks world points for ink.
  void ExpectDrawn(tvector pos, int32_t guy, uint8_t facing, const std::vector<Spot> &spots,
                   const std::string &shot = "") {
    tenemy e{};
    e.active = 1;
    e.body.pos = pos;
    e.guy = guy;
    e.anim.scale = 0.075;
    e.anim.facing = facing;
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    ApplyCamera();
    DrawCharacter(e);
    std::vector<uint8_t> rgb = ReadPixelsRGB(width, height);
    if (!shot.empty()) SaveScreenshot(ScreenshotDir() + "/" + shot + ".png", width, height);
    ApplyCamera();
    for (const Spot &s : spots) {
      int x, y;
      WorldToPixel(s.x, s.y, height, x, y);
      Rgb c = PixelAt(rgb, width, height, x, y);
      int grey = (c.r + c.g + c.b) / 3;
      EXPECT_TRUE(s.ink ? grey < 40 : grey > 215) << shot << " at " << s.x << "," << s.y << ": " << grey;
    }
  }
};
}  // namespace

TEST_F(SkeletonDraw, FigureItsMirrorAndHiddenParts) {
  // A root bar reaching right from the figure's origin, and an arm raised from near its end:
  // the joint on the bar's top edge at x 0.3, turned a quarter counter-clockwise.
  tguy g{};
  g.loaded = 1;
  g.parts = {Rect(0, 0, {0, 0}, {0.4, 0.1}), Rect(1, 0, {0, -0.05}, {0.3, 0.05}, {-0.3, -0.1}, 90)};
  guys = {g};
  // Origin at (0.5, -0.46): the bar spans x 0.5 .. 0.9, y -0.46 .. -0.36; the arm x 0.75 .. 0.85,
  // y -0.36 .. -0.06. Facing -x mirrors it about x 0.5.
  const std::vector<Spot> right = {{0.85, -0.41, true}, {0.55, -0.41, true}, {0.45, -0.41, false}, {0.6, -0.2, false},
                                   {0.8, -0.2, true},   {0.8, -0.1, true},   {0.7, -0.2, false},   {0.8, -0.02, false}},
                          left = {{0.15, -0.41, true},
                                  {0.45, -0.41, true},
                                  {0.55, -0.41, false},
                                  {0.2, -0.2, true},
                                  {0.8, -0.2, false}};
  ExpectDrawn({0.5, -0.5}, 0, 0, right, "skeleton_facing_right");
  ExpectDrawn({0.5, -0.5}, 0, 1, left, "skeleton_facing_left");
  // An enemy pointing at no skeleton is skipped; a hidden root hides its children too.
  ExpectDrawn({0.5, -0.5}, 5, 0, {{0.85, -0.41, false}});
  guys[0].parts[0].visible = 0;
  ExpectDrawn({0.5, -0.5}, 0, 0, {{0.85, -0.41, false}, {0.8, -0.2, false}});
}
