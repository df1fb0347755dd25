// Bitmap-font text and the immediate-mode widgets of every menu, drawn in the screen plane
// (model-view reset and translated to z = -9).
#pragma once
#include <cstdint>
#include <string>

#include "base/vector.h"

extern tvector CursorPos;     // mouse in screen-plane units, set at the top of each frame
extern tvector LastClickPos;  // CursorPos of the last frame the left button was held

// Glyph index of one (lower-cased) character in the font atlas.
int GlyphIndex(unsigned char c);
// Whether the font has a glyph for c: letters of either case, digits, blank and . ! ? + -.
bool FontCanDraw(unsigned char c);
// Text from elsewhere (a server's reason) as the font can draw it: apostrophes left out, any other
// character it has no glyph for a space.
std::string FontText(const std::string &text);

void DrawString(const std::string &text, tvector p, bool centred);
void DrawText(const std::string &text, tvector p, bool centred);
void FillRect(tvector a, tvector b, tcolour colour);
void FrameRect(tvector a, tvector b);
void Panel(tvector a, tvector b);
bool Button(const std::string &caption, tvector p, tvector mouse, double scale);
bool KeyTyped(char c);
void TypeInto(std::string &text, bool digitsOnly);
// Arcade-style entry for a pad, whose d-pad reaches the menus as the arrow keys: up and down turn
// the last letter through a-z, 0-9 and blank, right adds a letter, left takes the last one away.
void StepLetters(std::string &text, uint8_t maxLength);
void TextField(std::string &text, tvector p, uint8_t maxLength, bool digitsOnly);
void Slider(double &value, tvector p, double lo, double hi, double len);
void DrawCursor(tvector p);
void DrawBackground();
tvector MouseToWorld(double mx, double my);

// The prelude every menu frame shares: frame time, cursor, clear, backdrop, screen plane and
// the last click.
void MenuFramePrelude();
// For menus whose picture depends only on the pointer: true when this frame would draw exactly
// the last picture of the same screen (it then only keeps time, and the last picture stays up).
bool MenuPictureUnchanged(const void *screen);
