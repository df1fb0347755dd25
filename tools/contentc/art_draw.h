// Shared helpers of the texture makers: drawing in a shape's own units.
#pragma once
#include <vector>

#include "contentc/canvas.h"

// Maps a sprite's own units (for example world units of the quad it is drawn on) to pixels.
struct Frame {
  double originX, originY, scaleX, scaleY;
  Pt operator()(double x, double y) const { return {originX + x * scaleX, originY + y * scaleY}; }
  std::vector<Pt> operator()(const std::vector<Pt> &pts) const {
    std::vector<Pt> out;
    out.reserve(pts.size());
    for (const Pt &p : pts) out.push_back((*this)(p.x, p.y));
    return out;
  }
  // Shapes in a frame: sizes along x and y are scaled separately, so a frame whose pixels are
  // stretched on screen still draws round circles.
  void ellipse(Canvas &c, double x, double y, double rx, double ry, Rgba col) const {
    Pt p = (*this)(x, y);
    c.fillEllipse(p.x, p.y, rx * scaleX, ry * scaleY, col);
  }
  void rect(Canvas &c, double x0, double y0, double x1, double y1, Rgba col) const {
    Pt a = (*this)(x0, y0), b = (*this)(x1, y1);
    c.fillRect(a.x, a.y, b.x, b.y, col);
  }
  void poly(Canvas &c, const std::vector<Pt> &pts, Rgba col) const { c.fillPolygon((*this)(pts), col); }
  // Stroke widths are given in pixels.
  void stroke(Canvas &c, const std::vector<Pt> &pts, double widthPx, Rgba col) const {
    c.stroke((*this)(pts), widthPx, col);
  }
};

inline Rgba Grey(double v, double a = 1) { return {v, v, v, a}; }
