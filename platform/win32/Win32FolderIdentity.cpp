// Folder identities from the file information of an open folder; see Win32FolderIdentity.h.
#include "platform/win32/Win32FolderIdentity.h"

#include <windows.h>

#include <string>

namespace win32 {
std::string FolderIdentity::Of(const std::string& folder) {
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
