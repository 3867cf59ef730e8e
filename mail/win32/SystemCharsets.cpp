// Mail header character sets through the system's code pages: the bytes go to UTF-16 in the
// set's code page, then to the program's UTF-8.
#include "mail/win32/SystemCharsets.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "core/Utf16.h"
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
    {"KOI8-U", 21866},       {"SHIFT_JIS", 932},      {"EUC-JP", 20932},
    {"GB2312", 936},         {"GBK", 936},            {"GB18030", 54936},      {"BIG5", 950},
    {"EUC-KR", 949},         {"KS_C_5601-1987", 949}, {"TIS-620", 874},        {"WINDOWS-874", 874},
};

// ISO-2022-JP (RFC 1468) as EUC-JP, which every system has a code page for (not all have
// one for ISO-2022-JP): the same JIS X 0208 codes with their high bits set, half-width
// katakana after the single-shift byte 0x8E.
std::string Iso2022JpToEucJp(const std::string& in) {
    enum { Roman, Kanji, Kana } mode = Roman;
    std::string out;
    for (size_t i = 0; i < in.size(); ++i) {
        if (in[i] == '\x1B' && i + 2 < in.size()) {
            const std::string esc = in.substr(i + 1, 2);
            if (esc == "$B" || esc == "$@" || esc == "(B" || esc == "(J" || esc == "(I") {
                mode = esc[0] == '$' ? Kanji : esc == "(I" ? Kana : Roman;
                i += 2;
                continue;
            }
        }
        const auto c = static_cast<unsigned char>(in[i]);
        if (mode == Kanji && c >= 0x21 && c <= 0x7E && i + 1 < in.size()) {
            out += static_cast<char>(c | 0x80);
            out += static_cast<char>(in[++i] | 0x80);
        } else if (mode == Kana && c >= 0x21 && c <= 0x5F) {
            out += '\x8E';
            out += static_cast<char>(c | 0x80);
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

bool Convert(const std::string& charset, const std::string& bytes, std::string& out) {
    if (charset == "ISO-2022-JP") return Convert("EUC-JP", Iso2022JpToEucJp(bytes), out);
    UINT cp = charset.empty() ? GetACP() : 0;  // the empty name: the system's own page
    for (const Named& n : kSets)
        if (charset == n.name) cp = n.codePage;
    if (!cp || !IsValidCodePage(cp)) return false;
    out.clear();
    if (bytes.empty()) return true;
    int wn = MultiByteToWideChar(cp, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (wn <= 0) return false;
    std::vector<wchar_t> wide(static_cast<size_t>(wn));
    MultiByteToWideChar(cp, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), wn);
    out = WideToUtf8(std::wstring_view(wide.data(), wide.size()));
    return true;
}
}  // namespace

TCharsetConverter SystemCharsetConverter() { return Convert; }
}  // namespace win32
