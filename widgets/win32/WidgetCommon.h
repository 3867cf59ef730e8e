// What the Win32 widget files share: the program's module, the fonts, the tooltips, and the
// painting of the program's own controls.
#pragma once
#include <windows.h>

#include <string>

#include "widgets/Controls.h"

namespace win32 {

HINSTANCE Inst();

// The program's layout is given in 96-dpi units; these turn it into this screen's pixels
// (the system dpi, read once) and back. Every position and size handed to a window goes
// through them, so the portable code never sees a pixel of the screen.
int ScreenDpi();
int Scale(int v);
int Unscale(int v);
// A control's bounds on this screen: its edges are scaled, so neighbours stay neighbours.
RECT ScaleRect(const TRect& b);
// A bitmap resource drawn at Scale() of its size (a bitmap the caller deletes), or nullptr
// when the resource is missing. A keyed picture (one colour stands for transparent) keeps
// whole pixels; any other is smoothed.
HBITMAP LoadScaledBitmap(const std::string& res, bool keyed);
// The font of a style, made once and kept for the program's life.
HFONT FontFor(const TFontStyle& f);
// Turns every tooltip window of the program on or off (off while a menu is open).
void ActivateTooltips(bool on);

// Draws a flat tool button (ButtonPainting.cpp): picture above the caption.
void DrawSpeedButton(const DRAWITEMSTRUCT& di, TControl& c);
// Draws the picture resource four by four over the client area; false when it is missing.
bool TileBackground(HWND hwnd, HDC dc, const std::string& res);

}  // namespace win32
