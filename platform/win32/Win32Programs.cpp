// The Win32 program starts (the shell library) and this computer's host entry (Winsock).
#include <winsock.h>
#include <windows.h>
#include <shellapi.h>

#include <cstring>

// The seam's method name, not the API's A/W macro.
#undef ShellExecute

#include "platform/win32/Win32Platform.h"

namespace win32 {

intptr_t Programs::ShellExecute(const std::string& operation, const std::string& file, const std::string& params,
                             const std::string& dir, int show) {
    HWND owner = GetActiveWindow();
    return reinterpret_cast<intptr_t>(::ShellExecuteA(owner, operation.empty() ? nullptr : operation.c_str(), file.c_str(),
                                                    params.empty() ? nullptr : params.c_str(),
                                                    dir.empty() ? nullptr : dir.c_str(), show));
}

std::string Programs::SystemDirectory() {
    char buf[256] = {};
    UINT n = GetSystemDirectoryA(buf, 255);
    return std::string(buf, n < 256 ? n : 0);
}

bool Programs::LocalHostEntry(std::string& officialName, std::string& firstAddress) {
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

}  // namespace win32
