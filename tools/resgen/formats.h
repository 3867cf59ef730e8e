// File formats the program's resources use: 24-bit BMP, icon files with 32-bit alpha
// images, and the palettised uncompressed AVI that the common animation control plays.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace resgen {

// 8-bit RGB pixels, rows top first, no padding.
struct Image {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;
};

// Straight (not premultiplied) RGBA pixels, rows top first, square.
struct IconImage {
  int size = 0;
  std::vector<uint8_t> rgba;
};

using PaletteEntry = std::array<uint8_t, 3>;  // r, g, b

// Frames that share one palette of at most 256 colours.
struct IndexedClip {
  int width = 0, height = 0;
  std::vector<PaletteEntry> palette;
  std::vector<std::vector<uint8_t>> frames;  // one index per pixel, rows top first
};

std::vector<uint8_t> encodeBmp24(const Image& img);

// Icon file with one 32-bit image per size (alpha channel plus the AND mask that older
// code paths read: a mask bit is set where the pixel is less than half opaque).
std::vector<uint8_t> encodeIco(const std::vector<IconImage>& images);

// Reduces the frames of one clip to a shared palette (median cut). `exact` is placed in
// the palette unchanged (the clip's background), so flat areas stay flat.
IndexedClip quantize(const std::vector<Image>& frames, PaletteEntry exact);

// RIFF AVI: one uncompressed 8-bit video stream, '00db' chunks and an idx1 index.
std::vector<uint8_t> encodeAvi(const IndexedClip& clip, int framesPerSecond);

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace resgen
