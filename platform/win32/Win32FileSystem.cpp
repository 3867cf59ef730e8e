// Folder listing with the system's find functions, folder identities from the file
// information of an open folder, whole-file steps, and the system's code page.
#include <windows.h>

#include <algorithm>
#include <string>

#include "core/Utf16.h"
#include "platform/win32/Win32Platform.h"

namespace win32 {
bool FileSystem::List(const std::string& folder, std::vector<TDirEntry>& entries) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(Utf8ToWide(folder + "\\*.*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return false;
    do {
        std::string name = WideToUtf8(fd.cFileName);
        if (name == "." || name == "..") continue;
        entries.push_back({name, (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    return true;
}

std::string FileSystem::FolderIdentity(const std::string& folder) {
    // A folder opens only with backup semantics; reading its attributes needs no right to
    // its contents.
    HANDLE h = CreateFileW(Utf8ToWide(folder).c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
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

// ---- whole-file steps ----

namespace win32 {
namespace {
// The system's text for its last error, without the line end it carries.
bool Failed(std::string& error, DWORD code = GetLastError()) {
    error = SystemMessage(code);
    while (!error.empty() && (error.back() == '\n' || error.back() == '\r' || error.back() == ' ')) error.pop_back();
    if (error.empty()) error = "System error " + std::to_string(code) + ".";
    return false;
}
struct File {
    HANDLE h;
    ~File() {
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
};
}  // namespace

bool FileSystem::Exists(const std::string& path) {
    DWORD a = GetFileAttributesW(Utf8ToWide(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileSystem::Write(const std::string& path, const std::string& content, std::string& error) {
    File f{CreateFileW(Utf8ToWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)};
    if (f.h == INVALID_HANDLE_VALUE) return Failed(error);
    for (size_t done = 0; done < content.size();) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(content.size() - done, 1u << 20)), wrote = 0;
        if (!WriteFile(f.h, content.data() + done, chunk, &wrote, nullptr)) return Failed(error);
        if (wrote == 0) return Failed(error, ERROR_DISK_FULL);  // a short write is never a success
        done += wrote;
    }
    if (!FlushFileBuffers(f.h)) return Failed(error);
    HANDLE h = f.h;
    f.h = INVALID_HANDLE_VALUE;
    return CloseHandle(h) || Failed(error);
}

bool FileSystem::Flush(const std::string& path, std::string& error) {
    File f{CreateFileW(Utf8ToWide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr)};
    if (f.h == INVALID_HANDLE_VALUE) return Failed(error);
    return FlushFileBuffers(f.h) || Failed(error);
}

bool FileSystem::Read(const std::string& path, size_t limit, std::string& content, std::string& error) {
    content.clear();
    File f{CreateFileW(Utf8ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr)};
    if (f.h == INVALID_HANDLE_VALUE) return Failed(error);
    char block[8192];
    while (content.size() < limit) {
        DWORD got = 0;
        if (!ReadFile(f.h, block, static_cast<DWORD>(std::min<size_t>(sizeof block, limit - content.size())), &got,
                      nullptr))
            return Failed(error);
        if (got == 0) break;
        content.append(block, got);
    }
    return true;
}

bool FileSystem::Replace(const std::string& from, const std::string& to, std::string& error) {
    return MoveFileExW(Utf8ToWide(from).c_str(), Utf8ToWide(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) || Failed(error);
}

bool FileSystem::Remove(const std::string& path) {
    return DeleteFileW(Utf8ToWide(path).c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
}

std::string FileSystem::FromCodePage(const std::string& bytes) {
    if (bytes.empty()) return {};
    const int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), n);
    return WideToUtf8(wide);
}

bool FileSystem::ToCodePage(const std::string& text, std::string& bytes) {
    bytes.clear();
    const std::wstring wide = Utf8ToWide(text);
    if (wide.empty()) return true;
    // No best fit: a character the page lacks must not pass as a look-alike.
    BOOL lost = FALSE;
    const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()), nullptr,
                                      0, nullptr, &lost);
    if (n <= 0 || lost) return false;
    bytes.resize(static_cast<size_t>(n));
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()), bytes.data(), n,
                        nullptr, &lost);
    // Some pages map a character to bytes that read back as another: only a round trip counts.
    return !lost && FromCodePage(bytes) == WideToUtf8(wide);
}
}  // namespace win32
