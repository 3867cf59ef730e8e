// Mail header character sets through the system's code pages: the bytes go to Unicode in
// the set's code page, then to the ANSI code page the list shows, "?" for what it lacks.
#include "mail/win32/SystemCharsets.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "mail/MimeDecode.h"

namespace win32 {
namespace {
struct Named {
    const char* name;
    UINT codePage;
};
// The names mail uses, in capitals, and their code pages. US-ASCII is read as Latin-1, as
// the built-in conversion does: the system's own ASCII page folds an 8-bit byte onto 7 bits
// (0x80 into a NUL that cuts the text short, 0xC3 into "C").
const Named kSets[] = {
    {"UTF-8", 65001},        {"UTF8", 65001},         {"US-ASCII", 28591},     {"ISO-8859-1", 28591},
    {"ISO-8859-2", 28592},   {"ISO-8859-3", 28593},   {"ISO-8859-4", 28594},   {"ISO-8859-5", 28595},
    {"ISO-8859-6", 28596},   {"ISO-8859-7", 28597},   {"ISO-8859-8", 28598},   {"ISO-8859-9", 28599},
    {"ISO-8859-13", 28603},  {"ISO-8859-15", 28605},  {"WINDOWS-1250", 1250},  {"WINDOWS-1251", 1251},
    {"WINDOWS-1252", 1252},  {"WINDOWS-1253", 1253},  {"WINDOWS-1254", 1254},  {"WINDOWS-1255", 1255},
    {"WINDOWS-1256", 1256},  {"WINDOWS-1257", 1257},  {"WINDOWS-1258", 1258},  {"KOI8-R", 20866},
    {"KOI8-U", 21866},       {"SHIFT_JIS", 932},      {"ISO-2022-JP", 50220},  {"EUC-JP", 20932},
    {"GB2312", 936},         {"GBK", 936},            {"GB18030", 54936},      {"BIG5", 950},
    {"EUC-KR", 949},         {"KS_C_5601-1987", 949}, {"TIS-620", 874},        {"WINDOWS-874", 874},
};

bool Convert(const std::string& charset, const std::string& bytes, std::string& out) {
    UINT cp = 0;
    for (const Named& n : kSets)
        if (charset == n.name) cp = n.codePage;
    if (!cp || !IsValidCodePage(cp)) return false;
    out.clear();
    if (bytes.empty()) return true;
    int wn = MultiByteToWideChar(cp, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (wn <= 0) return false;
    std::vector<wchar_t> wide(static_cast<size_t>(wn));
    MultiByteToWideChar(cp, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), wn);
    int n = WideCharToMultiByte(CP_ACP, 0, wide.data(), wn, nullptr, 0, "?", nullptr);
    if (n <= 0) return false;
    out.resize(static_cast<size_t>(n));
    WideCharToMultiByte(CP_ACP, 0, wide.data(), wn, out.data(), n, "?", nullptr);
    return true;
}
}  // namespace

TCharsetConverter SystemCharsetConverter() { return Convert; }
}  // namespace win32
