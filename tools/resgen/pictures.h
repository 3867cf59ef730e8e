// The program's pictures: what each one shows, drawn by code, and the list of files the
// resource script includes.
#pragma once

#include <string>
#include <vector>

#include "tools/resgen/formats.h"

namespace resgen {

// Colours shared with the resource consumers.
// Tool-button glyphs and animation frames are drawn over the classic button face; that
// colour fills their background, and the glyph's bottom-left pixel names it as the
// transparent colour.
inline constexpr PaletteEntry kButtonFace = {192, 192, 192};

constexpr int kSplashWidth = 280, kSplashHeight = 218;
constexpr int kGlyphSize = 32;
constexpr int kClipSize = 64;
constexpr int kClipFps = 10;
// The About box tiles its background 4 x 4 over a 389 x 380 client area; this size
// covers it exactly once.
constexpr int kTileWidth = 98, kTileHeight = 96;
constexpr int kLogoSize = 96;

enum class Glyph { Phone, HangUp, Mail, Tool, Web, Adjust, Favorites };

Image splash();
Image glyph(Glyph which);
Image aboutLogo();
// 16 x 16 icons of the favorites menu: a folder, and a page of the web.
Image menuFolderIcon();
Image menuUrlIcon();
// 16 x 16 loudspeaker of the settings dialog's sound-test button.
Image speakerGlyph();
Image aboutTile();
std::vector<IconImage> programIcon();  // 16, 32, 48
std::vector<IconImage> newMailIcon();  // 16, 32
std::vector<Image> dialingClip();
std::vector<Image> mailCheckClip();
std::vector<Image> clockClip();

// One generated file: its name in the output folder and its bytes.
struct OutputFile {
  std::string name;
  std::vector<uint8_t> bytes;
};

// Every file the resource script includes, and the new-mail sound that ships beside the
// program.
std::vector<OutputFile> allOutputs();
// Each animation frame as a 24-bit BMP (name_NN.bmp), for looking at the clips.
std::vector<OutputFile> clipFramesForInspection();

}  // namespace resgen
