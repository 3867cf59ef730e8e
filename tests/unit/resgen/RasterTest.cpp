// The rasteriser, palette reduction and fonts the pictures are drawn with.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "tools/resgen/font.h"
#include "tools/resgen/formats.h"
#include "tools/resgen/raster.h"

using namespace resgen;

namespace {

float coverage(const Canvas& c) {
  float sum = 0;
  for (int y = 0; y < c.height(); ++y)
    for (int x = 0; x < c.width(); ++x) sum += c.at(x, y).a;
  return sum;
}

}  // namespace

TEST(Raster, FilledShapesCoverTheirAreaWithSoftEdges) {
  const float pi = 3.14159265f;
  Canvas disc(40, 40);
  disc.fill(circle(20, 20, 12.3f), C(0, 0, 0));
  EXPECT_NEAR(coverage(disc), pi * 12.3f * 12.3f, 2.0f);
  EXPECT_FLOAT_EQ(disc.at(20, 20).a, 1.0f);
  EXPECT_FLOAT_EQ(disc.at(1, 1).a, 0.0f);
  int partial = 0;
  for (int x = 0; x < 40; ++x) partial += disc.at(x, 20).a > 0.05f && disc.at(x, 20).a < 0.95f;
  EXPECT_GE(partial, 2) << "the edge is anti-aliased on both sides";

  Canvas square(30, 30);
  square.fill(polygon({{5, 5}, {25, 5}, {25, 25}, {5, 25}}), C(0, 0, 0));
  EXPECT_NEAR(coverage(square), 400.0f, 1.0f);
  // Turning a shape keeps its area; a ring is the difference of two discs.
  Canvas turned(30, 30);
  turned.fill(rotate(roundRect(8, 12, 22, 18, 0), 15, 15, 0.6f), C(0, 0, 0));
  EXPECT_NEAR(coverage(turned), 14.0f * 6.0f, 1.5f);
  Canvas band(40, 40);
  band.fill(ring(20, 20, 10, 2), C(0, 0, 0));
  EXPECT_NEAR(coverage(band), pi * (12 * 12 - 8 * 8), 2.0f);
}

TEST(Raster, ArcsStopAtTheirEndAngles) {
  Canvas c(40, 40);
  // The upper half only (y grows downwards, so 180..360 degrees is the top).
  c.fill(arc(20, 20, 12, 1.5f, 3.14159265f, 2 * 3.14159265f), C(0, 0, 0));
  EXPECT_GT(c.at(20, 8).a, 0.9f);   // top
  EXPECT_EQ(c.at(20, 31).a, 0.0f);  // bottom stays clear
}

TEST(Raster, PaintBlendsOverWhatIsThere) {
  Canvas c(4, 1);
  c.clear(C(255, 0, 0));
  c.fill(roundRect(0, 0, 4, 1, 0), C(0, 0, 255), 0.5f);
  auto rgb = c.rgb(C(0, 0, 0));
  EXPECT_NEAR(rgb[0], 128, 1);
  EXPECT_EQ(rgb[1], 0);
  EXPECT_NEAR(rgb[2], 128, 1);
  // Transparent pixels show the background they are composited over.
  Canvas empty(1, 1);
  auto bg = empty.rgb(C(10, 20, 30));
  EXPECT_EQ(bg, (std::vector<uint8_t>{10, 20, 30}));
}

TEST(Palette, FewColoursSurviveExactlyAndTheBackgroundKeepsItsValue) {
  Image a{2, 1, {1, 2, 3, 192, 192, 192}};
  Image b{2, 1, {250, 0, 7, 1, 2, 3}};
  IndexedClip clip = quantize({a, b}, {192, 192, 192});
  ASSERT_EQ(clip.frames.size(), 2u);
  EXPECT_EQ(clip.palette[0], (PaletteEntry{192, 192, 192}));
  auto colourAt = [&](int f, int i) { return clip.palette[clip.frames[size_t(f)][size_t(i)]]; };
  EXPECT_EQ(colourAt(0, 0), (PaletteEntry{1, 2, 3}));
  EXPECT_EQ(colourAt(0, 1), (PaletteEntry{192, 192, 192}));
  EXPECT_EQ(colourAt(1, 0), (PaletteEntry{250, 0, 7}));
  EXPECT_EQ(clip.frames[0][0], clip.frames[1][1]) << "one palette for the whole clip";
}

TEST(Palette, ManyColoursReduceTo256WithSmallError) {
  Image img{64, 64, {}};
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) img.rgb.insert(img.rgb.end(), {uint8_t(x * 4), uint8_t(y * 4), uint8_t((x + y) * 2)});
  img.rgb[0] = img.rgb[1] = img.rgb[2] = 192;
  IndexedClip clip = quantize({img}, {192, 192, 192});
  EXPECT_LE(clip.palette.size(), 256u);
  EXPECT_EQ(clip.palette[clip.frames[0][0]], (PaletteEntry{192, 192, 192}));
  int worst = 0;
  for (size_t i = 0; i < clip.frames[0].size(); ++i) {
    const PaletteEntry& p = clip.palette[clip.frames[0][i]];
    for (int k = 0; k < 3; ++k) worst = std::max(worst, std::abs(int(p[size_t(k)]) - img.rgb[i * 3 + size_t(k)]));
  }
  EXPECT_LE(worst, 24);
}

TEST(Fonts, PixelTextMeasuresWhatItDraws) {
  Canvas c(100, 12);
  int w = drawPixelText(c, 2, 1, "version 1.2d", C(0, 0, 0));
  EXPECT_EQ(w, pixelTextWidth("version 1.2d"));
  int right = 0;
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 100; ++x)
      if (c.at(x, y).a > 0) right = std::max(right, x);
  EXPECT_EQ(right, 2 + w - 1) << "the last column drawn is the measured edge";
  EXPECT_EQ(pixelTextWidth("ab", 2), 2 * pixelTextWidth("ab"));
  // Characters the font lacks print as blanks, not as garbage.
  Canvas blank(20, 12);
  drawPixelText(blank, 0, 0, "~~", C(0, 0, 0));
  EXPECT_EQ(coverage(blank), 0.0f);
}

TEST(Fonts, StrokeTextSpansItsAdvance) {
  float width = 0;
  Sdf s = strokeText("Velmora", 10, 40, 20, 4, &width);
  EXPECT_FLOAT_EQ(width, strokeTextWidth("Velmora", 20));
  Canvas c(220, 50);
  c.fill(s, C(0, 0, 0));
  int left = 220, right = 0;
  for (int y = 0; y < 50; ++y)
    for (int x = 0; x < 220; ++x)
      if (c.at(x, y).a > 0.5f) { left = std::min(left, x); right = std::max(right, x); }
  EXPECT_LE(std::abs(left - 10), 3);
  EXPECT_GT(right, 10 + width * 0.85f);
  EXPECT_LT(right, 10 + width + 3);
}

TEST(Files, WritingToAMissingFolderFails) {
  EXPECT_FALSE(writeFile("/nonexistent-folder/x.bmp", {1, 2, 3}));
}
