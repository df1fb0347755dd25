// The content preview: renders level pieces and the posed figure to PNG files so an author can
// look at what the game will draw without playing to it.
#pragma once
#include <string>
#include <vector>

#include "actors/records.h"
#include "world/terrain.h"

struct PreviewView {
  double x0, y0, x1, y1;  // world rectangle shown
  int width, height;      // pixels
};

// Starts a picture: viewport, orthographic projection of the view, sky background.
void BeginPicture(const PreviewView &v);
// Reads the picture back and writes it; false (with a message) on failure.
bool SavePicture(const PreviewView &v, const std::string &path);

void FillRect(double x0, double y0, double x1, double y1, float r, float g, float b, float a);
void OutlineRect(double x0, double y0, double x1, double y1, float r, float g, float b, float width);
void Line(double x0, double y0, double x1, double y1, float r, float g, float b, float width);

// The figure as the game draws it: its collision box centred on pos.
void DrawFigureAt(tvector pos, tanidata &anim, const tguy &guy);

// Pictures; each returns how many files failed.
int PreviewPieces(const std::string &dataDir, const std::string &outDir);
int PreviewFigure(const std::string &dataDir, const std::string &outDir);
int PreviewTextures(const std::string &dataDir, const std::string &outDir);
