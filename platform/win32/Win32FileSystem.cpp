// Folder listing with the system's find functions (ANSI names), and folder identities from
// the file information of an open folder.
#include <windows.h>

#include <string>

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

std::string FileSystem::FolderIdentity(const std::string& folder) {
    // A folder opens only with backup semantics; reading its attributes needs no right to
    // its contents.
    HANDLE h = CreateFileA(folder.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return folder;
    BY_HANDLE_FILE_INFORMATION info;
    const bool known = GetFileInformationByHandle(h, &info) != FALSE;
    CloseHandle(h);
    if (!known) return folder;
    return "volume " + std::to_string(info.dwVolumeSerialNumber) + " index " + std::to_string(info.nFileIndexHigh) +
           ":" + std::to_string(info.nFileIndexLow);
}
}  // namespace win32
