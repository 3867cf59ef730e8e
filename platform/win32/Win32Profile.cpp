// The Windows profile service; see Win32Profile.h.
#include "platform/win32/Win32Profile.h"

#include <windows.h>

#include <vector>

#include "core/SysUtils.h"
#include "core/Utf16.h"
#include "platform/ProfileValue.h"
#include "platform/win32/Win32Platform.h"

namespace {
std::wstring W(const std::string& s) { return Utf8ToWide(s); }

// NUL-separated names as the service lists them; a list that fills the buffer to its last
// two characters may have been cut, so the buffer grows until the list fits.
template <class Fill>
std::vector<std::string> NameList(Fill fill) {
    std::vector<wchar_t> buf(4096);
    DWORD n;
    for (;;) {
        n = fill(buf.data(), static_cast<DWORD>(buf.size()));
        if (n + 2 < buf.size() || buf.size() >= (1u << 24)) break;
        buf.resize(buf.size() * 2);
    }
    std::vector<std::string> names;
    size_t start = 0;
    for (size_t i = 0; i <= n && i < buf.size(); ++i) {
        if (i == n || buf[i] == L'\0') {
            if (i > start) names.push_back(WideToUtf8(std::wstring_view(buf.data() + start, i - start)));
            start = i + 1;
        }
    }
    return names;
}

HANDLE Open(const std::wstring& path, DWORD access, DWORD disposition) {
    return CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The service keeps a file that starts with a UTF-16 byte-order mark in Unicode, and any
// other in the system's code page.
bool IsUnicodeFile(const std::wstring& path) {
    HANDLE h = Open(path, GENERIC_READ, OPEN_EXISTING);
    if (h == INVALID_HANDLE_VALUE) return false;
    unsigned char mark[2] = {};
    DWORD got = 0;
    const bool ok = ReadFile(h, mark, 2, &got, nullptr) && got == 2 && mark[0] == 0xFF && mark[1] == 0xFE;
    CloseHandle(h);
    return ok;
}

// Rewrites a code-page file (or none) as the same text in Unicode, whole: the new file is
// made beside it and put in its place in one step, so a failure leaves the old file.
bool ConvertToUnicode(const std::string& file) {
    win32::FileSystem fs;
    std::string bytes, error;
    if (fs.Exists(file) && !fs.Read(file, 64u << 20, bytes, error)) return false;
    auto encoding = profile_value::TEncoding::Utf16;
    const std::string content = profile_value::FileBytes(fs.FromCodePage(bytes), &fs, encoding);
    const std::string scratch = file + ".unicode";
    if (fs.Write(scratch, content, error) && fs.Replace(scratch, file, error)) return true;
    fs.Remove(scratch);
    return false;
}

// Makes sure the file can hold the text: a code-page file that cannot is converted first.
bool HoldsText(const std::string& file, const std::string& text) {
    std::string bytes;
    if (win32::FileSystem().ToCodePage(text, bytes) || IsUnicodeFile(W(file))) return true;
    return ConvertToUnicode(file);
}
}  // namespace

std::string Win32Profile::ReadString(const std::string& file, const std::string& section, const std::string& key,
                                     const std::string& def) {
    wchar_t buf[1024];  // a value is read with at most 1023 characters
    DWORD n = GetPrivateProfileStringW(W(section).c_str(), W(key).c_str(), W(def).c_str(), buf, 1024, W(file).c_str());
    return WideToUtf8(std::wstring_view(buf, n));
}

std::vector<std::string> Win32Profile::ReadKeys(const std::string& file, const std::string& section) {
    const std::wstring s = W(section), f = W(file);
    return NameList([&](wchar_t* buf, DWORD size) { return GetPrivateProfileStringW(s.c_str(), nullptr, L"", buf, size, f.c_str()); });
}

std::vector<std::string> Win32Profile::ReadSections(const std::string& file) {
    const std::wstring f = W(file);
    std::vector<std::string> names;
    // A section named twice (a hand-edited file) is listed once.
    for (const std::string& name : NameList([&](wchar_t* buf, DWORD size) { return GetPrivateProfileSectionNamesW(buf, size, f.c_str()); })) {
        bool seen = false;
        for (const auto& m : names) seen = seen || lstrcmpiW(W(m).c_str(), W(name).c_str()) == 0;
        if (!seen) names.push_back(name);
    }
    return names;
}

bool Win32Profile::WriteString(const std::string& file, const std::string& section, const std::string& key,
                               const std::string& value) {
    // Stored so that the read above gives the value back unchanged; a value it could not give
    // back whole is refused rather than cut.
    if (profile_value::Check(value) != profile_value::TFit::Fits) return false;
    const std::string stored = profile_value::Stored(value);
    if (!HoldsText(file, section + key + stored)) return false;
    return WritePrivateProfileStringW(W(section).c_str(), W(key).c_str(), W(stored).c_str(), W(file).c_str()) != FALSE;
}

bool Win32Profile::DeleteKey(const std::string& file, const std::string& section, const std::string& key) {
    // A key written without a value is removed; the rest of the file stays as it stands. The
    // platform compares the names as given here, so the blanks around them go first.
    return WritePrivateProfileStringW(W(Trim(section)).c_str(), W(Trim(key)).c_str(), nullptr, W(file).c_str()) != FALSE;
}

bool Win32Profile::EraseSection(const std::string& file, const std::string& section) {
    // The platform removes only the first of duplicate sections (a hand-edited file); the
    // next one would then show through with entries the caller meant to drop. Repeat until
    // no key of that name is left; each round removes a section, so the file bounds it.
    for (int round = 0; round < 10000; ++round) {
        if (!WritePrivateProfileStringW(W(section).c_str(), nullptr, nullptr, W(file).c_str())) return false;
        if (ReadKeys(file, section).empty()) return true;
    }
    return true;
}
