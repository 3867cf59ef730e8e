// The file-system seam: listing a folder, telling folders apart, and the few whole-file
// steps a safe replacement of a file is made of, in the platform's own path syntax.
#pragma once
#include <cstddef>
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

    // Whole-file steps. Each returns false on failure with the system's own reason in
    // `error` (for example "There is not enough space on the disk."); a backend that does
    // not offer a step refuses it.
    //
    // Whether a file of that name exists.
    virtual bool Exists(const std::string& path) { return false; }
    // Creates the file (replacing one of that name) and writes all of `content` to it. A
    // write that takes fewer bytes than given is a failure, never a success.
    virtual bool Write(const std::string& path, const std::string& content, std::string& error) {
        return Unsupported(error);
    }
    // Pushes what was written to the file (by Write or by anyone else) down to the disk.
    virtual bool Flush(const std::string& path, std::string& error) { return Unsupported(error); }
    // Reads at most `limit` bytes from the start of the file.
    virtual bool Read(const std::string& path, size_t limit, std::string& content, std::string& error) {
        return Unsupported(error);
    }
    // Puts `from` in the place of `to` in one step: whoever opens `to` finds either the old
    // file or the new one whole, also after a crash or a power cut (both beside each other,
    // on one volume).
    virtual bool Replace(const std::string& from, const std::string& to, std::string& error) {
        return Unsupported(error);
    }
    // Removes a file; a missing one is no failure.
    virtual bool Remove(const std::string& path) { return false; }

    // Files that older versions wrote hold their text in the system's code page; the
    // program's text is UTF-8. A backend without a code page of its own takes UTF-8 as it.
    // The bytes of a file in the code page as UTF-8 text.
    virtual std::string FromCodePage(const std::string& bytes) { return bytes; }
    // The text in the code page; false when the code page lacks one of its characters.
    virtual bool ToCodePage(const std::string& text, std::string& bytes) {
        bytes = text;
        return true;
    }

private:
    static bool Unsupported(std::string& error) {
        error = "The file system offers no such operation.";
        return false;
    }
};
