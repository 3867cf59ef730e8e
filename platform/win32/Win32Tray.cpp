// The Win32 notification area: icons, balloon notices, and the calls a tray icon's popup
// menu needs.
#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <algorithm>

#include "core/Utf16.h"
#include "platform/win32/Win32Platform.h"

namespace win32 {
namespace {
// Copies as much of the text as the field holds with its NUL, never half a surrogate pair.
template <size_t N>
void Cut(const std::wstring& text, wchar_t (&field)[N]) {
    size_t n = std::min(text.size(), N - 1);
    if (n < text.size() && n > 0 && (text[n - 1] & 0xFC00) == 0xD800) --n;
    text.copy(field, n);
    field[n] = L'\0';
}
}  // namespace

bool Tray::NotifyIcon(uint32_t action, const TNotifyIconData& d) {
    // The first form of the record: 152 bytes, a 64-character tip.
    NOTIFYICONDATAW n{};
    n.cbSize = NOTIFYICONDATAW_V1_SIZE;
    n.hWnd = reinterpret_cast<HWND>(d.hWnd);
    n.uID = d.uID;
    n.uFlags = d.uFlags;
    n.uCallbackMessage = d.uCallbackMessage;
    n.hIcon = reinterpret_cast<HICON>(d.hIcon);
    Cut(Utf8ToWide(d.szTip), n.szTip);
    return Shell_NotifyIconW(action, &n) != 0;
}

namespace {
// Balloons came with version 5 of the shell library; an older one would take the larger
// record for a broken first form.
bool ShellHasBalloons() {
    static int known = -1;
    if (known < 0) {
        known = 0;
        HMODULE shell = GetModuleHandleW(L"shell32.dll");
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
    NOTIFYICONDATAW n{};
    n.cbSize = NOTIFYICONDATAW_V2_SIZE;
    n.hWnd = reinterpret_cast<HWND>(window);
    n.uID = id;
    n.uFlags = NIF_INFO;
    n.dwInfoFlags = NIIF_INFO;
    n.uTimeout = 15000;
    Cut(Utf8ToWide(title), n.szInfoTitle);
    Cut(Utf8ToWide(text), n.szInfo);
    return Shell_NotifyIconW(NIM_MODIFY, &n) != 0;
}

void Tray::SetForegroundWindow(uintptr_t window) { ::SetForegroundWindow(reinterpret_cast<HWND>(window)); }

void Tray::GetCursorPos(int& x, int& y) {
    POINT p{};
    ::GetCursorPos(&p);
    x = p.x;
    y = p.y;
}

uintptr_t Tray::LoadIconResource(const std::string& name) {
    return reinterpret_cast<uintptr_t>(LoadImageW(GetModuleHandleW(nullptr), Utf8ToWide(name).c_str(), IMAGE_ICON,
                                                  GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
}

}  // namespace win32
