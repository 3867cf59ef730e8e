// Loading a system library by full path; see SystemLibrary.h.
#include "platform/win32/SystemLibrary.h"

#include <string>

namespace platform {
HMODULE LoadSystemLibrary(const wchar_t* name) {
    wchar_t dir[MAX_PATH + 1] = {};
    UINT n = GetSystemDirectoryW(dir, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return nullptr;
    return LoadLibraryW((std::wstring(dir, n) + L"\\" + name).c_str());
}
}  // namespace platform
