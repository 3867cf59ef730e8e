// A small anti-aliased software rasteriser for the pictures drawn at build time.
// Shapes are signed distance functions (negative inside, in pixels), so every edge gets
// one pixel of smooth coverage and shapes combine by min/max without special cases.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace resgen {

inline constexpr float kPi = 3.14159265f;

// Premultiplied colour, components 0..1.
struct Rgba {
  float r = 0, g = 0, b = 0, a = 0;
};

// Straight 0..255 colour to premultiplied.
Rgba C(int r, int g, int b, int a = 255);
Rgba lerp(const Rgba& x, const Rgba& y, float t);
// Scales the colour towards white (amount > 0) or black (amount < 0), keeping alpha.
Rgba shade(const Rgba& c, float amount);

struct Vec {
  float x = 0, y = 0;
};

using Sdf = std::function<float(float, float)>;
using Paint = std::function<Rgba(float, float)>;

// --- shapes -----------------------------------------------------------------------
Sdf circle(float cx, float cy, float r);
Sdf ellipse(float cx, float cy, float rx, float ry);
Sdf roundRect(float x0, float y0, float x1, float y1, float radius);
// A line of half-width hw with round caps.
Sdf capsule(float x0, float y0, float x1, float y1, float hw);
Sdf ring(float cx, float cy, float r, float hw);
// A stretch of a ring between two angles (radians, y down, so positive turns clockwise on
// screen), with round ends.
Sdf arc(float cx, float cy, float r, float hw, float a0, float a1);
Sdf polygon(std::vector<Vec> pts);
// A polyline of round-capped segments.
Sdf polyline(const std::vector<Vec>& pts, float hw);

Sdf unite(Sdf a, Sdf b);
Sdf intersect(Sdf a, Sdf b);
Sdf subtract(Sdf a, Sdf b);
// Grows (d > 0) or shrinks (d < 0) a shape.
Sdf grow(Sdf s, float d);
// Rotates a shape by angle (radians) about (cx, cy).
Sdf rotate(Sdf s, float cx, float cy, float angle);
Sdf translate(Sdf s, float dx, float dy);

// --- paints -----------------------------------------------------------------------
Paint solid(Rgba c);
Paint linear(float x0, float y0, Rgba c0, float x1, float y1, Rgba c1);
Paint radial(float cx, float cy, float r, Rgba c0, Rgba c1);

class Canvas {
 public:
  Canvas(int w, int h);
  int width() const { return w_; }
  int height() const { return h_; }
  Rgba& at(int x, int y) { return px_[size_t(y) * w_ + x]; }
  const Rgba& at(int x, int y) const { return px_[size_t(y) * w_ + x]; }

  void clear(Rgba c);
  // Paints the inside of the shape. softness widens the edge ramp (1 = one pixel) for
  // shadows and glows; opacity scales the paint.
  void fill(const Sdf& s, const Paint& p, float opacity = 1.0f, float softness = 1.0f);
  void fill(const Sdf& s, Rgba c, float opacity = 1.0f, float softness = 1.0f) {
    fill(s, solid(c), opacity, softness);
  }
  // Draws the shape with a dark rim of the given width around it, then its paint.
  void outlined(const Sdf& s, const Paint& p, Rgba rim, float rimWidth = 1.0f);
  // Composites another canvas over this one at (dx, dy).
  void draw(const Canvas& src, int dx, int dy);

  // Composites over an opaque background and returns 8-bit RGB, row by row, top first.
  std::vector<uint8_t> rgb(Rgba background) const;

 private:
  int w_, h_;
  std::vector<Rgba> px_;
};

}  // namespace resgen
