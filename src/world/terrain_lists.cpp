// The terrain's display lists: a black silhouette per world tile and the skyline layers.
#include <GL/gl.h>

#include "world/terrain.h"

static void DeleteList(uint32_t &name) {
  if (name != 0 && glIsList(name)) glDeleteLists(name, 1);
  name = 0;
}

void buildtilelists() {
  for (ttilerecord &tile : worldRow) {
    DeleteList(tile.list);
    tile.list = glGenLists(1);
    glNewList(tile.list, GL_COMPILE);
    glBegin(GL_QUADS);
    for (const block &b : tile.drawn) {
      if (!b.active) continue;
      const double x1 = b.corner1.x, y1 = b.corner1.y, x2 = b.corner2.x, y2 = b.corner2.y;
      glColor3d(0, 0, 0);
      glVertex3d(x2, y2, 0);
      glVertex3d(x2, y1, 0);
      glVertex3d(x1, y1, 0);
      glVertex3d(x1, y2, 0);
    }
    glEnd();
    glEndList();
  }
}

void buildskyline() {
  // The bars follow the day's world (a copy of the game's state, which is left where it was),
  // so the game goes the same whether or not it is drawn.
  trandom bars{randomState};
  for (int i = 0; i < 9; ++i) {
    DeleteList(skylineLayers[i]);
    skylineLayers[i] = glGenLists(1);
    glNewList(skylineLayers[i], GL_COMPILE);
    glBegin(GL_QUADS);
    for (int j = 0; j < 22; ++j) {
      // Drawn for every column so the generator advances the same whichever bars a layer keeps.
      const double h = 1.5 * randomreal(bars);
      if (j % 3 != i % 3) continue;
      const double x = 0.5 * j;
      glVertex3d(x, 0, 0);
      glVertex3d(x, h, 0);
      glVertex3d(x + 0.5, h, 0);
      glVertex3d(x + 0.5, 0, 0);
    }
    glEnd();
    glEndList();
  }
}

void forgetterrainlists() {
  for (ttilerecord &tile : worldRow) tile.list = 0;
  for (uint32_t &name : skylineLayers) name = 0;
}
