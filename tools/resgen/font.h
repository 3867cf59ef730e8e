// Two tiny fonts for the pictures' texts: a crisp pixel font for small print and a
// stroke font (lines and circle arcs) for the product name in large sizes.
#pragma once

#include <string_view>

#include "tools/resgen/raster.h"

namespace resgen {

// Pixel font: glyphs 7 pixels above the baseline and 2 below, times `scale`.
// Draws with its top-left corner at (x, y); returns the width drawn.
int pixelTextWidth(std::string_view text, int scale = 1);
int drawPixelText(Canvas& c, int x, int y, std::string_view text, Rgba colour, int scale = 1);

// Stroke font: the letters of the product name ("Velmora"), x-height `size` pixels,
// baseline at y. Returns the shape of the whole text so callers can add shadows and
// outlines; `width` receives the advance.
Sdf strokeText(std::string_view text, float x, float baseline, float size, float weight,
               float* width = nullptr);
float strokeTextWidth(std::string_view text, float size);

}  // namespace resgen
