// Which of the program's windows the user is looking at: message boxes are owned by it, and
// it gets the activation back when a progress window, a menu's owner or another helper
// window that had it goes away.
#include <windows.h>

#include "platform/win32/Win32Platform.h"

namespace win32 {
namespace {
// A window of this thread that the user can see and work: shown, enabled, with a caption.
// The hidden application window, menu owners, tooltips and message windows are not.
bool UserWindow(HWND h) {
    if (!h || !IsWindowVisible(h) || !IsWindowEnabled(h) || IsIconic(h)) return false;
    if (GetWindowThreadProcessId(h, nullptr) != GetCurrentThreadId()) return false;
    return (GetWindowLongW(h, GWL_STYLE) & WS_CAPTION) == WS_CAPTION;
}
}  // namespace

uintptr_t WindowUserSees(uintptr_t except) {
    HWND skip = reinterpret_cast<HWND>(except);
    HWND active = GetActiveWindow();
    if (active != skip && UserWindow(active)) return reinterpret_cast<uintptr_t>(active);
    // Otherwise the top one in the z-order: the main window, or a dialog above it.
    for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT))
        if (h != skip && UserWindow(h)) return reinterpret_cast<uintptr_t>(h);
    return 0;
}

void ReturnActivation(uintptr_t leaving) {
    HWND active = GetActiveWindow();
    // Only when the activation is with the window that goes, or nowhere the user can see.
    if (active && active != reinterpret_cast<HWND>(leaving) && UserWindow(active)) return;
    if (HWND h = reinterpret_cast<HWND>(WindowUserSees(leaving))) SetForegroundWindow(h);
}
}  // namespace win32
