// The folder-identity seam: a name of the real folder that a path leads to, the same for
// every path that reaches it (through links, junctions or other spellings), so that a walk
// over a folder tree can tell a folder it has already been in. Installed next to the
// file-system seam; without one, a folder's path stands for it.
#pragma once
#include <string>

class IFolderIdentity {
public:
    virtual ~IFolderIdentity() = default;
    // The folder's identity; for a folder that cannot be reached, the path itself.
    virtual std::string Of(const std::string& folder) = 0;
};

namespace platform {
// The installed backend, or null when none is installed.
IFolderIdentity* FolderIdentity();
void SetFolderIdentity(IFolderIdentity* identity);
// The identity through the installed backend, or the path itself without one.
std::string FolderIdentityOf(const std::string& folder);
}  // namespace platform
