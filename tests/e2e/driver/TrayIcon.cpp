// The end-to-end driver's look at the notification area: which of the program's icons the
// tray shows. Another process's icon handle cannot be read, so the tray icon's pixels are
// taken from the screen and compared with each candidate icon drawn the same way.
//   trayicon EXE NAME...   prints, for each icon in the tray, the NAME of the icon resource of
//                          EXE closest to it
#include <windows.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Driver.h"
#include "core/Utf16.h"

namespace {

struct Pixels {
    int w = 0, h = 0;
    std::vector<COLORREF> px;
};

Pixels FromScreen(const RECT& r) {
    Pixels p;
    p.w = r.right - r.left;
    p.h = r.bottom - r.top;
    HDC screen = GetDC(nullptr), mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, p.w, p.h);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, p.w, p.h, screen, r.left, r.top, SRCCOPY);
    for (int y = 0; y < p.h; ++y)
        for (int x = 0; x < p.w; ++x) p.px.push_back(GetPixel(mem, x, y));
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return p;
}

// The least colour difference between the shot and the icon drawn small on the shot's
// background, at any place the icon fits.
long Distance(const Pixels& shot, HICON icon) {
    HDC screen = GetDC(nullptr), mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, shot.w, shot.h);
    HGDIOBJ old = SelectObject(mem, bmp);
    HBRUSH back = CreateSolidBrush(shot.px[0]);
    const RECT all{0, 0, shot.w, shot.h};
    long best = LONG_MAX;
    for (int oy = 0; oy + 16 <= shot.h; ++oy)
        for (int ox = 0; ox + 16 <= shot.w; ++ox) {
            FillRect(mem, &all, back);
            DrawIconEx(mem, ox, oy, icon, 16, 16, 0, nullptr, DI_NORMAL);
            long d = 0;
            for (int y = 0; y < shot.h; ++y)
                for (int x = 0; x < shot.w; ++x) {
                    COLORREF a = GetPixel(mem, x, y), b = shot.px[size_t(y) * shot.w + x];
                    d += std::labs(long(GetRValue(a)) - GetRValue(b)) + std::labs(long(GetGValue(a)) - GetGValue(b)) +
                         std::labs(long(GetBValue(a)) - GetBValue(b));
                }
            if (d < best) best = d;
        }
    DeleteObject(back);
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return best;
}

}  // namespace

int drv::TrayIcon(const Call& c) {
    const int argc = c.argc;
    char** const argv = c.argv;
    // Wine on a display without a notification area of its own shows the icons in a small
    // window of their own.
    HWND tray = FindWindowW(L"__winex11_standalone_tray", nullptr);
    HMODULE exe = LoadLibraryExW(Utf8ToWide(argv[2]).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!tray || !exe) {
        std::fprintf(stderr, tray ? "cannot read %s\n" : "no notification area\n", argv[2]);
        return 1;
    }
    for (HWND icon = nullptr; (icon = FindWindowExW(tray, icon, L"__winex11_tray_icon", nullptr)) != nullptr;) {
        RECT r;
        if (!IsWindowVisible(icon) || !GetWindowRect(icon, &r)) continue;
        const Pixels shot = FromScreen(r);
        std::string nearest = "?";
        long least = LONG_MAX;
        for (int i = 3; i < argc && !shot.px.empty(); ++i) {
            HICON candidate = static_cast<HICON>(LoadImageW(exe, Utf8ToWide(argv[i]).c_str(), IMAGE_ICON, 16, 16, 0));
            if (!candidate) continue;
            long d = Distance(shot, candidate);
            DestroyIcon(candidate);
            if (d < least) least = d, nearest = argv[i];
        }
        std::printf("%s\n", nearest.c_str());
    }
    FreeLibrary(exe);
    return 0;
}
