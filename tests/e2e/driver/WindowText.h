// What the driver's files share: a window's text and class, its child windows, and finding
// windows by their text. Texts are read as wide text and handled (and printed) as UTF-8.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "core/Utf16.h"

namespace drv {

inline std::string TextOf(HWND h) {
    wchar_t buf[2048] = {};
    if (h) GetWindowTextW(h, buf, 2048);
    return WideToUtf8(buf);
}

inline std::string ClassOf(HWND h) {
    wchar_t buf[256] = {};
    if (h) GetClassNameW(h, buf, 256);
    return WideToUtf8(buf);
}

// A text the window itself gives for msg (WM_GETTEXT, LB_GETTEXT, ...; item i), asked
// with a time limit.
inline std::string SentText(HWND h, UINT msg = WM_GETTEXT, WPARAM i = 0) {
    static wchar_t buf[65536];
    buf[0] = L'\0';
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(h, msg, msg == WM_GETTEXT ? 65535 : i, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 2000,
                        &ignored);
    buf[65535] = L'\0';
    return WideToUtf8(buf);
}

// An enumeration callback that collects the windows into the std::vector<HWND> at l.
inline BOOL CALLBACK CollectWindow(HWND h, LPARAM l) {
    reinterpret_cast<std::vector<HWND>*>(l)->push_back(h);
    return TRUE;
}

inline std::vector<HWND> Children(HWND top) {
    std::vector<HWND> v;
    EnumChildWindows(top, CollectWindow, reinterpret_cast<LPARAM>(&v));
    return v;
}

// The top-level windows with this caption (only the visible ones, or all); never a tooltip,
// which would stand in front of an untitled window such as the progress window.
inline std::vector<HWND> TopWindows(const std::string& caption, bool visibleOnly) {
    std::vector<HWND> all, found;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&all));
    for (HWND h : all)
        if (TextOf(h) == caption && (!visibleOnly || IsWindowVisible(h)) &&
            _stricmp(ClassOf(h).c_str(), "tooltips_class32") != 0)
            found.push_back(h);
    return found;
}

// The window a caption names: a visible one first, else a hidden one; null when none.
inline HWND Top(const std::string& caption) {
    auto v = TopWindows(caption, true);
    if (v.empty()) v = TopWindows(caption, false);
    return v.empty() ? nullptr : v.front();
}

inline HWND ChildByText(HWND top, const std::string& text) {
    for (HWND c : Children(top))
        if (TextOf(c) == text) return c;
    return nullptr;
}

// A control's component name (the window property "VelmoraName"), and the control of a
// window with this name (null when none).
inline std::string NameOf(HWND h) {
    ATOM a = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(GetPropW(h, L"VelmoraName")));
    wchar_t buf[256] = {};
    if (a) GlobalGetAtomNameW(a, buf, 256);
    return WideToUtf8(buf);
}

inline HWND NamedControl(HWND top, const std::string& name) {
    for (HWND ch : Children(top))
        if (NameOf(ch) == name) return ch;
    return nullptr;
}

}  // namespace drv
