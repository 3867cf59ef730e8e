// What the driver's files share: a window's text and class, and its child windows.
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

}  // namespace drv
