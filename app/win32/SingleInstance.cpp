// The single-instance section; see SingleInstance.h.
#include "app/win32/SingleInstance.h"

#include <windows.h>

#include <cstring>

#include "core/Utf16.h"
#include "widgets/Forms.h"

namespace {
HANDLE g_section = nullptr;

struct CloseAtExit {
    ~CloseAtExit() { CloseAppSection(); }
} g_closeAtExit;
}  // namespace

void CloseAppSection() {
    if (g_section) {
        CloseHandle(g_section);
        g_section = nullptr;
    }
}

bool CheckAppAlreadyRunning(const std::string& name, bool activate, bool closeAtEnd) {
    g_section = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, Utf8ToWide(name).c_str());
    if (!g_section) throw Exception("CheckAppAlreadyRunning: can't create file mapping");
    bool alreadyRunning = GetLastError() == ERROR_ALREADY_EXISTS;
    struct CloseOnLeave {  // closes the handle on every way out when asked to
        bool close;
        ~CloseOnLeave() {
            if (close) CloseAppSection();
        }
    } closer{closeAtEnd};
    void* view = MapViewOfFile(g_section, FILE_MAP_WRITE, 0, 0, 0);
    if (!view) throw Exception("CheckAppAlreadyRunning: can't create map view of file.");
    struct Unmap {
        void* v;
        ~Unmap() { UnmapViewOfFile(v); }
    } unmap{view};
    if (!alreadyRunning) {
        uint32_t h = static_cast<uint32_t>(Application().Handle());
        std::memcpy(view, &h, 4);
    } else if (activate) {
        uint32_t raw = 0;
        std::memcpy(&raw, view, 4);
        HWND h = reinterpret_cast<HWND>(static_cast<uintptr_t>(raw));
        if (h) {
            SendMessageW(h, WM_SYSCOMMAND, SC_RESTORE, 0);
            HWND p = GetLastActivePopup(h);
            if (p && p != h && IsWindowVisible(p) && IsWindowEnabled(p)) SetForegroundWindow(p);
        }
    }
    return alreadyRunning;
}
