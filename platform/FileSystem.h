// The file-system seam: listing a folder, and telling folders apart, in the platform's own
// path syntax.
#pragma once
#include <string>
#include <vector>

struct TDirEntry {
    std::string Name;
    bool IsFolder = false;
};

class IFileSystem {
public:
    virtual ~IFileSystem() = default;
    // The entries of a folder, without "." and ".."; false when it cannot be listed.
    virtual bool List(const std::string& folder, std::vector<TDirEntry>& entries) = 0;
    // The separator between a folder and a name in a path.
    virtual char Separator() const = 0;
    // A name of the real folder a path leads to, the same for every path that reaches it
    // (through links, junctions or other spellings), so that a walk over a folder tree can
    // tell a folder it has already been in. For a folder that cannot be reached, the path.
    virtual std::string FolderIdentity(const std::string& folder) { return folder; }
};
