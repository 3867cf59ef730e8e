// The system's conversion of a decoded header's bytes in a named character set.
// Input: a first byte below 0x80 picks a name from the list below, the rest are the bytes;
// otherwise the name runs from the second byte to the first line feed, the bytes follow it.
#include <string>

#include "mail/win32/SystemCharsets.h"
#include "tests/fuzz/win32/W32Fuzz.h"

namespace w32fuzz {
namespace {
// The names the converter knows (in capitals, as the decoder passes them; the empty name is
// the system's own code page), then some it does not: those must give false.
const char* const kNames[] = {
    "UTF-8",        "UTF8",        "US-ASCII",     "ISO-8859-1",   "ISO-8859-2",   "ISO-8859-3",  "ISO-8859-4",
    "ISO-8859-5",   "ISO-8859-6",  "ISO-8859-7",   "ISO-8859-8",   "ISO-8859-9",   "ISO-8859-13", "ISO-8859-15",
    "WINDOWS-1250", "WINDOWS-1251", "WINDOWS-1252", "WINDOWS-1253", "WINDOWS-1254", "WINDOWS-1255",
    "WINDOWS-1256", "WINDOWS-1257", "WINDOWS-1258", "KOI8-R",       "KOI8-U",       "SHIFT_JIS",   "ISO-2022-JP",
    "EUC-JP",       "GB2312",      "GBK",          "GB18030",      "BIG5",         "EUC-KR",      "KS_C_5601-1987",
    "TIS-620",      "WINDOWS-874", "",
};
const size_t kKnown = sizeof(kNames) / sizeof(kNames[0]);
const char* const kUnknown[] = {"utf-8", "UTF-16", "UTF-7", "LATIN1", "X-UNKNOWN", "CP65001", "UTF-8 "};

bool Known(const std::string& name) {
    for (const char* n : kNames)
        if (name == n) return true;
    return false;
}
}  // namespace

std::string RunCharset(const std::string& input) {
    if (input.empty()) return "";
    std::string name, bytes;
    unsigned char pick = static_cast<unsigned char>(input[0]);
    if (pick < 0x80) {
        size_t i = pick % (kKnown + sizeof(kUnknown) / sizeof(kUnknown[0]));
        name = i < kKnown ? kNames[i] : kUnknown[i - kKnown];
        bytes = input.substr(1);
    } else {
        size_t end = input.find('\n', 1);
        name = input.substr(1, end == std::string::npos ? std::string::npos : end - 1);
        bytes = end == std::string::npos ? "" : input.substr(end + 1);
    }
    static const TCharsetConverter convert = win32::SystemCharsetConverter();
    std::string out;
    bool ok = convert(name, bytes, out);
    if (!ok && !out.empty()) return "false, yet an output";
    if (!ok) return "";
    if (!Known(name)) return "true for an unknown name";
    // Each byte gives at most one UTF-16 unit, and each unit at most three UTF-8 bytes.
    if (out.size() > 3 * bytes.size()) return "output longer than three times the input";
    if (out.find('\0') != std::string::npos && bytes.find('\0') == std::string::npos) return "a NUL from nowhere";
    // Printable ASCII is the same text in every one of these sets.
    bool printable = true;
    for (char c : bytes) printable = printable && c >= 0x20 && c < 0x7F;
    if (printable && out != bytes) return "printable ASCII changed";
    return "";
}
}  // namespace w32fuzz
