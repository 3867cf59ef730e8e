// Folder listing with the system's find functions (ANSI names).
#include <windows.h>

#include "platform/win32/Win32Platform.h"

namespace win32 {
bool FileSystem::List(const std::string& folder, std::vector<TDirEntry>& entries) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + "\\*.*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return false;
    do {
        std::string name = fd.cFileName;
        if (name == "." || name == "..") continue;
        entries.push_back({name, (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return true;
}
}  // namespace win32
