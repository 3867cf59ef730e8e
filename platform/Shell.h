// The shell seam: the notification area, starting programs and documents, sounds, and the
// few window-manager calls the components make on their own windows.
#pragma once
#include <cstdint>
#include <string>

enum : uint32_t { NIM_ADD_ = 0, NIM_MODIFY_ = 1, NIM_DELETE_ = 2 };
enum : uint32_t { NIF_MESSAGE_ = 1, NIF_ICON_ = 2, NIF_TIP_ = 4 };

// The notification-area record in its first (ANSI) form: 88 bytes on 32-bit Windows.
struct TNotifyIconData {
    uint32_t cbSize = 88;
    uintptr_t hWnd = 0;
    uint32_t uID = 0;
    uint32_t uFlags = 0;
    uint32_t uCallbackMessage = 0;
    uintptr_t hIcon = 0;
    char szTip[64] = {};
};

class IShell {
public:
    virtual ~IShell() = default;
    // Shell_NotifyIconA; true when the shell accepted the call.
    virtual bool NotifyIcon(uint32_t action, const TNotifyIconData& data) = 0;
    // A balloon notice (title up to 63, text up to 255 characters) on the icon that window
    // and id name, where the system's notification area has balloons; false otherwise.
    virtual bool NotifyBalloon(uintptr_t window, uint32_t id, const std::string& title, const std::string& text) {
        return false;
    }
    virtual void SetForegroundWindow(uintptr_t window) = 0;
    virtual void GetCursorPos(int& x, int& y) = 0;
    // An icon resource of the program (0 when there is none).
    virtual uintptr_t LoadIconResource(const std::string& name) = 0;
    // Starts a program or opens a document; returns the shell's code (> 32 = success).
    virtual intptr_t ShellExecute(const std::string& operation, const std::string& file, const std::string& params,
                                  const std::string& dir, int show) = 0;
    // Starts playing a wave file and returns at once; the player closes itself when the
    // sound ends. False when the file cannot be opened or played (no default sound then).
    virtual bool PlayWaveAsync(const std::string& file) = 0;
    // Plays a wave file and returns when it has finished (the system's default sound when
    // the file cannot be played).
    virtual bool PlaySound(const std::string& file) = 0;
    // The Windows system directory, without a trailing separator.
    virtual std::string SystemDirectory() = 0;
    // This computer's host name resolved to its host entry: the official name and the first
    // address in dotted decimal (empty when none can be formatted). False when the name
    // cannot be had or resolved.
    virtual bool LocalHostEntry(std::string& officialName, std::string& firstAddress) = 0;
    // The default message beep.
    virtual void Beep() = 0;
    // Tells every top-level window that the system time changed (WM_TIMECHANGE), without
    // waiting for any window of another thread to handle it.
    virtual void BroadcastTimeChange() = 0;
};
