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
};
}  // namespace headless
