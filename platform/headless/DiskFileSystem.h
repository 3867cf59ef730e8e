// The file system of the machine the tests run on, with "/" paths.
#pragma once
#include "platform/FileSystem.h"

namespace headless {
class DiskFileSystem : public IFileSystem {
public:
    bool List(const std::string& folder, std::vector<TDirEntry>& entries) override;
    char Separator() const override { return '/'; }
    // The canonical path, links resolved.
    std::string FolderIdentity(const std::string& folder) override;
    // POSIX files: write and fsync, rename (the folder synced after it), unlink.
    bool Exists(const std::string& path) override;
    bool Write(const std::string& path, const std::string& content, std::string& error) override;
    bool Flush(const std::string& path, std::string& error) override;
    bool Read(const std::string& path, size_t limit, std::string& content, std::string& error) override;
    bool Replace(const std::string& from, const std::string& to, std::string& error) override;
    bool Remove(const std::string& path) override;
};
}  // namespace headless
