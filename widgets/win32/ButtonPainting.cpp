// Painting of the program's own controls: the flat tool buttons with their pictures
// (greyed when disabled), and pictures tiled over a window.
#include <windows.h>

#include <string>
#include <vector>

#include "widgets/win32/GdiHandles.h"
#include "core/Utf16.h"
#include "widgets/win32/WidgetCommon.h"

namespace win32 {
namespace {

// A disabled button's picture: its darker pixels, embossed in the 3-D highlight and shadow
// colours. Read pixel by pixel, as a colour-to-mono blit from a DIB
// section does not honour the key colour everywhere.
// A pixel that shows in the greyed picture: not the transparent colour, and dark enough
// (light fills such as paper drop out, so the lines inside a shape stay visible).
bool Ink(DWORD p, DWORD key) {
    p &= 0xFFFFFF;
    if (p == key) return false;
    int lum = (((p >> 16) & 0xFF) * 30 + ((p >> 8) & 0xFF) * 59 + (p & 0xFF) * 11) / 100;
    return lum < 176;
}

void DrawGreyedGlyph(HDC dc, HDC mem, HBITMAP bmp, int w, int h, COLORREF key, int x, int y) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    std::vector<DWORD> px(static_cast<size_t>(w) * h);
    if (!GetDIBits(mem, bmp, 0, h, px.data(), &bi, DIB_RGB_COLORS)) return;
    const DWORD k = (GetRValue(key) << 16) | (GetGValue(key) << 8) | GetBValue(key);
    const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT), dark = GetSysColor(COLOR_BTNSHADOW);
    for (int pass = 0; pass < 2; ++pass)
        for (int j = 0; j < h; ++j)
            for (int i = 0; i < w; ++i)
                if (Ink(px[static_cast<size_t>(j) * w + i], k))
                    SetPixelV(dc, x + i + (pass ? 0 : 1), y + j + (pass ? 0 : 1), pass ? dark : light);
}

}  // namespace

// Draws a flat tool button: glyph above the caption, raised frame while hot or pressed.
void DrawSpeedButton(const DRAWITEMSTRUCT& di, TControl& c) {
    HDC dc = di.hDC;
    RECT r = di.rcItem;
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    bool pressed = di.itemState & ODS_SELECTED;
    bool disabled = di.itemState & ODS_DISABLED;
    if (pressed) DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
    else if (di.itemState & ODS_FOCUS) DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
    int off = pressed ? 1 : 0;
    const RECT full = r;  // the caption may use the whole width, under the arrow too
    if (c.Kind() == TControlKind::FavoritesButton) {
        // The arrow part: a small triangle in the right-hand 9 pixels, set off by an etched line.
        int ax = r.right - Scale(9), mid = (r.top + r.bottom) / 2;
        RECT line{ax, r.top + Scale(4), ax + 2, r.bottom - Scale(4)};
        DrawEdge(dc, &line, EDGE_ETCHED, BF_LEFT);
        POINT tri[3] = {{ax + Scale(2), mid - Scale(1)}, {ax + Scale(7), mid - Scale(1)}, {ax + Scale(4) + 1, mid + Scale(2)}};
        TBrush br(CreateSolidBrush(GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT)));
        HGDIOBJ oldBrush = SelectObject(dc, br.get());
        HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
        Polygon(dc, tri, 3);
        SelectObject(dc, oldPen);
        SelectObject(dc, oldBrush);
        r.right = ax;  // the picture and caption share the rest
    }
    if (!c.Glyph().empty()) {
        TBitmap bmp(LoadScaledBitmap(c.Glyph(), true));
        if (bmp.get()) {
            BITMAP bm;
            GetObject(bmp.get(), sizeof(bm), &bm);
            TMemoryDC mem(dc);
            HGDIOBJ old = SelectObject(mem, bmp.get());
            COLORREF key = GetPixel(mem, 0, bm.bmHeight - 1);  // bottom-left pixel is transparent
            int x = (r.right - r.left - bm.bmWidth) / 2 + off;
            int y = Scale(3) + off;
            if (disabled) {
                DrawGreyedGlyph(dc, mem, bmp.get(), bm.bmWidth, bm.bmHeight, key, x, y);
            } else {
                TransparentBlt(dc, x, y, bm.bmWidth, bm.bmHeight, mem, 0, 0, bm.bmWidth, bm.bmHeight, key);
            }
            SelectObject(mem, old);
        }
    }
    SetBkMode(dc, TRANSPARENT);
    SelectObject(dc, FontFor(c.Font()));
    // The caption sits under the picture; the favorites button's spills over its arrow
    // part only when the picture part is too narrow for it.
    RECT tr = full;
    if (c.Kind() == TControlKind::FavoritesButton) {
        SIZE sz{};
        const std::wstring caption = Utf8ToWide(c.Caption());
        GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &sz);
        if (sz.cx <= r.right - r.left) tr.right = r.right;
    }
    tr.top = r.bottom - Scale(18) + off;
    tr.left += off;
    tr.right += off;
    if (disabled) {
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    } else {
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    }
    DrawTextW(dc, Utf8ToWide(c.Caption()).c_str(), -1, &tr, DT_CENTER | DT_SINGLELINE | DT_TOP);
    if (di.itemState & ODS_FOCUS) {  // reached with Tab: the dotted frame shows where Space goes
        RECT fr = full;
        InflateRect(&fr, -Scale(3), -Scale(3));
        DrawFocusRect(dc, &fr);
    }
}

// Draws the picture four by four over the client area.
bool TileBackground(HWND hwnd, HDC dc, const std::string& res) {
    TBitmap bmp(static_cast<HBITMAP>(LoadImageW(Inst(), Utf8ToWide(res).c_str(), IMAGE_BITMAP, 0, 0, 0)));
    if (!bmp.get()) return false;
    BITMAP bm;
    GetObject(bmp.get(), sizeof(bm), &bm);
    RECT cr;
    GetClientRect(hwnd, &cr);
    TMemoryDC mem(dc);
    HGDIOBJ old = SelectObject(mem, bmp.get());
    int tw = (cr.right + 3) / 4, th = (cr.bottom + 3) / 4;
    SetStretchBltMode(dc, HALFTONE);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) StretchBlt(dc, x * tw, y * th, tw, th, mem, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
    SelectObject(mem, old);
    return true;
}

}  // namespace win32
