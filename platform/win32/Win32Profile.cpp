// The Windows profile service; see Win32Profile.h.
#include "platform/win32/Win32Profile.h"

#include <windows.h>

#include <vector>

#include "core/SysUtils.h"
#include "platform/ProfileValue.h"

std::string Win32Profile::ReadString(const std::string& file, const std::string& section, const std::string& key,
                                     const std::string& def) {
    char buf[1024];  // a value is read with at most 1023 characters
    DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), def.c_str(), buf, sizeof buf, file.c_str());
    return std::string(buf, n);
}

std::vector<std::string> Win32Profile::ReadKeys(const std::string& file, const std::string& section) {
    // The names come as NUL-separated texts; a result that fills the buffer to its last two
    // characters may have been cut, so the buffer grows until the list fits.
    std::vector<char> buf(4096);
    DWORD n;
    for (;;) {
        n = GetPrivateProfileStringA(section.c_str(), nullptr, "", buf.data(), static_cast<DWORD>(buf.size()),
                                     file.c_str());
        if (n + 2 < buf.size() || buf.size() >= (1u << 24)) break;
        buf.resize(buf.size() * 2);
    }
    std::vector<std::string> keys;
    size_t start = 0;
    for (size_t i = 0; i < n; ++i) {
        if (buf[i] == '\0') {
            keys.emplace_back(buf.data() + start, i - start);
            start = i + 1;
        }
    }
    if (start < n) keys.emplace_back(buf.data() + start, n - start);
    return keys;
}

std::vector<std::string> Win32Profile::ReadSections(const std::string& file) {
    // NUL-separated names as for the keys; a list that reaches the buffer's end may be cut.
    std::vector<char> buf(4096);
    DWORD n;
    for (;;) {
        n = GetPrivateProfileSectionNamesA(buf.data(), static_cast<DWORD>(buf.size()), file.c_str());
        if (n + 2 < buf.size() || buf.size() >= (1u << 24)) break;
        buf.resize(buf.size() * 2);
    }
    std::vector<std::string> names;
    size_t start = 0;
    for (size_t i = 0; i <= n && i < buf.size(); ++i) {
        if (i == n || buf[i] == '\0') {
            std::string name(buf.data() + start, i - start);
            bool seen = name.empty();
            for (const auto& m : names) seen = seen || lstrcmpiA(m.c_str(), name.c_str()) == 0;
            if (!seen) names.push_back(name);
            start = i + 1;
        }
    }
    return names;
}

bool Win32Profile::WriteString(const std::string& file, const std::string& section, const std::string& key,
                               const std::string& value) {
    // Stored so that the read above gives the value back unchanged; a value it could not give
    // back whole is refused rather than cut.
    if (profile_value::Check(value) != profile_value::TFit::Fits) return false;
    const std::string stored = profile_value::Stored(value);
    return WritePrivateProfileStringA(section.c_str(), key.c_str(), stored.c_str(), file.c_str()) != FALSE;
}

bool Win32Profile::DeleteKey(const std::string& file, const std::string& section, const std::string& key) {
    // A key written without a value is removed; the rest of the file stays as it stands. The
    // platform compares the names as given here, so the blanks around them go first.
    return WritePrivateProfileStringA(Trim(section).c_str(), Trim(key).c_str(), nullptr, file.c_str()) != FALSE;
}

bool Win32Profile::EraseSection(const std::string& file, const std::string& section) {
    // The platform removes only the first of duplicate sections (a hand-edited file); the
    // next one would then show through with entries the caller meant to drop. Repeat until
    // no key of that name is left; each round removes a section, so the file bounds it.
    for (int round = 0; round < 10000; ++round) {
        if (!WritePrivateProfileStringA(section.c_str(), nullptr, nullptr, file.c_str())) return false;
        if (ReadKeys(file, section).empty()) return true;
    }
    return true;
}
