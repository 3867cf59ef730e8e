// The files the resource script includes: their headers, sizes and structure as Windows
// reads them, checked with the independent readers of FileReaders.h.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <set>

#include "tests/unit/resgen/FileReaders.h"
#include "tools/resgen/pictures.h"

using namespace resgen_test;

namespace {

const std::map<std::string, Bytes>& outputs() {
  static const std::map<std::string, Bytes> files = [] {
    std::map<std::string, Bytes> m;
    for (auto& f : resgen::allOutputs()) m[f.name] = f.bytes;
    return m;
  }();
  return files;
}

const Bytes& file(const std::string& name) { return outputs().at(name); }

// Decodes a 24-bit bottom-up BMP after checking its headers.
Bmp readBmp(const Bytes& b) {
  Bmp out;
  EXPECT_EQ(b.at(0), 'B');
  EXPECT_EQ(b.at(1), 'M');
  EXPECT_EQ(le32(b, 2), b.size());
  uint32_t dataAt = le32(b, 10);
  EXPECT_EQ(dataAt, 54u);
  EXPECT_EQ(le32(b, 14), 40u);
  out.width = sle32(b, 18);
  out.height = sle32(b, 22);
  EXPECT_GT(out.height, 0) << "bottom-up rows";
  EXPECT_EQ(le16(b, 26), 1u);
  out.bits = int(le16(b, 28));
  EXPECT_EQ(out.bits, 24);
  EXPECT_EQ(le32(b, 30), 0u) << "BI_RGB";
  size_t stride = (size_t(out.width) * 3 + 3) & ~size_t(3);
  EXPECT_EQ(le32(b, 34), stride * out.height);
  EXPECT_EQ(b.size(), dataAt + stride * out.height);
  if (b.size() != dataAt + stride * out.height) return out;
  for (int y = 0; y < out.height; ++y) {
    size_t row = dataAt + stride * size_t(out.height - 1 - y);
    for (int x = 0; x < out.width; ++x) {
      const uint8_t* p = &b[row + size_t(x) * 3];
      out.rgb.insert(out.rgb.end(), {p[2], p[1], p[0]});
    }
  }
  return out;
}

bool isFace(const uint8_t* p) { return p[0] == 192 && p[1] == 192 && p[2] == 192; }

}  // namespace

TEST(GeneratedFiles, EveryFileTheResourceScriptNamesIsProduced) {
  for (const char* name : {"velmora.ico", "bmail.ico", "splash.bmp", "phone.bmp", "mail.bmp",
                           "tool.bmp", "web.bmp", "adjust.bmp", "about_logo.bmp", "about_bg.bmp",
                           "phone_ani.avi", "checkemail_ani.avi", "time_ani.avi", "speaker.bmp"}) {
    ASSERT_TRUE(outputs().count(name)) << name;
    EXPECT_GT(file(name).size(), 100u) << name;
  }
}

TEST(GeneratedFiles, BitmapsHaveTheirSizesAndArePictures) {
  struct Want { const char* name; int w, h; };
  for (Want want : {Want{"splash.bmp", 280, 218}, Want{"about_logo.bmp", 96, 96},
                    Want{"about_bg.bmp", 98, 96}, Want{"speaker.bmp", 16, 16}}) {
    SCOPED_TRACE(want.name);
    Bmp bmp = readBmp(file(want.name));
    EXPECT_EQ(bmp.width, want.w);
    EXPECT_EQ(bmp.height, want.h);
    std::set<uint32_t> colours;
    for (size_t i = 0; i + 2 < bmp.rgb.size(); i += 3)
      colours.insert(uint32_t(bmp.rgb[i]) << 16 | uint32_t(bmp.rgb[i + 1]) << 8 | bmp.rgb[i + 2]);
    EXPECT_GT(colours.size(), 8u) << "a picture, not a flat fill";
  }
}

TEST(GeneratedFiles, GlyphsAre32PixelsWithTheButtonFaceAsTransparentColour) {
  for (const char* name : {"phone.bmp", "mail.bmp", "tool.bmp", "web.bmp", "adjust.bmp"}) {
    SCOPED_TRACE(name);
    Bmp bmp = readBmp(file(name));
    ASSERT_EQ(bmp.width, 32);
    ASSERT_EQ(bmp.height, 32);
    // The bottom-left pixel names the transparent colour; the other corners share it,
    // so the glyph floats free on the button.
    EXPECT_TRUE(isFace(bmp.px(0, 31)));
    EXPECT_TRUE(isFace(bmp.px(0, 0)));
    EXPECT_TRUE(isFace(bmp.px(31, 0)));
    EXPECT_TRUE(isFace(bmp.px(31, 31)));
    int ink = 0;
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) ink += !isFace(bmp.px(x, y));
    EXPECT_GT(ink, 32 * 32 / 5) << "the glyph fills a fair part of its cell";
  }
}

TEST(GeneratedFiles, BackgroundTileJoinsWithoutSeams) {
  Bmp t = readBmp(file("about_bg.bmp"));
  ASSERT_EQ(t.width, 98);
  // 4 x 4 tiles cover the About box's 389 x 380 client area.
  EXPECT_GE(4 * t.width, 389);
  EXPECT_GE(4 * t.height, 380);
  auto diff = [&](int x0, int y0, int x1, int y1) {
    int d = 0;
    for (int k = 0; k < 3; ++k) d += std::abs(int(t.px(x0, y0)[k]) - int(t.px(x1, y1)[k]));
    return d;
  };
  // Across the wrap-around the picture changes no more than between neighbours inside.
  int worstInside = 0, worstSeam = 0;
  for (int y = 0; y < t.height; ++y) {
    for (int x = 0; x + 1 < t.width; ++x) worstInside = std::max(worstInside, diff(x, y, x + 1, y));
    worstSeam = std::max(worstSeam, diff(t.width - 1, y, 0, y));
  }
  for (int x = 0; x < t.width; ++x) {
    for (int y = 0; y + 1 < t.height; ++y) worstInside = std::max(worstInside, diff(x, y, x, y + 1));
    worstSeam = std::max(worstSeam, diff(x, t.height - 1, x, 0));
  }
  EXPECT_LE(worstSeam, worstInside);
  // Subtle: light everywhere, so text on it stays readable.
  for (size_t i = 0; i < t.rgb.size(); ++i) EXPECT_GE(t.rgb[i], 140) << "pixel byte " << i;
}

// --- icons ----------------------------------------------------------------------------

namespace {

struct IconEntry {
  int size = 0;
  std::vector<uint8_t> rgba;  // top-first
  std::vector<bool> masked;   // AND mask bit, top-first
};

std::vector<IconEntry> readIco(const Bytes& b) {
  std::vector<IconEntry> out;
  EXPECT_EQ(le16(b, 0), 0u);
  EXPECT_EQ(le16(b, 2), 1u) << "type icon";
  uint32_t count = le16(b, 4);
  std::vector<std::pair<uint32_t, uint32_t>> spans;
  for (uint32_t i = 0; i < count; ++i) {
    size_t e = 6 + 16 * i;
    IconEntry ic;
    ic.size = b.at(e) == 0 ? 256 : b.at(e);
    EXPECT_EQ(b.at(e + 1), b.at(e)) << "square";
    EXPECT_EQ(le16(b, e + 4), 1u) << "planes";
    EXPECT_EQ(le16(b, e + 6), 32u) << "bit count";
    uint32_t bytes = le32(b, e + 8), at = le32(b, e + 12);
    EXPECT_LE(size_t(at) + bytes, b.size());
    if (size_t(at) + bytes > b.size()) return out;
    for (auto& [s, n] : spans) EXPECT_TRUE(at >= s + n || at + bytes <= s) << "images overlap";
    spans.push_back({at, bytes});
    int n = ic.size;
    size_t maskStride = size_t((n + 31) / 32) * 4;
    EXPECT_EQ(bytes, 40 + uint32_t(n * n * 4) + maskStride * n);
    EXPECT_EQ(le32(b, at), 40u);
    EXPECT_EQ(sle32(b, at + 4), n);
    EXPECT_EQ(sle32(b, at + 8), 2 * n) << "height counts colour and mask";
    EXPECT_EQ(le16(b, at + 14), 32u);
    EXPECT_EQ(le32(b, at + 16), 0u);
    if (bytes != 40 + uint32_t(n * n * 4) + maskStride * n) return out;
    size_t colour = at + 40, mask = colour + size_t(n) * n * 4;
    for (int y = 0; y < n; ++y) {
      int row = n - 1 - y;  // bottom-up
      for (int x = 0; x < n; ++x) {
        const uint8_t* p = &b[colour + (size_t(row) * n + x) * 4];
        ic.rgba.insert(ic.rgba.end(), {p[2], p[1], p[0], p[3]});
        ic.masked.push_back(b[mask + size_t(row) * maskStride + size_t(x / 8)] & (0x80 >> (x % 8)));
      }
    }
    out.push_back(std::move(ic));
  }
  return out;
}

void expectIcon(const std::string& name, std::vector<int> sizes) {
  SCOPED_TRACE(name);
  auto icons = readIco(file(name));
  ASSERT_EQ(icons.size(), sizes.size());
  for (size_t i = 0; i < icons.size(); ++i) {
    const IconEntry& ic = icons[i];
    int n = ic.size;
    EXPECT_EQ(n, sizes[i]);
    int opaque = 0, soft = 0, maskDisagrees = 0;
    for (int p = 0; p < n * n; ++p) {
      uint8_t a = ic.rgba[size_t(p) * 4 + 3];
      maskDisagrees += ic.masked[size_t(p)] != (a < 128);
      opaque += a == 255;
      soft += a > 0 && a < 255;
    }
    // The mask agrees with the alpha channel, for code that only reads the mask.
    EXPECT_EQ(maskDisagrees, 0) << "size " << n;
    EXPECT_EQ(ic.rgba[3], 0) << "top-left corner is clear";
    EXPECT_GT(opaque, n * n / 3) << "size " << n;
    EXPECT_GT(soft, n / 2) << "anti-aliased edges";
  }
}

}  // namespace

TEST(GeneratedFiles, ProgramIconHas16And32And48PixelImagesWithAlphaAndMask) {
  expectIcon("velmora.ico", {16, 32, 48});
}

TEST(GeneratedFiles, NewMailIconHas16And32PixelImages) { expectIcon("bmail.ico", {16, 32}); }

// --- animations -----------------------------------------------------------------------

namespace {

struct Clip {
  uint32_t usPerFrame = 0, frames = 0, width = 0, height = 0, streams = 0;
  uint32_t rate = 0, scale = 0, length = 0;
  std::vector<std::array<uint8_t, 3>> palette;
  std::vector<std::vector<uint8_t>> pixels;  // palette indexes, rows bottom first
};

void readAvi(const Bytes& b, Clip& clip) {
  std::vector<Chunk> top;
  ASSERT_TRUE(riffChildren(b, 0, b.size(), top));
  ASSERT_EQ(top.size(), 1u);
  ASSERT_EQ(top[0].id, "RIFF");
  ASSERT_EQ(top[0].form, "AVI ");
  ASSERT_EQ(top[0].size + 8, b.size());
  std::vector<Chunk> riff;
  ASSERT_TRUE(riffChildren(b, top[0].data + 4, top[0].data + top[0].size, riff));
  ASSERT_GE(riff.size(), 3u);
  EXPECT_EQ(riff[0].form, "hdrl") << "the header list comes first";

  std::vector<Chunk> hdrl;
  ASSERT_TRUE(riffChildren(b, riff[0].data + 4, riff[0].data + riff[0].size, hdrl));
  const Chunk* avih = findChunk(hdrl, "avih");
  ASSERT_TRUE(avih);
  ASSERT_EQ(avih->size, 56u);
  clip.usPerFrame = le32(b, avih->data);
  EXPECT_TRUE(le32(b, avih->data + 12) & 0x10) << "AVIF_HASINDEX";
  clip.frames = le32(b, avih->data + 16);
  clip.streams = le32(b, avih->data + 24);
  clip.width = le32(b, avih->data + 32);
  clip.height = le32(b, avih->data + 36);

  const Chunk* strlList = findChunk(hdrl, "LIST", "strl");
  ASSERT_TRUE(strlList);
  std::vector<Chunk> strl;
  ASSERT_TRUE(riffChildren(b, strlList->data + 4, strlList->data + strlList->size, strl));
  const Chunk* strh = findChunk(strl, "strh");
  const Chunk* strf = findChunk(strl, "strf");
  ASSERT_TRUE(strh && strf);
  ASSERT_EQ(strh->size, 56u);
  EXPECT_EQ(fourcc(b, strh->data), "vids");
  std::string handler = fourcc(b, strh->data + 4);
  EXPECT_TRUE(handler == "DIB " || handler == std::string(4, '\0')) << "uncompressed";
  clip.scale = le32(b, strh->data + 20);
  clip.rate = le32(b, strh->data + 24);
  clip.length = le32(b, strh->data + 32);

  // strf: a BITMAPINFOHEADER and its palette.
  ASSERT_GE(strf->size, 40u);
  EXPECT_EQ(le32(b, strf->data), 40u);
  EXPECT_EQ(le32(b, strf->data + 4), clip.width);
  EXPECT_EQ(sle32(b, strf->data + 8), int32_t(clip.height)) << "bottom-up, as the avih says";
  EXPECT_EQ(le16(b, strf->data + 14), 8u);
  EXPECT_EQ(le32(b, strf->data + 16), 0u) << "BI_RGB";
  uint32_t colours = le32(b, strf->data + 32);
  ASSERT_GE(colours, 2u);
  ASSERT_LE(colours, 256u);
  ASSERT_EQ(strf->size, 40 + 4 * colours);
  for (uint32_t i = 0; i < colours; ++i) {
    size_t q = strf->data + 40 + 4 * i;
    clip.palette.push_back({b[q + 2], b[q + 1], b[q]});
  }

  const Chunk* movi = findChunk(riff, "LIST", "movi");
  const Chunk* idx1 = findChunk(riff, "idx1");
  ASSERT_TRUE(movi && idx1);
  std::vector<Chunk> frames;
  ASSERT_TRUE(riffChildren(b, movi->data + 4, movi->data + movi->size, frames));
  const uint32_t frameBytes = ((clip.width + 3) & ~3u) * clip.height;
  for (const Chunk& f : frames) {
    EXPECT_EQ(f.id, "00db");
    EXPECT_EQ(f.size, frameBytes);
    clip.pixels.emplace_back(b.begin() + long(f.data), b.begin() + long(f.data + f.size));
    for (uint8_t i : clip.pixels.back()) ASSERT_LT(i, colours) << "index outside the palette";
  }
  EXPECT_EQ(frames.size(), clip.frames);

  // Every index entry points at its frame chunk, offsets counted from the 'movi' tag.
  ASSERT_EQ(idx1->size, 16 * frames.size());
  for (size_t i = 0; i < frames.size(); ++i) {
    size_t e = idx1->data + 16 * i;
    SCOPED_TRACE(i);
    EXPECT_EQ(fourcc(b, e), "00db");
    EXPECT_TRUE(le32(b, e + 4) & 0x10) << "key frame";
    size_t chunkAt = movi->data + le32(b, e + 8);
    ASSERT_LT(chunkAt + 8, b.size());
    EXPECT_EQ(chunkAt + 8, frames[i].data);
    EXPECT_EQ(fourcc(b, chunkAt), "00db");
    EXPECT_EQ(le32(b, e + 12), frames[i].size);
  }
}

}  // namespace

class ClipTest : public ::testing::TestWithParam<const char*> {};

TEST_P(ClipTest, IsAnAviTheAnimationControlCanPlay) {
  Clip clip;
  ASSERT_NO_FATAL_FAILURE(readAvi(file(GetParam()), clip));
  EXPECT_EQ(clip.streams, 1u);
  EXPECT_LE(clip.width, 72u);
  EXPECT_LE(clip.height, 65u);
  EXPECT_GE(clip.frames, 8u);
  EXPECT_LE(clip.frames, 16u);
  EXPECT_EQ(clip.length, clip.frames);
  ASSERT_GT(clip.scale, 0u);
  double fps = double(clip.rate) / clip.scale;
  EXPECT_GE(fps, 8.0);
  EXPECT_LE(fps, 12.0);
  EXPECT_NEAR(1e6 / clip.usPerFrame, fps, 0.5) << "header and stream agree on the speed";
}

TEST_P(ClipTest, MovesOnAFlatButtonFaceBackground) {
  Clip clip;
  ASSERT_NO_FATAL_FAILURE(readAvi(file(GetParam()), clip));
  uint32_t stride = (clip.width + 3) & ~3u;
  // The corners of every frame are the dialog colour, so a transparent animation control
  // (which keys on a corner pixel) drops the whole background.
  for (const auto& f : clip.pixels) {
    for (size_t at : {size_t(0), size_t(clip.width - 1), size_t(stride * (clip.height - 1)),
                      size_t(stride * (clip.height - 1) + clip.width - 1)}) {
      auto c = clip.palette[f[at]];
      EXPECT_TRUE(c[0] == 192 && c[1] == 192 && c[2] == 192);
    }
  }
  // It is an animation: each frame differs from the one before, the last one included.
  for (size_t i = 0; i < clip.pixels.size(); ++i)
    EXPECT_NE(clip.pixels[i], clip.pixels[(i + 1) % clip.pixels.size()]) << "frame " << i;
}

INSTANTIATE_TEST_SUITE_P(GeneratedFiles, ClipTest,
                         ::testing::Values("phone_ani.avi", "checkemail_ani.avi", "time_ani.avi"));
