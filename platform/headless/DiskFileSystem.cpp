// Folder listing through the standard library; see DiskFileSystem.h.
#include "platform/headless/DiskFileSystem.h"

#include <filesystem>

namespace headless {
bool DiskFileSystem::List(const std::string& folder, std::vector<TDirEntry>& entries) {
    std::error_code ec;
    std::filesystem::directory_iterator it(folder, ec), end;
    if (ec) return false;
    for (; it != end; it.increment(ec)) {
        if (ec) return false;
        entries.push_back({it->path().filename().string(), it->is_directory(ec)});
    }
    return true;
}
std::string DiskFileSystem::FolderIdentity(const std::string& folder) {
    std::error_code ec;
    std::filesystem::path real = std::filesystem::canonical(folder, ec);
    return ec ? folder : real.string();
}
}  // namespace headless
