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
// A form too large for the work area at the screen's dpi is laid out at a lower one that
// fits: the dpi of the form a control sits on, and the same helpers at it.
int LayoutDpi(const TControl& c);
void SetLayoutDpi(const TForm& form, int dpi);  // 0: forget the form
int Scale(const TControl& c, int v);
int Unscale(const TControl& c, int v);
// A control's bounds on its form: its edges are scaled, so neighbours stay neighbours.
RECT ScaleRect(const TControl& c);
// A bitmap resource drawn at Scale() of its size (a bitmap the caller deletes), or nullptr
// when the resource is missing. A keyed picture (one colour stands for transparent) keeps
// whole pixels; any other is smoothed.
HBITMAP LoadScaledBitmap(const std::string& res, bool keyed);
// The font of a style, made once and kept for the program's life. A form laid out at a
// lower dpi to fit keeps the screen's fonts: the text stays at the size the user chose.
HFONT FontFor(const TFontStyle& f);
// The work area (the screen less the taskbar) of the screen that holds the window, or of
// the primary screen.
RECT WorkAreaOf(HWND h);
// Turns every tooltip window of the program on or off (off while a menu is open).
void ActivateTooltips(bool on);

// Draws a flat tool button (ButtonPainting.cpp): picture above the caption.
void DrawSpeedButton(const DRAWITEMSTRUCT& di, TControl& c);
// Draws the picture resource four by four over the client area; false when it is missing.
bool TileBackground(HWND hwnd, HDC dc, const std::string& res);

}  // namespace win32
