#include "actors/skeleton_draw.h"

#include <GL/gl.h>

namespace {

void EmitPart(const tguy &guy, int i, const tplacement &place, bool transparent) {
  const tguypart &p = guy.parts[i];
  DrawPartQuad(place, p.corner1, p.corner2, p.colour, transparent);
}

}  // namespace

void DrawPartQuad(const tplacement &place, tvector c1, tvector c2, const double colour[4], bool transparent) {
  glColor4d(colour[0], colour[1], colour[2], transparent ? 0.0 : 1.0);
  const tvector corners[4] = {{c2.x, c2.y}, {c2.x, c1.y}, {c1.x, c1.y}, {c1.x, c2.y}};
  for (const tvector &c : corners) {
    tvector v = PlacePoint(place, c);
    glVertex3d(v.x, v.y, 0);
  }
}

void DrawPart(int i, const tguy &guy, const tplacement &parent) {
  WalkPart(i, guy, parent,
           [&guy](int j, const tplacement &place, bool transparent) { EmitPart(guy, j, place, transparent); });
}

void DrawSkeleton(const tguy &guy) {
  WalkSkeleton(guy, [&guy](int j, const tplacement &place, bool transparent) { EmitPart(guy, j, place, transparent); });
}

void DrawFigure(tvector pos, const tanidata &anim, const tguy &guy) {
  if (guy.parts.empty()) return;
  glPushMatrix();
  if (anim.facing) {
    glRotated(180, 0, 1, 0);
    glTranslated(-pos.x, pos.y + 0.05, 0);
  } else {
    glTranslated(pos.x, pos.y + 0.05, 0);
  }
  const tguypart &root = guy.parts[0];
  glTranslated(-root.pivot.x * anim.scale, -root.pivot.y * anim.scale - 0.01, 0);
  glRotated(root.angle, 0, 0, 1);
  glBegin(GL_QUADS);
  DrawSkeleton(guy);
  glEnd();
  glPopMatrix();
}

void DrawCharacter(const tenemy &e) {
  if (e.guy < 0 || static_cast<size_t>(e.guy) >= guys.size()) return;
  DrawFigure(e.body.pos, e.anim, guys[e.guy]);
}
