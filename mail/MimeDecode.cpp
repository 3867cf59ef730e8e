// Encoded-word decoding of header texts. Every index is checked against the text's end:
// the headers come from the network and may end anywhere.
#include "mail/MimeDecode.h"

#include "core/SysUtils.h"
#include "core/Utf16.h"
#include "platform/Services.h"

namespace {

// A hexadecimal digit as the mail headers use it: 0-9, otherwise the low four bits plus 9,
// which gives 10-15 for both "A"-"F" and "a"-"f".
int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    return (static_cast<unsigned char>(c) & 0x0F) + 9;
}

std::string DecodeQ(const std::string& s) {
    std::string out;
    size_t i = 0;
    while (i < s.size()) {
        char c = s[i];
        if (c == '=') {
            if (i + 2 < s.size()) {
                out += static_cast<char>((HexValue(s[i + 1]) << 4) | HexValue(s[i + 2]));
                i += 3;
            } else if (i + 1 < s.size()) {
                // Only one character left: it alone gives the byte.
                out += static_cast<char>(HexValue(s[i + 1]));
                i += 2;
            } else {
                ++i;  // a lone "=" at the end
            }
        } else if (c == '_') {
            out += ' ';
            ++i;
        } else if (c == '?') {
            if (i + 1 >= s.size()) {
                ++i;
            } else if (s[i + 1] == '=') {
                i += 2;
                if (i < s.size() && s[i] == '"') ++i;
            } else {
                out += s[i + 1];
                i += 2;
            }
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

int Base64Value(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

// Decodes groups of four up to a blank or the end. A short last group yields the whole
// bytes it carries; a character outside the alphabet ends the data.
std::string DecodeBase64(const std::string& s) {
    std::string out;
    size_t i = 0;
    while (i < s.size() && s[i] != ' ') {
        int values[4];
        int n = 0;
        bool stop = false;
        while (n < 4 && i < s.size() && s[i] != ' ') {
            if (s[i] == '=') {
                ++i;
                stop = true;  // padding: the group ends here
                continue;
            }
            int v = Base64Value(s[i]);
            if (v < 0) {
                stop = true;
                i = s.size();
                break;
            }
            if (stop) break;
            values[n++] = v;
            ++i;
        }
        if (n >= 2) out += static_cast<char>((values[0] << 2) | (values[1] >> 4));
        if (n >= 3) out += static_cast<char>(((values[1] & 0x0F) << 4) | (values[2] >> 2));
        if (n >= 4) out += static_cast<char>(((values[2] & 0x03) << 6) | values[3]);
        if (stop || n < 4) break;
    }
    return out;
}

// Windows-1252's characters 0x80-0x9F (0: none there); the rest of it is Latin-1.
const char32_t kCp1252High[32] = {0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
                                  0x2039, 0x0152, 0, 0x017D, 0, 0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013,
                                  0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178};

// Bytes of a single-byte set as UTF-8: Latin-1, or Windows-1252 with its 0x80-0x9F; a byte
// the set has no character for becomes U+FFFD.
std::string SingleByteToUtf8(const std::string& bytes, bool cp1252) {
    std::wstring wide;
    for (char ch : bytes) {
        const unsigned char b = static_cast<unsigned char>(ch);
        const char32_t c = cp1252 && b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : b;
        wide += static_cast<wchar_t>(c || !b ? c : 0xFFFD);
    }
    return WideToUtf8(wide);
}

// The decoded bytes of an encoded word, in the character set it names, as UTF-8.
std::string FromCharset(const std::string& charsetName, const std::string& bytes) {
    std::string cs = UpperCase(charsetName.substr(0, charsetName.find('*')));  // "*lang" suffix
    std::string out;
    // Our own UTF-8 check first: a malformed sequence becomes U+FFFD, the rest stays.
    if (cs == "UTF-8" || cs == "UTF8") return WideToUtf8(Utf8ToWide(bytes));
    const TCharsetConverter& system = platform::Installed().charsets;
    if (system && system(cs, bytes, out)) return out;
    if (cs == "ISO-8859-1" || cs == "US-ASCII" || cs == "LATIN1") return SingleByteToUtf8(bytes, false);
    if (cs == "WINDOWS-1252" || cs.empty()) return SingleByteToUtf8(bytes, true);
    for (char c : bytes) out += static_cast<unsigned char>(c) < 0x80 ? std::string(1, c) : "\xEF\xBF\xBD";
    return out;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace


std::string MimeDecode(const std::string& raw) {
    bool ascii = true;
    for (char c : raw) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    // The text between encoded words is UTF-8 or in the system's code page; a word's bytes
    // are in its own set. Each part is converted once, so no byte is read twice.
    const bool utf8 = ascii || IsUtf8(raw);
    auto plain = [utf8](const std::string& s) { return utf8 ? s : FromCharset("", s); };
    const std::string& text = raw;
    std::string out;
    size_t i = 0, afterWord = std::string::npos;
    while (i < text.size()) {
        size_t start = text.find("=?", i);
        // =?charset?Q?...?= or =?charset?B?...?=, the letter in either case.
        size_t q1 = start == std::string::npos ? start : text.find('?', start + 2);
        bool word = q1 != std::string::npos && q1 + 2 < text.size() && text[q1 + 2] == '?' &&
                    std::string("QqBb").find(text[q1 + 1]) != std::string::npos && q1 > start + 2;
        if (!word) {
            if (start == std::string::npos) break;
            out += plain(text.substr(i, start + 2 - i));
            i = start + 2;
            continue;
        }
        // Blanks between two encoded words are not part of the text.
        std::string between = text.substr(i, start - i);
        bool onlyBlanks = true;
        for (char c : between) onlyBlanks = onlyBlanks && IsBlank(c);
        if (!(afterWord == i && onlyBlanks)) out += plain(between);
        size_t data = q1 + 3;
        size_t end = text.find("?=", data);
        // A word cut off by the end of the line is decoded as far as it goes.
        std::string payload = text.substr(data, end == std::string::npos ? std::string::npos : end - data);
        std::string bytes;
        if (text[q1 + 1] == 'Q' || text[q1 + 1] == 'q') {
            bytes = DecodeQ(payload);
        } else {
            size_t from = 0;
            while (from < payload.size() && payload[from] == ' ') ++from;
            bytes = DecodeBase64(payload.substr(from));
        }
        out += FromCharset(text.substr(start + 2, q1 - start - 2), bytes);
        i = end == std::string::npos ? text.size() : end + 2;
        afterWord = i;
    }
    if (i < text.size()) out += plain(text.substr(i));
    return out;
}
