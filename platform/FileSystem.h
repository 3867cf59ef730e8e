// The file-system seam: listing a folder, in the platform's own path syntax.
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
};
