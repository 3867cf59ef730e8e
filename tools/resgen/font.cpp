// Glyph tables of the two built-in fonts (see font.h).
#include "tools/resgen/font.h"

#include <cmath>
#include <cstring>
#include <vector>

namespace resgen {

namespace {

struct PixelGlyph {
  char ch;
  const char* rows[9];  // '#' is ink; rows 0..6 above the baseline, 7..8 below
};

// clang-format off
const PixelGlyph kGlyphs[] = {
  {' ', {"...", "...", "...", "...", "...", "...", "..."}},
  {'.', {".", ".", ".", ".", ".", ".", "#"}},
  {',', {"..", "..", "..", "..", "..", ".#", ".#", "#."}},
  {':', {".", ".", "#", ".", ".", "#", "."}},
  {'-', {"....", "....", "....", "....", "####", "....", "...."}},
  {'0', {".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."}},
  {'1', {"..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."}},
  {'2', {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"}},
  {'3', {"#####", "...#.", "..#..", "...#.", "....#", "#...#", ".###."}},
  {'4', {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."}},
  {'5', {"#####", "#....", "####.", "....#", "....#", "#...#", ".###."}},
  {'6', {"..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."}},
  {'7', {"#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."}},
  {'8', {".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."}},
  {'9', {".###.", "#...#", "#...#", ".####", "....#", "...#.", ".##.."}},
  {'C', {".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."}},
  {'D', {"####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."}},
  {'I', {"###", ".#.", ".#.", ".#.", ".#.", ".#.", "###"}},
  {'V', {"#...#", "#...#", "#...#", "#...#", ".#.#.", ".#.#.", "..#.."}},
  {'W', {"#...#", "#...#", "#...#", "#.#.#", "#.#.#", "##.##", "#...#"}},
  {'a', {".....", ".....", ".###.", "....#", ".####", "#...#", ".####"}},
  {'b', {"#....", "#....", "####.", "#...#", "#...#", "#...#", "####."}},
  {'c', {"....", "....", ".###", "#...", "#...", "#...", ".###"}},
  {'d', {"....#", "....#", ".####", "#...#", "#...#", "#...#", ".####"}},
  {'e', {".....", ".....", ".###.", "#...#", "#####", "#....", ".###."}},
  {'f', {"..##", ".#..", "####", ".#..", ".#..", ".#..", ".#.."}},
  {'g', {".....", ".....", ".####", "#...#", "#...#", "#...#", ".####", "....#", ".###."}},
  {'h', {"#....", "#....", "####.", "#...#", "#...#", "#...#", "#...#"}},
  {'i', {".#.", "...", "##.", ".#.", ".#.", ".#.", "###"}},
  {'j', {"..#", "...", ".##", "..#", "..#", "..#", "..#", "..#", "##."}},
  {'k', {"#...", "#...", "#..#", "#.#.", "##..", "#.#.", "#..#"}},
  {'l', {"##.", ".#.", ".#.", ".#.", ".#.", ".#.", "###"}},
  {'m', {".....", ".....", "##.#.", "#.#.#", "#.#.#", "#.#.#", "#.#.#"}},
  {'n', {".....", ".....", "####.", "#...#", "#...#", "#...#", "#...#"}},
  {'o', {".....", ".....", ".###.", "#...#", "#...#", "#...#", ".###."}},
  {'p', {".....", ".....", "####.", "#...#", "#...#", "#...#", "####.", "#....", "#...."}},
  {'q', {".....", ".....", ".####", "#...#", "#...#", "#...#", ".####", "....#", "....#"}},
  {'r', {"....", "....", "#.##", "##..", "#...", "#...", "#..."}},
  {'s', {".....", ".....", ".####", "#....", ".###.", "....#", "####."}},
  {'t', {".#..", ".#..", "####", ".#..", ".#..", ".#..", "..##"}},
  {'u', {".....", ".....", "#...#", "#...#", "#...#", "#...#", ".####"}},
  {'v', {".....", ".....", "#...#", "#...#", ".#.#.", ".#.#.", "..#.."}},
  {'w', {".....", ".....", "#...#", "#.#.#", "#.#.#", "#.#.#", ".#.#."}},
  {'x', {".....", ".....", "#...#", ".#.#.", "..#..", ".#.#.", "#...#"}},
  {'y', {".....", ".....", "#...#", "#...#", "#...#", "#...#", ".####", "....#", ".###."}},
  {'z', {".....", ".....", "#####", "...#.", "..#..", ".#...", "#####"}},
};
// clang-format on

const PixelGlyph* findGlyph(char ch) {
  for (const PixelGlyph& g : kGlyphs)
    if (g.ch == ch) return &g;
  return &kGlyphs[0];  // unknown characters print as a blank
}

int glyphWidth(const PixelGlyph& g) { return int(std::strlen(g.rows[0])); }

}  // namespace

int pixelTextWidth(std::string_view text, int scale) {
  int w = 0;
  for (char ch : text) w += (glyphWidth(*findGlyph(ch)) + 1) * scale;
  return w > 0 ? w - scale : 0;
}

int drawPixelText(Canvas& c, int x, int y, std::string_view text, Rgba colour, int scale) {
  int pen = x;
  for (char ch : text) {
    const PixelGlyph& g = *findGlyph(ch);
    int gw = glyphWidth(g);
    for (int row = 0; row < 9 && g.rows[row]; ++row) {
      for (int col = 0; col < gw && g.rows[row][col]; ++col) {
        if (g.rows[row][col] != '#') continue;
        for (int sy = 0; sy < scale; ++sy) {
          for (int sx = 0; sx < scale; ++sx) {
            int px = pen + col * scale + sx, py = y + row * scale + sy;
            if (px < 0 || py < 0 || px >= c.width() || py >= c.height()) continue;
            Rgba& d = c.at(px, py);
            float k = 1 - colour.a;
            d = {colour.r + d.r * k, colour.g + d.g * k, colour.b + d.b * k, colour.a + d.a * k};
          }
        }
      }
    }
    pen += (gw + 1) * scale;
  }
  return pen - x - scale;
}

// --- stroke font --------------------------------------------------------------------
// Units: x-height 1, baseline at y = 0, y grows downwards (so ascenders are negative).

namespace {

struct Stroke {
  bool isArc;
  float a, b, c, d, e;  // segment: x0 y0 x1 y1; arc: cx cy r a0 a1
};

struct StrokeGlyph {
  char ch;
  float advance;
  std::vector<Stroke> strokes;
};

Stroke seg(float x0, float y0, float x1, float y1) { return {false, x0, y0, x1, y1, 0}; }
Stroke arcDeg(float cx, float cy, float r, float a0, float a1) {
  return {true, cx, cy, r, a0 * kPi / 180, a1 * kPi / 180};
}

const std::vector<StrokeGlyph>& strokeGlyphs() {
  static const std::vector<StrokeGlyph> glyphs = {
      {' ', 0.6f, {}},
      {'V', 1.15f, {seg(0.0f, -1.45f, 0.5f, 0.0f), seg(0.5f, 0.0f, 1.0f, -1.45f)}},
      {'e', 1.12f, {arcDeg(0.5f, -0.5f, 0.5f, 42, 360), seg(0.0f, -0.5f, 1.0f, -0.5f)}},
      {'l', 0.42f, {seg(0.1f, -1.5f, 0.1f, 0.0f)}},
      {'m', 1.72f,
       {seg(0.0f, -1.0f, 0.0f, 0.0f), arcDeg(0.36f, -0.6f, 0.36f, 180, 360),
        seg(0.72f, -0.6f, 0.72f, 0.0f), arcDeg(1.08f, -0.6f, 0.36f, 180, 360),
        seg(1.44f, -0.6f, 1.44f, 0.0f)}},
      {'o', 1.16f, {arcDeg(0.5f, -0.5f, 0.5f, 0, 360)}},
      {'r', 0.82f, {seg(0.0f, -1.0f, 0.0f, 0.0f), arcDeg(0.52f, -0.48f, 0.52f, 180, 292)}},
      {'a', 1.3f, {arcDeg(0.5f, -0.5f, 0.5f, 0, 360), seg(1.0f, -1.0f, 1.0f, 0.0f)}},
  };
  return glyphs;
}

const StrokeGlyph& findStroke(char ch) {
  for (const StrokeGlyph& g : strokeGlyphs())
    if (g.ch == ch) return g;
  return strokeGlyphs()[0];
}

}  // namespace

float strokeTextWidth(std::string_view text, float size) {
  float w = 0;
  for (char ch : text) w += findStroke(ch).advance * size;
  return w;
}

Sdf strokeText(std::string_view text, float x, float baseline, float size, float weight,
               float* width) {
  Sdf shape = [](float, float) { return 1e9f; };
  float pen = x;
  float hw = weight / 2;
  for (char ch : text) {
    const StrokeGlyph& g = findStroke(ch);
    for (const Stroke& s : g.strokes) {
      Sdf part = s.isArc ? arc(pen + s.a * size, baseline + s.b * size, s.c * size, hw, s.d, s.e)
                         : capsule(pen + s.a * size, baseline + s.b * size, pen + s.c * size,
                                   baseline + s.d * size, hw);
      shape = unite(shape, part);
    }
    pen += g.advance * size;
  }
  if (width) *width = pen - x;
  return shape;
}

}  // namespace resgen
