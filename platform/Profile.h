// The profile seam: one key of an INI file at a time, as the platform's
// profile-file service offers it. Every write reaches the file at once.
//
// Reading rules (both backends give the same answers): section and key names match
// without regard to case and with blanks around them ignored; blanks around a value are
// dropped and one pair of enclosing quotes ("" or '') is removed; the first of duplicate
// sections and keys wins; lines without "=" are not keys; a missing file, section or key
// gives the default; a value is read with at most 1023 characters.
#pragma once
#include <string>
#include <vector>

class IProfile {
public:
    virtual ~IProfile() = default;
    virtual std::string ReadString(const std::string& file, const std::string& section,
                                   const std::string& key, const std::string& def) = 0;
    // The names of the keys in a section, in file order (empty for a missing section).
    virtual std::vector<std::string> ReadKeys(const std::string& file, const std::string& section) = 0;
    // The names of the sections in a file, in file order, each once (empty for a missing or
    // unreadable file). Every backend should override this (Win32: the profile service's
    // section-name listing); the default lists none.
    virtual std::vector<std::string> ReadSections(const std::string& file) { return {}; }
    // Writes one key, creating the file and section as needed. False when refused.
    virtual bool WriteString(const std::string& file, const std::string& section, const std::string& key,
                             const std::string& value) = 0;
    // Removes a whole section. False when refused (a missing section is not a refusal).
    virtual bool EraseSection(const std::string& file, const std::string& section) = 0;
    // Removes the first key of that name in the first section of that name (names compared
    // as the reads compare them), leaving every other line where it stands: the order of the
    // sections, comment lines and blank lines. False when refused; a missing key is not a
    // refusal.
    virtual bool DeleteKey(const std::string& file, const std::string& section, const std::string& key) = 0;
};
