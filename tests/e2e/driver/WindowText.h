// What the driver's files share: a window's text and class, its child windows, and finding
// windows by their text.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace drv {

inline std::string TextOf(HWND h) {
    char buf[2048] = {};
    if (h) GetWindowTextA(h, buf, sizeof(buf));
    return buf;
}

inline std::string ClassOf(HWND h) {
    char buf[256] = {};
    if (h) GetClassNameA(h, buf, sizeof(buf));
    return buf;
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

// The top-level windows with this caption (only the visible ones, or all).
inline std::vector<HWND> TopWindows(const std::string& caption, bool visibleOnly) {
    std::vector<HWND> all, found;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&all));
    for (HWND h : all)
        if (TextOf(h) == caption && (!visibleOnly || IsWindowVisible(h))) found.push_back(h);
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
    ATOM a = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(GetPropA(h, "VelmoraName")));
    char buf[256] = {};
    if (a) GlobalGetAtomNameA(a, buf, sizeof buf);
    return buf;
}

inline HWND NamedControl(HWND top, const std::string& name) {
    for (HWND ch : Children(top))
        if (NameOf(ch) == name) return ch;
    return nullptr;
}

}  // namespace drv
