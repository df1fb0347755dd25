// The player with weapon and aiming guides, the defenders and their sprites, the zombies.
#include <GL/gl.h>

#include <cmath>
#include <vector>

#include "actors/skeleton_draw.h"
#include "game/objects.h"
#include "game/state.h"
#include "platform/window.h"
#include "render/text.h"
#include "render/textures.h"
#include "view/view.h"
#include "world/collision.h"

namespace {
constexpr double DEGREES = 57.29577951308232;

void TexturedQuad(tvector a, tvector ta, tvector b, tvector tb, tvector c, tvector tc, tvector d, tvector td) {
  glTexCoord2d(ta.x, ta.y);
  glVertex3d(a.x, a.y, 0);
  glTexCoord2d(tb.x, tb.y);
  glVertex3d(b.x, b.y, 0);
  glTexCoord2d(tc.x, tc.y);
  glVertex3d(c.x, c.y, 0);
  glTexCoord2d(td.x, td.y);
  glVertex3d(d.x, d.y, 0);
}

// The guides: a faint circle through the pointer, and the laser cut at the first block or
// character it meets.
void DrawAimingGuides(tvector shoulder) {
  ApplyCamera();
  // The frame's aim pointer, wherever it came from (mouse, pad or a replay), not the mouse.
  tvector cursor = CameraPos + Game.pointer * (6 * zoom / 9);
  double r = vecdistance(cursor, shoulder, false);
  glDisable(GL_TEXTURE_2D);
  glColor4d(0, 0, 0, 0.2);
  glBegin(GL_LINE_LOOP);
  for (int i = 0; i < 60; ++i) {
    double a = i * 6 / DEGREES;
    glVertex3d(shoulder.x + r * std::sin(a), shoulder.y + r * std::cos(a), 0);
  }
  glEnd();

  double aim = Player.aimSmoothed;
  tvector end = shoulder + tvector{std::sin(aim), std::cos(aim)} * 10.0;
  end = segmentterrain(shoulder, end).point;
  end = segmentcharacters(shoulder, end).point;
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, smokeTexture);
  glBegin(GL_LINES);
  glTexCoord2d(shoulder.x * 0.25, shoulder.y * 0.25);
  glVertex3d(shoulder.x, shoulder.y, 0);
  glTexCoord2d(end.x * 0.25, end.y * 0.25);
  glVertex3d(end.x, end.y, 0);
  glEnd();
}
}  // namespace

void DrawWeaponSprite(tvector q, int index, bool flipped, double recoil, double angle) {
  glEnable(GL_TEXTURE_2D);
  glColor4d(1, 1, 1, 1);
  if (!weaponTextures.empty() && index >= 0 && static_cast<size_t>(index) < weaponTextures.size())
    glBindTexture(GL_TEXTURE_2D, weaponTextures[index]);
  glPushMatrix();
  glTranslated(q.x, q.y - 0.075, 0);
  glTranslated(0, 0.075, 0);
  glRotated(angle, 0, 0, 1);
  glTranslated(0.05 * recoil - 0.075, 0, 0);
  glBegin(GL_QUADS);
  if (!flipped)
    TexturedQuad({0, -0.06}, {0, 0}, {0.4, -0.06}, {1, 0}, {0.4, 0.04}, {1, 1}, {0, 0.04}, {0, 1});
  else
    TexturedQuad({0, -0.04}, {0, 1}, {0.4, -0.04}, {1, 1}, {0.4, 0.06}, {1, 0}, {0, 0.06}, {0, 0});
  glEnd();
  glPopMatrix();
}

void DrawArmSprite(tvector q, bool flipped, double angle) {
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, armTexture);
  glColor4d(1, 1, 1, 1);
  glPushMatrix();
  glTranslated(q.x, q.y - 0.075, 0);
  glTranslated(0, 0.075, 0);
  glRotated(angle, 0, 0, 1);
  glBegin(GL_QUADS);
  if (!flipped)
    TexturedQuad({-0.025, -0.05}, {0, 0.5}, {0.085, -0.05}, {1, 0.5}, {0.085, 0.01}, {1, 1}, {-0.025, 0.01}, {0, 1});
  else
    TexturedQuad({-0.025, -0.015}, {0, 1}, {0.085, -0.015}, {1, 1}, {0.085, 0.045}, {1, 0.5}, {-0.025, 0.045},
                 {0, 0.5});
  glEnd();
  glPopMatrix();
}

void DrawDefender(const tdefender &d) {
  double a = d.drawaim;
  bool f = std::sin(a) < 0;
  tvector p = d.pos;
  double s0 = f ? 1 : 0, s1 = 1 - s0;
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, guyTexture);
  glColor4d(1, 1, 1, 1);
  glBegin(GL_QUADS);
  TexturedQuad({p.x - 0.05, p.y + 0.23}, {s0, 0.95}, {p.x + 0.05, p.y + 0.23}, {s1, 0.95}, {p.x + 0.05, p.y}, {s1, 0},
               {p.x - 0.05, p.y}, {s0, 0});
  glEnd();
  int texture = (d.weapon >= 0 && static_cast<size_t>(d.weapon) < weapons.size()) ? weapons[d.weapon].texture : 0;
  DrawWeaponSprite({p.x, p.y + 0.175}, texture, f, d.reach, 90 - a * DEGREES);
  DrawArmSprite({p.x, p.y + 0.175}, f, 90 - a * DEGREES);
}

void DrawDefenders() {
  ApplyCamera();
  for (const tdefender &d : defenderList)
    if (d.active) DrawDefender(d);
}

void DrawPlayer() {
  ApplyCamera();
  double pivot = guys.empty() || guys[0].parts.empty() ? 0 : guys[0].parts[0].pivot.y;
  tvector shoulder = {Player.body.pos.x, Player.body.pos.y - pivot * Player.anim.scale + 0.065};
  bool flipped = Player.aimPoint.x < Player.body.pos.x;
  DrawWeaponSprite(shoulder, Player.currentWeapon.texture, flipped, Player.armReach, 90 - Player.aimSmoothed * DEGREES);

  ApplyCamera();
  glDisable(GL_TEXTURE_2D);
  if (!guys.empty()) DrawFigure(Player.body.pos, Player.anim, guys[0]);
  DrawAimingGuides(shoulder);
}

namespace {
// Where a figure's skeleton frame lies in the world: its position (mirrored when it faces -x),
// lifted by its root part's animated pivot and turned by the root's angle, as DrawFigure places
// it with GL's matrices.
tplacement FigurePlacement(const tenemy &e, const tguy &guy) {
  tplacement base = {e.anim.facing ? -1.0 : 1.0, 0, 0, 1, e.body.pos.x, e.body.pos.y + 0.05};
  const tguypart &root = guy.parts[0];
  tguypart lift{};
  lift.pivot = {root.pivot.x * e.anim.scale, root.pivot.y * e.anim.scale + 0.01};
  lift.angle = root.angle;
  return PlacePart(base, lift);
}

// `first`, then `second`: one map for a part's corners instead of two.
tplacement Then(const tplacement &first, const tplacement &second) {
  return {second.xx * first.xx + second.xy * first.yx,
          second.xx * first.xy + second.xy * first.yy,
          second.yx * first.xx + second.yy * first.yx,
          second.yx * first.xy + second.yy * first.yy,
          second.xx * first.x0 + second.xy * first.y0 + second.x0,
          second.yx * first.x0 + second.yy * first.y0 + second.y0};
}

// How far a figure reaches from its position: one standing just beyond the view's edge still
// shows its arm or head.
constexpr double kFigureReach = 0.5;

// Every zombie's quads in one reused array: a late night's hundreds of figures cost far more in
// GL calls than in fill when drawn one vertex at a time.
std::vector<float> figureVertices, figureColours;
}  // namespace

void DrawCharacters() {
  ApplyCamera();
  glDisable(GL_TEXTURE_2D);
  figureVertices.clear();
  figureColours.clear();
  for (const tenemy &e : enemies) {
    if (!e.active || !InView(e.body.pos, kFigureReach)) continue;
    if (e.guy < 0 || static_cast<size_t>(e.guy) >= guys.size() || guys[e.guy].parts.empty()) continue;
    const tguy &guy = guys[e.guy];
    tplacement figure = FigurePlacement(e, guy);
    WalkSkeleton(guy, [&](int i, const tplacement &place, bool transparent) {
      if (transparent) return;  // drawn with alpha 0 it would change nothing
      const tguypart &p = guy.parts[i];
      const tplacement m = Then(place, figure);
      const tvector corners[4] = {{p.corner2.x, p.corner2.y},
                                  {p.corner2.x, p.corner1.y},
                                  {p.corner1.x, p.corner1.y},
                                  {p.corner1.x, p.corner2.y}};
      const size_t at = figureVertices.size(), atColour = figureColours.size();
      figureVertices.resize(at + 12);
      figureColours.resize(atColour + 16);
      float *xyz = &figureVertices[at], *rgba = &figureColours[atColour];
      for (const tvector &c : corners) {
        const tvector v = PlacePoint(m, c);
        *xyz++ = static_cast<float>(v.x), *xyz++ = static_cast<float>(v.y), *xyz++ = 0.f;
        for (int k = 0; k < 3; ++k) *rgba++ = static_cast<float>(p.colour[k]);
        *rgba++ = 1.f;
      }
    });
  }
  if (figureVertices.empty()) return;
  glDisable(GL_BLEND);  // every part is opaque: blending would only read back what it covers
  // A part's four corners share its colour, so flat shading gives the same picture without the
  // rasteriser setting up the colour's slopes for each of thousands of small triangles.
  glShadeModel(GL_FLAT);
  DrawArrays(GL_QUADS, figureVertices, figureColours);
  glShadeModel(GL_SMOOTH);
  glEnable(GL_BLEND);
}
