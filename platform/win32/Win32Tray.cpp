// The Win32 notification area: icons, balloon notices, and the calls a tray icon's popup
// menu needs.
#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <cstring>

#include "platform/win32/Win32Platform.h"

namespace win32 {

bool Tray::NotifyIcon(uint32_t action, const TNotifyIconData& d) {
    // The first form of the record: 88 bytes, a 64-character tip.
    NOTIFYICONDATAA n{};
    n.cbSize = NOTIFYICONDATAA_V1_SIZE;
    n.hWnd = reinterpret_cast<HWND>(d.hWnd);
    n.uID = d.uID;
    n.uFlags = d.uFlags;
    n.uCallbackMessage = d.uCallbackMessage;
    n.hIcon = reinterpret_cast<HICON>(d.hIcon);
    std::memcpy(n.szTip, d.szTip, sizeof(d.szTip));
    return Shell_NotifyIconA(action, &n) != 0;
}

namespace {
// Balloons came with version 5 of the shell library; an older one would take the larger
// record for a broken first form.
bool ShellHasBalloons() {
    static int known = -1;
    if (known < 0) {
        known = 0;
        HMODULE shell = GetModuleHandleA("shell32.dll");
        auto getVersion = shell ? reinterpret_cast<DLLGETVERSIONPROC>(
                                      reinterpret_cast<void*>(GetProcAddress(shell, "DllGetVersion")))
                                : nullptr;
        DLLVERSIONINFO v{};
        v.cbSize = sizeof(v);
        if (getVersion && getVersion(&v) == S_OK && v.dwMajorVersion >= 5) known = 1;
    }
    return known == 1;
}
}  // namespace

bool Tray::NotifyBalloon(uintptr_t window, uint32_t id, const std::string& title, const std::string& text) {
    if (!ShellHasBalloons()) return false;
    NOTIFYICONDATAA n{};
    n.cbSize = NOTIFYICONDATAA_V2_SIZE;
    n.hWnd = reinterpret_cast<HWND>(window);
    n.uID = id;
    n.uFlags = NIF_INFO;
    n.dwInfoFlags = NIIF_INFO;
    n.uTimeout = 15000;
    lstrcpynA(n.szInfoTitle, title.c_str(), sizeof(n.szInfoTitle));
    lstrcpynA(n.szInfo, text.c_str(), sizeof(n.szInfo));
    return Shell_NotifyIconA(NIM_MODIFY, &n) != 0;
}

void Tray::SetForegroundWindow(uintptr_t window) { ::SetForegroundWindow(reinterpret_cast<HWND>(window)); }

void Tray::GetCursorPos(int& x, int& y) {
    POINT p{};
    ::GetCursorPos(&p);
    x = p.x;
    y = p.y;
}

uintptr_t Tray::LoadIconResource(const std::string& name) {
    return reinterpret_cast<uintptr_t>(LoadImageA(GetModuleHandleA(nullptr), name.c_str(), IMAGE_ICON,
                                                  GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
}

}  // namespace win32
