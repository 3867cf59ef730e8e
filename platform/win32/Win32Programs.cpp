// The Win32 program starts (the shell library) and this computer's host entry (Winsock).
#include <winsock.h>
#include <windows.h>
#include <shellapi.h>

#include <cstring>

// The seam's method name, not the API's A/W macro.
#undef ShellExecute

#include "core/Utf16.h"
#include "platform/win32/Win32Platform.h"

namespace win32 {

intptr_t Programs::ShellExecute(const std::string& operation, const std::string& file, const std::string& params,
                             const std::string& dir, int show) {
    HWND owner = GetActiveWindow();
    return reinterpret_cast<intptr_t>(::ShellExecuteW(owner, operation.empty() ? nullptr : Utf8ToWide(operation).c_str(),
                                                      Utf8ToWide(file).c_str(),
                                                      params.empty() ? nullptr : Utf8ToWide(params).c_str(),
                                                      dir.empty() ? nullptr : Utf8ToWide(dir).c_str(), show));
}

std::string Programs::SystemDirectory() {
    wchar_t buf[MAX_PATH + 1] = {};
    UINT n = GetSystemDirectoryW(buf, MAX_PATH);
    return WideToUtf8(std::wstring_view(buf, n <= MAX_PATH ? n : 0));
}

bool Programs::LocalHostEntry(std::string& officialName, std::string& firstAddress) {
    char name[128] = {};
    if (gethostname(name, sizeof(name)) != 0) return false;
    name[sizeof(name) - 1] = '\0';
    hostent* h = gethostbyname(name);
    if (!h || !h->h_name) return false;
    officialName = HostFromWinsock(h->h_name);
    firstAddress.clear();
    if (h->h_addrtype == AF_INET && h->h_length == 4 && h->h_addr_list && h->h_addr_list[0]) {
        in_addr a;
        std::memcpy(&a, h->h_addr_list[0], 4);
        if (const char* text = inet_ntoa(a)) firstAddress = text;
    }
    return true;
}

}  // namespace win32
