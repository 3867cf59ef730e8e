// What the Win32 widget files share: the program's module, the fonts, the tooltips, and the
// painting of the program's own controls.
#pragma once
#include <windows.h>

#include <string>

#include "widgets/Controls.h"

namespace win32 {

HINSTANCE Inst();
// The font of a style, made once and kept for the program's life.
HFONT FontFor(const TFontStyle& f);
// Turns every tooltip window of the program on or off (off while a menu is open).
void ActivateTooltips(bool on);

// Draws a flat tool button (ButtonPainting.cpp): picture above the caption.
void DrawSpeedButton(const DRAWITEMSTRUCT& di, TControl& c);
// Draws the picture resource four by four over the client area; false when it is missing.
bool TileBackground(HWND hwnd, HDC dc, const std::string& res);

}  // namespace win32
