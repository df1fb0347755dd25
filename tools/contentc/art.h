// The game's fixed textures, drawn by our own code. Each maker returns the finished image in
// canvas terms (row 0 is the first row of pixel data, GL's t = 0).
#pragma once
#include <string>

#include "contentc/canvas.h"

// Font atlas: 6 glyph cells of 32 x 32 pixels per row. The text drawing maps a cell's lower t
// to the top of the glyph on screen, so each glyph is stored top row first.
constexpr int kFontSize = 256, kFontCell = 32, kFontColumns = 6, kFontGlyphs = 42;
// The glyph of each cell, in cell order.
constexpr char kFontChars[] = "abcdefghijklmnopqrstuvwxyz0123456789 .!?+-";

// The first bold sans font found in the usual places, or "" when there is none.
std::string FindFontFile();
// Rasterises the glyphs with FreeType; false with a reason when the font cannot be used.
bool MakeFontImage(const std::string &fontPath, Canvas &out, std::string *error);

// Sky colour by time of day (0 dawn .. 1) and height (0 zenith at the top of the screen,
// 1 horizon at the bottom).
Rgba SkyColour(double time, double height);
Canvas MakeDayNightImage();
Canvas MakeParticleAtlas();
Canvas MakeGunIcons();
Canvas MakeSupplyCrate();
Canvas MakeBaseSymbol();
Canvas MakeDefenderImage();
Canvas MakeDefenderArm();
Canvas MakeHelicopter();
Canvas MakeLaserSmoke();

// The program's icon at one size (square, straight alpha), and the sizes the install ships.
Canvas MakeAppIcon(int size);
constexpr int kAppIconSizeCount = 8;
extern const int kAppIconSizes[kAppIconSizeCount];
// The window's icon in the data folder, and its size.
constexpr const char *kWindowIconFile = "icon.bmp";
constexpr int kWindowIconSize = 64;

// Draws all ten into dataDir/textures/ as TGA files; false (after saying why) on failure.
bool WriteTextureFiles(const std::string &dataDir);
