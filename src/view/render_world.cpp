// One frame of the world: the sky, the terrain (it covers everything behind it), then back to
// front skyline, base, figures, effects, sunlight and shadows; HUD and fade. The caller clears
// the colour and depth buffers first.
#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "game/objects.h"
#include "game/state.h"
#include "persist/options.h"
#include "render/textures.h"
#include "view/view.h"
#include "world/terrain.h"

namespace {
void ScreenQuad(double alpha) {
  const double w = ScreenHalfWidth();
  glColor4d(0, 0, 0, alpha);
  glBegin(GL_QUADS);
  glVertex3d(-w, -3.75, -9);
  glVertex3d(w, -3.75, -9);
  glVertex3d(w, 3.75, -9);
  glVertex3d(-w, 3.75, -9);
  glEnd();
}

void Quad(double x0, double y0, double x1, double y1, double t0 = 0, double t1 = 1) {
  glTexCoord2d(0, t0);
  glVertex3d(x0, y0, 0);
  glTexCoord2d(1, t0);
  glVertex3d(x1, y0, 0);
  glTexCoord2d(1, t1);
  glVertex3d(x1, y1, 0);
  glTexCoord2d(0, t1);
  glVertex3d(x0, y1, 0);
}
}  // namespace

void DrawBaseMarker() {
  ApplyCamera();
  double top = basePos.y + 0.2 + 0.05 * Game.supplies;
  glDisable(GL_TEXTURE_2D);
  glColor4d(0, 0, 0, 1);
  glBegin(GL_QUADS);
  Quad(basePos.x - 0.1, basePos.y, basePos.x + 0.1, top);
  glEnd();
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, symbolTexture);
  glBegin(GL_QUADS);  // still black: the emblem shows as a silhouette through its alpha
  Quad(basePos.x - 0.1, top, basePos.x + 0.1, top + 0.2, 0, 0.985);
  glEnd();
}

void DrawCrates() {
  ApplyCamera();
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, suppliesTexture);
  glColor4d(1, 1, 1, 1);
  glBegin(GL_QUADS);
  for (const tcrate &c : crateList)
    if (c.active) Quad(c.pos.x - 0.1, c.pos.y, c.pos.x + 0.1, c.pos.y + 0.2);
  glEnd();
}

// The terrain first, black and opaque, into colour and depth; then the world's depth state:
// every later part of the world lies in the terrain's plane or behind it and is tested against
// it, not written. What the terrain covers is then neither filled nor lit in vain, and the
// terrain needs no second pass on top: the same picture as drawing it last. (Only the tracers,
// a hair in front of the plane, and the near half of the helicopter's rotor, turning in depth,
// pass on the terrain; they are black like it, so there they change nothing.)
void DrawTerrainFirst() {
  glDepthMask(GL_TRUE);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LESS);
  DrawTerrain();
  WorldDepthState();
}

void WorldDepthState() {
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LESS);
  glDepthMask(GL_FALSE);
}

void EndWorldDepth() {
  glDepthMask(GL_TRUE);  // or no later clear of the depth buffer would clear it
  glDisable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
}

void DrawTerrain() {
  ApplyCamera();
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_BLEND);  // black and opaque: blending would only cost fill
  // Only the tiles the view reaches: a tile holds hundreds of blocks, and those of the dozen
  // tiles out of view would each still be transformed and clipped.
  const double halfWidth = ViewHalfSize().x, left = CameraPos.x - halfWidth, right = CameraPos.x + halfWidth;
  for (const ttilerecord &tile : worldRow) {
    if (!tile.list) continue;
    bool reaches = false;
    for (const block &b : tile.drawn)
      if (b.active && std::min(b.corner1.x, b.corner2.x) <= right && std::max(b.corner1.x, b.corner2.x) >= left) {
        reaches = true;
        break;
      }
    if (reaches) glCallList(tile.list);
  }
  glEnable(GL_BLEND);
}

void DrawFade(double alpha) {
  glLoadIdentity();
  glDisable(GL_TEXTURE_2D);
  ScreenQuad(alpha);
}

void RenderWorld() {
  const double groundTop = SolidGroundTop();
  DrawSky(groundTop);  // untested: a depth test would cost more than it saves
  DrawTerrainFirst();
  glDisable(GL_TEXTURE_2D);
  DrawSkyline(groundTop);
  if (!Ending.baseLossBlast) DrawBaseMarker();
  bool aboard = Ending.rescueActive && heli.rope <= 0;  // flown out: drawn in the helicopter
  if (!defenderList.empty() && !aboard) DrawDefenders();
  if (!crateList.empty()) DrawCrates();
  if (!Ending.deathBlast && !aboard) DrawPlayer();
  DrawCharacters();
  DrawTracers();
  if (Ending.heliActive) DrawHeli();
  glPointSize(3);
  glEnable(GL_TEXTURE_2D);
  if (!pickupList.empty()) {
    ApplyCamera();
    DrawPickups();
  }
  if (!Options.particlesOff) DrawParticles();
  glDisable(GL_TEXTURE_2D);
  double a = (Game.timeOfDay + 0.1875) * 2 * M_PI;
  if (!Options.shadowsOff && std::cos(a) < 0) DrawSunAndShadows({std::sin(a), std::cos(a)});
  EndWorldDepth();
  DrawHud();
  bool heliInView = Game.dayNumber >= Game.helpDay && Ending.heliActive && OnScreen(heli.pos);
  if (Options.tutorial && (Game.dayNumber == 1 || heliInView)) DrawTutorial();
  if (Game.fadeOut) DrawFade(Game.fadeLevel);
}
