// The figure: every key frame of every animation, a walk played back through the game's own
// playback, arms aimed the way the game step aims them (with the weapon held), zombie arms,
// and the figure after losing parts.
#include <GL/gl.h>

#include <cmath>
#include <cstdio>

#include "actors/animation.h"
#include "actors/models.h"
#include "actors/skeleton_draw.h"
#include "base/files.h"
#include "preview.h"
#include "render/textures.h"

namespace {

const double SCALE = 0.075;
const char *const NAMES[4] = {"walk2", "stand2", "jumpa2", "jumpb2"};

tanidata Pose(const tframe &f) {
  tanidata a{};
  a.scale = SCALE;
  a.partcount = static_cast<int32_t>(f.values.size()) - 2;
  a.from = f;
  a.target = f;
  a.rates.assign(f.values.size(), 0.0);
  return a;
}

void Ground(double x0, double x1, double y) { FillRect(x0, y - 0.02, x1, y, 0.35f, 0.3f, 0.28f, 1); }

void Box(tvector p) { OutlineRect(p.x - 0.05, p.y - 0.1, p.x + 0.05, p.y + 0.1, 0.9f, 0.1f, 0.1f, 1); }

// As the world drawing holds a weapon: a 0.4 x 0.1 quad turned to the aim at the shoulder.
void WeaponSprite(tvector q, uint32_t texture, bool flipped, double recoil, double angle) {
  if (!texture) return;
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, texture);
  glColor4f(1, 1, 1, 1);
  glPushMatrix();
  glTranslated(q.x, q.y, 0);
  glRotated(angle, 0, 0, 1);
  glTranslated(0.05 * recoil - 0.075, 0, 0);
  glBegin(GL_QUADS);
  if (!flipped) {
    glTexCoord2d(0, 0);
    glVertex2d(0, -0.06);
    glTexCoord2d(1, 0);
    glVertex2d(0.4, -0.06);
    glTexCoord2d(1, 1);
    glVertex2d(0.4, 0.04);
    glTexCoord2d(0, 1);
    glVertex2d(0, 0.04);
  } else {
    glTexCoord2d(0, 1);
    glVertex2d(0, -0.04);
    glTexCoord2d(1, 1);
    glVertex2d(0.4, -0.04);
    glTexCoord2d(1, 0);
    glVertex2d(0.4, 0.06);
    glTexCoord2d(0, 0);
    glVertex2d(0, 0.06);
  }
  glEnd();
  glPopMatrix();
  glDisable(GL_TEXTURE_2D);
}

// The game step's arms and lean for the player aiming along `bearing` (radians).
void AimPlayer(tguy &guy, tanidata &a, double bearing, bool longgrip, double armReach) {
  bool aimLeft = std::sin(bearing) < 0;
  double d = bearing * 57.29577951308232, r = longgrip ? 0.3 : 0.2;
  uint8_t flip = aimLeft ? 1 : 0;
  AimLimb(guy, '1', flip, aimLeft ? d - 15 : d + 15, armReach + r, a.facing);
  AimLimb(guy, '2', flip, aimLeft ? d - 5 : d + 5, armReach + 0.95, a.facing);
  double L = (armReach - 1) * 25;
  if (a.facing == (aimLeft ? 1 : 0)) {
    L += ((aimLeft ? -d : d) - 90) * 0.25;
  } else {
    L += 15 * std::cos(bearing);
    L = -L;
  }
  guy.parts[0].angle -= L;
  for (int i : {2, 4, 6, 9})
    if (i < static_cast<int>(guy.parts.size())) guy.parts[i].angle += L;
}

bool KeyFrames(int which, tguy guy, const std::string &outDir) {
  const tanim &anim = animations[which];
  if (anim.frames.empty()) return false;
  const double cell = 0.17, ppu = 900;
  int n = static_cast<int>(anim.frames.size());
  PreviewView v{0, -0.14, cell * n, 0.2, static_cast<int>(cell * n * ppu), static_cast<int>(0.34 * ppu)};
  BeginPicture(v);
  for (int i = 0; i < n; ++i) {
    tvector pos{cell * (i + 0.5), 0};
    Ground(cell * i + 0.01, cell * (i + 1) - 0.01, -0.1);
    tanidata a = Pose(anim.frames[i]);
    ApplyPose(guy, a);
    DrawFigureAt(pos, a, guy);
    Box(pos);
  }
  return SavePicture(v, outDir + "/anim_" + NAMES[which] + ".png");
}

// Walking as the game plays it: the walk started at frame 0 and advanced by fixed frames.
bool Playback(tguy guy, const std::string &outDir) {
  const int n = 12;
  const double cell = 0.16, ppu = 600;
  PreviewView v{0, -0.14, cell * n, 0.2, static_cast<int>(cell * n * ppu), static_cast<int>(0.34 * ppu)};
  BeginPicture(v);
  tanidata a{};
  a.scale = SCALE;
  a.speed = 2.0;  // as when a direction key is held
  a.anim = 1;
  a.partcount = static_cast<int32_t>(guy.parts.size());
  a.from.values.assign(a.partcount + 2, 0);
  a.target.values.assign(a.partcount + 2, 0);
  a.rates.assign(a.partcount + 2, 0);
  guys.assign(1, guy);
  SetAnimation(a, 0, 0, 0.0, 1, 0);
  Ground(0, cell * n, -0.1);
  for (int i = 0; i < n; ++i) {
    for (int k = 0; k < 2; ++k) {  // two 15 ms frames per picture
      a.time += 0.015 * a.speed;
      AdvanceAnimation(a);
    }
    ApplyPose(guys[0], a);
    DrawFigureAt({cell * (i + 0.5), 0}, a, guys[0]);
  }
  return SavePicture(v, outDir + "/walk_playback.png");
}

bool Aims(tguy rest, const std::string &outDir) {
  uint32_t tex[3] = {0, 0, 0};
  const char *files[3] = {"pistol.tga", "rifle.tga", "shotgun.tga"};
  for (int i = 0; i < 3; ++i) LoadTargaTexture(baseDirectory + "/textures/" + files[i], tex[i]);
  const double bearings[] = {0.05, 0.5, 1.0, 1.5708, 2.1, 2.6, 3.1};
  const int cols = 7, rows = 4;
  const double cw = 0.36, rh = 0.42, ppu = 480;
  PreviewView v{0, 0, cw * cols, rh * rows, static_cast<int>(cw * cols * ppu), static_cast<int>(rh * rows * ppu)};
  BeginPicture(v);
  const tframe &stand = animations[1].frames[0];
  for (int row = 0; row < rows; ++row)
    for (int col = 0; col < cols; ++col) {
      tguy guy = rest;
      tanidata a = Pose(stand);
      ApplyPose(guy, a);
      // rows: facing right with a pistol; facing left with a rifle; facing right aiming behind
      // with a shotgun; facing left aiming behind with a pistol
      double b = bearings[col];
      bool left = row == 1 || row == 2;
      a.facing = row == 1 || row == 3 ? 1 : 0;
      double bearing = left ? -b : b;
      bool longgrip = row == 1 || row == 2;
      AimPlayer(guy, a, bearing, longgrip, 1.0);
      tvector pos{cw * (col + 0.5), rh * (rows - row - 1) + 0.2};
      Ground(cw * col + 0.01, cw * (col + 1) - 0.01, pos.y - 0.1);
      glDisable(GL_TEXTURE_2D);
      tvector shoulder{pos.x, pos.y - guy.parts[0].pivot.y * SCALE + 0.065};
      double angle = 90 - bearing * 57.29577951308232;
      WeaponSprite(shoulder, tex[row % 3], left, 1.0, angle);
      DrawFigureAt(pos, a, guy);
      // where shots leave and the aim line
      tvector gun{pos.x, pos.y - guy.parts[0].pivot.y * SCALE + 0.075};
      Line(gun.x, gun.y, gun.x + 0.16 * std::sin(bearing), gun.y + 0.16 * std::cos(bearing), 0.1f, 0.4f, 1, 1);
    }
  return SavePicture(v, outDir + "/aim_player.png");
}

// Zombies reaching for their prey, flailing while they strike, and the figure missing parts.
bool Zombies(tguy rest, const std::string &outDir) {
  const int cols = 8;
  const double cw = 0.3, rh = 0.36, ppu = 500;
  PreviewView v{0, 0, cw * cols, rh * 2, static_cast<int>(cw * cols * ppu), static_cast<int>(rh * 2 * ppu)};
  BeginPicture(v);
  for (int col = 0; col < cols; ++col) {
    tguy guy = rest;
    tanidata a = Pose(animations[0].frames[col % animations[0].frames.size()]);
    ApplyPose(guy, a);
    a.facing = col >= 4 ? 1 : 0;
    double f = a.facing;
    if (col % 4 < 3) {
      double aim = (col % 4 == 0 ? 90 : col % 4 == 1 ? 60 : 120) * (f ? -1 : 1);
      AimLimb(guy, '1', 0, aim + 30 - 60 * f, 1.95, a.facing);
      AimLimb(guy, '2', 0, aim + 5 - 10 * f, 1.95, a.facing);
    } else {
      double t = 0.3;
      AimLimb(guy, '1', 0, 20 * std::cos(8 * M_PI * t) + (90 - 180 * f) - 10 + 20 * f, 2.0, a.facing);
      AimLimb(guy, '2', 0, 20 * std::sin(8 * M_PI * t) + (90 - 180 * f) + 10 - 20 * f, 2.0, a.facing);
    }
    tvector pos{cw * (col + 0.5), rh + 0.2};
    Ground(cw * col + 0.01, cw * (col + 1) - 0.01, pos.y - 0.1);
    DrawFigureAt(pos, a, guy);
  }
  // parts knocked off one after another, as shots would: head, arms, feet and shins
  const char order[] = {'h', 'a', 'a', 'l', 'l', 'l', 'l'};
  tguy guy = rest;
  for (int col = 0; col < cols; ++col) {
    if (col > 0) {
      char zone = order[col - 1];
      for (tguypart &p : guy.parts) {
        bool match = p.visible && (zone == 'h'   ? p.tag == 'h'
                                   : zone == 'a' ? p.tag == '1' || p.tag == '2'
                                                 : p.tag == 'f');
        if (match) {
          p.visible = 0;
          break;
        }
      }
    }
    tanidata a = Pose(animations[1].frames[0]);
    tguy posed = guy;
    ApplyPose(posed, a);
    tvector pos{cw * (col + 0.5), 0.2};
    Ground(cw * col + 0.01, cw * (col + 1) - 0.01, pos.y - 0.1);
    DrawFigureAt(pos, a, posed);
  }
  return SavePicture(v, outDir + "/aim_zombies.png");
}

// Close up and without the weapon, so the elbows can be seen: gun arm bent below the aim,
// the other arm reaching along it.
bool Arms(tguy rest, const std::string &outDir) {
  const double bearings[] = {0.6, 1.5708, 2.3};
  const double cell = 0.25, ppu = 1500;
  PreviewView v{0, 0, cell * 3, 0.3, static_cast<int>(cell * 3 * ppu), static_cast<int>(0.3 * ppu)};
  BeginPicture(v);
  for (int i = 0; i < 3; ++i) {
    tguy guy = rest;
    tanidata a = Pose(animations[1].frames[0]);
    ApplyPose(guy, a);
    AimPlayer(guy, a, bearings[i], false, 1.0);
    tvector pos{cell * i + 0.09, 0.12};
    Ground(cell * i + 0.01, cell * (i + 1) - 0.01, pos.y - 0.1);
    DrawFigureAt(pos, a, guy);
    tvector gun{pos.x, pos.y - guy.parts[0].pivot.y * SCALE + 0.075};
    Line(gun.x, gun.y, gun.x + 0.15 * std::sin(bearings[i]), gun.y + 0.15 * std::cos(bearings[i]), 0.1f, 0.4f, 1, 1);
  }
  return SavePicture(v, outDir + "/aim_arms.png");
}

// Every weapon of the table held level by the standing figure, and the throwing arm drawn back.
bool Weapons(tguy rest, const std::string &outDir) {
  std::vector<uint8_t> bytes;
  if (!ReadFileBytes(baseDirectory + "/weapons.wep", bytes)) return false;
  std::vector<tweaponfile> table = DecodeWeapons(bytes.data(), bytes.size());
  const int cols = 4, rows = static_cast<int>(table.size() + 1 + cols - 1) / cols;
  const double cw = 0.5, rh = 0.3, ppu = 600;
  PreviewView v{0, 0, cw * cols, rh * rows, static_cast<int>(cw * cols * ppu), static_cast<int>(rh * rows * ppu)};
  BeginPicture(v);
  for (size_t i = 0; i <= table.size(); ++i) {
    int col = static_cast<int>(i) % cols, row = static_cast<int>(i) / cols;
    tguy guy = rest;
    tanidata a = Pose(animations[1].frames[0]);
    ApplyPose(guy, a);
    tvector pos{cw * col + 0.15, rh * (rows - row - 1) + 0.14};
    Ground(cw * col + 0.01, cw * (col + 1) - 0.01, pos.y - 0.1);
    if (i < table.size()) {
      AimPlayer(guy, a, 1.5708, table[i].weapon.longgrip, 1.0);
      uint32_t tex = 0;
      LoadTargaTexture(baseDirectory + "/textures/" + table[i].textureFile, tex);
      tvector shoulder{pos.x, pos.y - guy.parts[0].pivot.y * SCALE + 0.065};
      WeaponSprite(shoulder, tex, false, 1.0, 0);
      // where the muzzle flash starts
      Line(pos.x + 0.2, pos.y + 0.075 - 0.01, pos.x + 0.2, pos.y + 0.075 + 0.01, 1, 0.9f, 0, 2);
    } else {
      // cooking a grenade: the other arm drawn back as far as it goes
      AimPlayer(guy, a, 1.2, false, 1.0);
      AimLimb(guy, '2', 0, 1.2 * 57.29577951308232 - 15, -1.8, a.facing);
    }
    DrawFigureAt(pos, a, guy);
  }
  return SavePicture(v, outDir + "/weapons_held.png");
}

}  // namespace

void DrawFigureAt(tvector pos, tanidata &anim, const tguy &guy) {
  glDisable(GL_TEXTURE_2D);
  glLoadIdentity();
  DrawFigure(pos, anim, guy);
}

int PreviewFigure(const std::string &dataDir, const std::string &outDir) {
  (void)dataDir;
  guys.assign(1, tguy{});
  LoadGuy("standard", guys[0], SCALE);
  if (guys[0].parts.empty()) {
    std::fprintf(stderr, "preview: no skeleton guys/standard.guy\n");
    return 1;
  }
  tguy rest = guys[0];
  animations.assign(4, tanim{});
  for (int i = 0; i < 4; ++i)
    LoadAnimation(NAMES[i], static_cast<int32_t>(rest.parts.size()), animations[i], i < 2 ? 1.0 : 0.125);
  int failed = 0;
  for (int i = 0; i < 4; ++i) failed += KeyFrames(i, rest, outDir) ? 0 : 1;
  failed += Playback(rest, outDir) ? 0 : 1;
  failed += Aims(rest, outDir) ? 0 : 1;
  failed += Zombies(rest, outDir) ? 0 : 1;
  failed += Weapons(rest, outDir) ? 0 : 1;
  failed += Arms(rest, outDir) ? 0 : 1;
  return failed;
}
