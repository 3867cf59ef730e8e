// Encoded-word decoding of header texts. Every index is checked against the text's end:
// the headers come from the network and may end anywhere.
#include "mail/MimeDecode.h"

#include "core/SysUtils.h"

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

}  // namespace

std::string MimeDecode(const std::string& text) {
    if (UpperCase(text).find("ISO") == std::string::npos) return text;
    size_t q = text.find("?Q?");
    if (q != std::string::npos) return DecodeQ(text.substr(q + 3));
    size_t b = text.find("?B?");
    if (b == std::string::npos) return text;
    size_t start = b + 3;
    while (start < text.size() && text[start] == ' ') ++start;
    size_t end = text.find("?=", start);
    std::string rest;
    if (end == std::string::npos) {
        end = text.size();  // no closing "?=": the word runs to the end
    } else {
        rest = text.substr(end + 2);
    }
    return DecodeBase64(text.substr(start, end - start)) + rest;
}
