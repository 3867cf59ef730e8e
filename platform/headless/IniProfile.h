// A profile service of our own over real INI files, for tests and for any host without the
// platform's profile-file service. It reads files the way the platform does, including
// files edited by hand (a conformance test runs both over the same tricky files):
//
// - Lines end at LF; a file without any LF is split at CR. Blanks (space, tab, CR, VT, FF,
//   and the old end-of-file mark 0x1A) around a line are dropped.
// - "[name]" opens a section; the name is what stands between "[" and the last "]", less
//   blanks around it. A "[" line without "]" is an ordinary line. Lines before the first section belong
//   to a nameless one.
// - Other lines are keys: the name is the text before the first "=" less trailing blanks,
//   the value the text after it less leading blanks. A line without "=" has no value: it
//   reads as missing and is not listed as a key. Names beginning ";" (comments) are not
//   listed either.
// - Names asked for are compared without regard to ASCII case, with blanks around the name
//   asked for ignored. The first of duplicate sections and keys wins.
// - A value that begins and ends with the same quote (" or ') loses both; at most 1023
//   characters are returned.
//
// Every call reads the file afresh, but parses it again only when its text has changed since
// the last parse; every write rewrites the whole file at once (CRLF line ends), keeping the
// lines it did not change, comments and blank lines included. Values are written as
// platform/ProfileValue.h lays them down, so that they read back unchanged.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Profile.h"

namespace headless {

struct ParsedFiles;

class IniFileProfile : public IProfile {
public:
    IniFileProfile();
    ~IniFileProfile() override;
    std::string ReadString(const std::string& file, const std::string& section, const std::string& key,
                           const std::string& def) override;
    std::vector<std::string> ReadKeys(const std::string& file, const std::string& section) override;
    std::vector<std::string> ReadSections(const std::string& file) override;
    bool WriteString(const std::string& file, const std::string& section, const std::string& key,
                     const std::string& value) override;
    bool DeleteKey(const std::string& file, const std::string& section, const std::string& key) override;
    bool EraseSection(const std::string& file, const std::string& section) override;

    // Writes made so far (successful ones), e.g. to check that a routine wrote nothing.
    int writes = 0;
    // Times a file's text has been parsed, e.g. to check that reading a list parses it once.
    int parses = 0;
    // When set, every write is refused, as for a read-only file.
    bool refuseWrites = false;
    // The system's code page, for files without a byte-order mark; nullptr: they hold UTF-8.
    // A file whose page lacks a character written to it becomes UTF-16, as the platform's do.
    IFileSystem* codePage = nullptr;

private:
    std::unique_ptr<ParsedFiles> parsed_;
};

}  // namespace headless
