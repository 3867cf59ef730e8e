// The Win32 shell services: notification-area icons, program starts, sounds.
#include <winsock.h>
#include <windows.h>
#include <mmsystem.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <cstring>
#include <cstdio>

// The seam's method names, not the API's A/W macros.
#undef ShellExecute
#undef PlaySound

#include "platform/WaveFile.h"
#include "platform/win32/Win32Platform.h"

namespace win32 {

bool Shell::NotifyIcon(uint32_t action, const TNotifyIconData& d) {
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

bool Shell::NotifyBalloon(uintptr_t window, uint32_t id, const std::string& title, const std::string& text) {
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

void Shell::SetForegroundWindow(uintptr_t window) { ::SetForegroundWindow(reinterpret_cast<HWND>(window)); }

void Shell::GetCursorPos(int& x, int& y) {
    POINT p{};
    ::GetCursorPos(&p);
    x = p.x;
    y = p.y;
}

uintptr_t Shell::LoadIconResource(const std::string& name) {
    return reinterpret_cast<uintptr_t>(LoadImageA(GetModuleHandleA(nullptr), name.c_str(), IMAGE_ICON,
                                                  GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
}

intptr_t Shell::ShellExecute(const std::string& operation, const std::string& file, const std::string& params,
                             const std::string& dir, int show) {
    HWND owner = GetActiveWindow();
    return reinterpret_cast<intptr_t>(::ShellExecuteA(owner, operation.empty() ? nullptr : operation.c_str(), file.c_str(),
                                                    params.empty() ? nullptr : params.c_str(),
                                                    dir.empty() ? nullptr : dir.c_str(), show));
}

bool Shell::PlaySound(const std::string& file) {
    return ::PlaySoundA(file.c_str(), nullptr, SND_FILENAME) != 0;
}

bool Shell::PlayWaveAsync(const std::string& file) {
    // An asynchronous play reports success before it has opened the file: decide from the
    // file itself, and from whether a wave device takes its format.
    FILE* in = std::fopen(file.c_str(), "rb");
    if (!in) return false;
    std::string head(64 * 1024, '\0');
    head.resize(std::fread(head.data(), 1, head.size(), in));
    std::fclose(in);
    if (!IsPlayableWave(head)) return false;
    WAVEFORMATEX fmt{};
    for (size_t at = 12; at + 24 <= head.size();) {
        DWORD size = 0;
        std::memcpy(&size, head.data() + at + 4, 4);
        if (head.compare(at, 4, "fmt ") == 0) {
            std::memcpy(&fmt, head.data() + at + 8, 16);
            break;
        }
        at += 8 + size + (size & 1);
    }
    if (fmt.wFormatTag == WAVE_FORMAT_PCM &&
        waveOutOpen(nullptr, WAVE_MAPPER, &fmt, 0, 0, WAVE_FORMAT_QUERY) != MMSYSERR_NOERROR)
        return false;
    return ::PlaySoundA(file.c_str(), nullptr, SND_FILENAME | SND_ASYNC | SND_NODEFAULT) != 0;
}

std::string Shell::SystemDirectory() {
    char buf[256] = {};
    UINT n = GetSystemDirectoryA(buf, 255);
    return std::string(buf, n < 256 ? n : 0);
}

bool Shell::LocalHostEntry(std::string& officialName, std::string& firstAddress) {
    char name[128] = {};
    if (gethostname(name, sizeof(name)) != 0) return false;
    name[sizeof(name) - 1] = '\0';
    hostent* h = gethostbyname(name);
    if (!h || !h->h_name) return false;
    officialName = h->h_name;
    firstAddress.clear();
    if (h->h_addrtype == AF_INET && h->h_length == 4 && h->h_addr_list && h->h_addr_list[0]) {
        in_addr a;
        std::memcpy(&a, h->h_addr_list[0], 4);
        if (const char* text = inet_ntoa(a)) firstAddress = text;
    }
    return true;
}

void Shell::Beep() { MessageBeep(MB_OK); }

// Windows of other threads are not waited for: a hung one must not hold the caller.
void Shell::BroadcastTimeChange() { SendNotifyMessageA(HWND_BROADCAST, WM_TIMECHANGE, 0, 0); }

}  // namespace win32
