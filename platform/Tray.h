// The tray seam: the notification area (icons, their tips and balloon notices) and the
// few window-manager calls a notification-area icon makes for its popup menu.
#pragma once
#include <cstdint>
#include <string>

enum : uint32_t { NIM_ADD_ = 0, NIM_MODIFY_ = 1, NIM_DELETE_ = 2 };
enum : uint32_t { NIF_MESSAGE_ = 1, NIF_ICON_ = 2, NIF_TIP_ = 4 };

// The notification-area record in its first form (the wide one: 152 bytes on 32-bit
// Windows); the tip is at most 63 UTF-16 units of text.
struct TNotifyIconData {
    uint32_t cbSize = 152;
    uintptr_t hWnd = 0;
    uint32_t uID = 0;
    uint32_t uFlags = 0;
    uint32_t uCallbackMessage = 0;
    uintptr_t hIcon = 0;
    std::string szTip;
};

class ITray {
public:
    virtual ~ITray() = default;
    // Adds, changes or removes an icon (NIM_*); true when the shell accepted the call.
    virtual bool NotifyIcon(uint32_t action, const TNotifyIconData& data) = 0;
    // A balloon notice (the title cut to 63, the text to 255 UTF-16 units, never inside a
    // character) on the icon that window and id name, where the system's notification area has balloons; false otherwise.
    virtual bool NotifyBalloon(uintptr_t window, uint32_t id, const std::string& title, const std::string& text) {
        return false;
    }
    // Brings the window to the front (before a popup menu, so that it closes when the
    // user clicks elsewhere).
    virtual void SetForegroundWindow(uintptr_t window) = 0;
    // Where the mouse pointer is, in screen coordinates.
    virtual void GetCursorPos(int& x, int& y) = 0;
    // A small icon resource of the program (0 when there is none); the caller owns it.
    virtual uintptr_t LoadIconResource(const std::string& name) = 0;
};
