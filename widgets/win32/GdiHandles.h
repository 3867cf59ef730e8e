// Owners of the GDI objects and device contexts the painting code takes for a while: each
// gives its handle back (DeleteObject, ReleaseDC, DeleteDC, the previous selection) when it
// goes, on every path out. Not copyable; a null handle is allowed and released as nothing.
#pragma once
#include <windows.h>

#include <utility>

namespace win32 {

// A brush, pen, bitmap or font this code created.
template <class H>
class TGdiObject {
public:
    explicit TGdiObject(H h = nullptr) : h_(h) {}
    ~TGdiObject() {
        if (h_) DeleteObject(h_);
    }
    TGdiObject(const TGdiObject&) = delete;
    TGdiObject& operator=(const TGdiObject&) = delete;
    H get() const { return h_; }
    // Hands the object to whoever keeps it from now on.
    H release() { return std::exchange(h_, nullptr); }

private:
    H h_;
};
using TBrush = TGdiObject<HBRUSH>;
using TBitmap = TGdiObject<HBITMAP>;

// The device context of a window (GetDC, or GetWindowDC for its whole frame), or of the
// screen with a null window.
class TWindowDC {
public:
    explicit TWindowDC(HWND hwnd, bool wholeWindow = false)
        : hwnd_(hwnd), dc_(wholeWindow ? GetWindowDC(hwnd) : GetDC(hwnd)) {}
    ~TWindowDC() {
        if (dc_) ReleaseDC(hwnd_, dc_);
    }
    TWindowDC(const TWindowDC&) = delete;
    TWindowDC& operator=(const TWindowDC&) = delete;
    operator HDC() const { return dc_; }

private:
    HWND hwnd_;
    HDC dc_;
};

// A memory device context compatible with another.
class TMemoryDC {
public:
    explicit TMemoryDC(HDC like) : dc_(CreateCompatibleDC(like)) {}
    ~TMemoryDC() {
        if (dc_) DeleteDC(dc_);
    }
    TMemoryDC(const TMemoryDC&) = delete;
    TMemoryDC& operator=(const TMemoryDC&) = delete;
    operator HDC() const { return dc_; }

private:
    HDC dc_;
};

// An object selected into a device context for a scope; the previous one is put back.
class TSelected {
public:
    TSelected(HDC dc, HGDIOBJ obj) : dc_(dc), old_(SelectObject(dc, obj)) {}
    ~TSelected() {
        if (old_) SelectObject(dc_, old_);
    }
    TSelected(const TSelected&) = delete;
    TSelected& operator=(const TSelected&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

}  // namespace win32
