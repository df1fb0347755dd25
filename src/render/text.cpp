#include "render/text.h"

#include <GL/gl.h>

#include <cctype>
#include <cmath>

#include "platform/window.h"
#include "render/textures.h"

tvector CursorPos = {0, 0};
tvector LastClickPos = {0, 0};

int GlyphIndex(unsigned char c) {
  if (c >= 'a' && c <= 'z') return c - 'a';
  switch (c) {
    case ' ': return 36;
    case '.': return 37;
    case '!': return 38;
    case '?': return 39;
    case '+': return 40;
    case '-': return 41;
    default: return (c - 22) & 0xff;  // gives the digits 26..35
  }
}

bool FontCanDraw(unsigned char c) {
  c = static_cast<unsigned char>(std::tolower(c));
  return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == ' ' || c == '.' || c == '!' || c == '?' || c == '+' ||
         c == '-';
}

std::string FontText(const std::string &text) {
  std::string out;
  for (char c : text)
    if (c != '\'') out += FontCanDraw(static_cast<unsigned char>(c)) ? c : ' ';
  return out;
}

void DrawString(const std::string &text, tvector p, bool centred) {
  if (text.empty()) return;
  if (centred) p.x -= text.size() * 0.07;
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, fontTexture);
  glBegin(GL_QUADS);
  for (size_t i = 0; i < text.size(); ++i) {
    int k = GlyphIndex(static_cast<unsigned char>(std::tolower(static_cast<unsigned char>(text[i]))));
    double u = (k % 6) * 32.0 / 256.0, v = (k / 6) * 32.0 / 256.0;
    double x0 = p.x + 0.01 + 0.14 * i, x1 = p.x + 0.19 + 0.14 * i;
    double y0 = p.y - 0.09, y1 = p.y + 0.09;
    glTexCoord2d(u, v);
    glVertex3d(x0, y1, 0);
    glTexCoord2d(u + 0.125, v);
    glVertex3d(x1, y1, 0);
    glTexCoord2d(u + 0.125, v + 0.125);
    glVertex3d(x1, y0, 0);
    glTexCoord2d(u, v + 0.125);
    glVertex3d(x0, y0, 0);
  }
  glEnd();
  glDisable(GL_TEXTURE_2D);
}

void DrawText(const std::string &text, tvector p, bool centred) {
  glColor3d(0, 0, 0);
  DrawString(text, p, centred);
}

void FillRect(tvector a, tvector b, tcolour c) {
  glColor3d(c.r, c.g, c.b);
  glBegin(GL_QUADS);
  glVertex3d(b.x, b.y, 0);
  glVertex3d(b.x, a.y, 0);
  glVertex3d(a.x, a.y, 0);
  glVertex3d(a.x, b.y, 0);
  glEnd();
}

void FrameRect(tvector a, tvector b) {
  glBegin(GL_LINES);
  glVertex3d(a.x, a.y, 0);
  glVertex3d(b.x, a.y, 0);
  glVertex3d(b.x, a.y, 0);
  glVertex3d(b.x, b.y, 0);
  glVertex3d(b.x, b.y, 0);
  glVertex3d(a.x, b.y, 0);
  glVertex3d(a.x, b.y, 0);
  glVertex3d(a.x, a.y, 0);
  glEnd();
}

void Panel(tvector a, tvector b) {
  glLineWidth(5);
  glColor3d(0, 0, 0);
  FrameRect(a, b);
}

// Both axes are tested with `between`, so either corner order works.
static bool Within(tvector m, double x0, double x1, double y0, double y1) {
  return between(m.x, x0, x1) && between(m.y, y0, y1);
}

bool Button(const std::string &caption, tvector p, tvector mouse, double s) {
  double w = caption.size() * 0.07 * s, h = 0.09 * s;
  bool clicked = false;
  tvector at = p;
  if (Within(mouse, p.x - w, p.x + w, p.y - h, p.y + h)) {
    at = {p.x - 0.02, p.y - 0.02};
    if (mouseLeftDown) {
      clicked = true;
      mouseLeftDown = 0;  // one press activates one button
    }
  }
  glTranslated(at.x, at.y, 0);
  glScaled(s, s, 1);
  DrawText(caption, {0, 0}, true);
  glScaled(1 / s, 1 / s, 1);
  glTranslated(-at.x, -at.y, 0);
  return clicked;
}

bool KeyTyped(char c) {
  int code;
  if (c >= '0' && c <= '9')
    code = hextoint("30") + (c - '0');
  else if (c >= 'a' && c <= 'z')
    code = hextoint("41") + (c - 'a');
  else if (c == ' ')
    code = 0x20;
  else
    return false;
  if (!keyDown[code]) return false;
  keyDown[code] = 0;
  return true;
}

void TypeInto(std::string &text, bool digitsOnly) {
  if (keyDown[8]) {
    keyDown[8] = 0;
    if (!text.empty()) text.pop_back();
  }
  for (char c = '0'; c <= '9'; ++c)
    if (KeyTyped(c)) text += c;
  if (digitsOnly) return;
  for (char c = 'a'; c <= 'z'; ++c)
    if (KeyTyped(c)) text += c;
  if (KeyTyped(' ')) text += ' ';
}

static bool TakeKey(int code) {
  if (!keyDown[code]) return false;
  keyDown[code] = 0;
  return true;
}

void StepLetters(std::string &text, uint8_t maxLength) {
  static const std::string letters = "abcdefghijklmnopqrstuvwxyz0123456789 ";
  const int count = static_cast<int>(letters.size());
  const int turn = (TakeKey(38) ? 1 : 0) - (TakeKey(40) ? 1 : 0);  // up, down
  if (turn != 0) {
    if (text.empty()) {
      text = "a";
    } else {
      // A letter typed on the keyboard outside the cycle (a capital) turns from "a".
      const size_t at = letters.find(static_cast<char>(std::tolower(static_cast<unsigned char>(text.back()))));
      const int i = at == std::string::npos ? 0 : static_cast<int>(at);
      text.back() = letters[(i + turn + count) % count];
    }
  }
  if (TakeKey(39) && !text.empty() && text.size() < maxLength) text += 'a';  // right
  if (TakeKey(37) && !text.empty()) text.pop_back();                         // left
}

void TextField(std::string &text, tvector p, uint8_t n, bool digitsOnly) {
  double alpha = 0.5;
  if (Within(LastClickPos, p.x, p.x + 0.14 * n + 0.02, p.y, p.y + 0.2)) {
    TypeInto(text, digitsOnly);
    if (text.size() > n) text.resize(n);
    alpha = 1.0;
  }
  glColor4d(0, 0, 0, alpha);
  FrameRect(p, {p.x + 0.14 * n + 0.06, p.y + 0.2});
  DrawText(text, {p.x, p.y + 0.1}, false);
}

void Slider(double &value, tvector p, double lo, double hi, double len) {
  double step = (hi - lo) * 0.0125;
  double bx = p.x + 0.15;
  if (mouseLeftDown) {
    if (Within(CursorPos, p.x - 0.04, p.x + 0.11, p.y, p.y + 0.2)) {
      value -= step;
      if (value < lo) value = lo;
    }
    if (Within(CursorPos, p.x + len + 0.15, p.x + len + 0.3, p.y, p.y + 0.2)) {
      value += step;
      if (value > hi) value = hi;
    }
    if (Within(CursorPos, bx, bx + len, p.y, p.y + 0.2)) value = (CursorPos.x - bx) * (hi - lo) / len + lo;
  }
  glColor3d(0, 0, 0);
  FrameRect({bx - 0.19, p.y}, {bx + len + 0.2, p.y + 0.2});
  DrawText("-", {bx - 0.19, p.y + 0.1}, false);
  DrawText("+", {bx + len, p.y + 0.1}, false);
  FillRect({bx + 0.01, p.y + 0.01}, {bx + len, p.y + 0.19}, {0, 0, 0});
  double x = bx + (value - lo) * len / (hi - lo);
  glColor3d(0.4, 0.4, 0.8);
  glBegin(GL_LINES);
  glVertex3d(x, p.y + 0.01, 0);
  glVertex3d(x, p.y + 0.19, 0);
  glEnd();
}

void DrawCursor(tvector p) {
  glDisable(GL_TEXTURE_2D);
  glTranslated(p.x, p.y, 0);
  glLineWidth(3);
  double tx = 0.2 * std::sin(135 * M_PI / 180), ty = 0.2 * std::cos(135 * M_PI / 180);
  glBegin(GL_LINES);
  glColor3d(0.1, 0.1, 0.2);
  glVertex3d(0, 0, 0);
  glColor3d(0.2, 0.2, 0.4);
  glVertex3d(0, -0.2, 0);
  glVertex3d(0, -0.2, 0);
  glVertex3d(tx, ty, 0);
  glVertex3d(tx, ty, 0);
  glColor3d(0.1, 0.1, 0.2);
  glVertex3d(0, 0, 0);
  glEnd();
  glTranslated(-p.x, -p.y, 0);
}

void DrawBackground() {
  glDisable(GL_TEXTURE_2D);
  // The backdrop is opaque and lies under everything: blending or depth-testing it would only
  // cost fill.
  glDisable(GL_BLEND);
  GLboolean depth = glIsEnabled(GL_DEPTH_TEST);
  glDisable(GL_DEPTH_TEST);
  glLoadIdentity();
  glTranslated(0, 0, -9);
  glBegin(GL_QUADS);
  glColor3d(0.7, 0.3, 0.35);
  glVertex3d(-6, -3.75, 0);
  glVertex3d(6, -3.75, 0);
  glColor3d(0.4, 0.4, 0.6);
  glVertex3d(6, 3.75, 0);
  glVertex3d(-6, 3.75, 0);
  glEnd();
  // Same seed every frame, so the skyline stands still.
  trandom bars{0};
  for (int i = 0; i < 20; ++i) {
    double r = randomreal(bars);
    FillRect({0.5 * i - 5.0, -3.75}, {0.5 * i - 4.5, r - 3.0 + 0.25 * std::sin(0.2 * i + 0.5)}, {0, 0, 0});
  }
  glEnable(GL_BLEND);
  if (depth) glEnable(GL_DEPTH_TEST);
}

// Uses the current drawable size, so the pointer stays right after the window is resized.
tvector MouseToWorld(double mx, double my) { return PointerOnPlane(mx, my); }

void MenuFramePrelude() {
  frameTime = GetFrameTime();
  CursorPos = MouseToWorld(mouseX, mouseY);
  // With the stencil, which ClipTo clears again before it marks: depth and stencil share each
  // pixel's word, and clearing both is one plain fill instead of a masked rewrite.
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  DrawBackground();
  glLoadIdentity();
  glTranslated(0, 0, -9);
  if (mouseLeftDown) LastClickPos = CursorPos;
}

bool MenuPictureUnchanged(const void *screen) {
  struct Look {
    const void *screen;
    double mx, my;
    uint8_t left;
    int w, h;
  };
  static Look last = {nullptr, 0, 0, 0, 0, 0};
  Look now = {screen, mouseX, mouseY, mouseLeftDown, clientWidth, clientHeight};
  bool same = !redrawRequested && now.screen == last.screen && now.mx == last.mx && now.my == last.my &&
              now.left == last.left && now.w == last.w && now.h == last.h;
  last = now;
  redrawRequested = 0;
  if (!same) return false;
  frameTime = GetFrameTime();
  frameDrawn = 0;
  return true;
}
