// Base64 encoding and strict decoding; see Base64.h.
#include "core/Base64.h"

#include <cstdint>

namespace {
const char kStandard[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
const char kUrl[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

// 0..63, or -1 for a character outside the alphabet (url: the URL-safe one).
int Value(char c, bool url) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == (url ? '-' : '+')) return 62;
    if (c == (url ? '_' : '/')) return 63;
    return -1;
}
}  // namespace

std::string Base64Encode(std::string_view s, bool url) {
    const char* digits = url ? kUrl : kStandard;
    std::string out;
    out.reserve((s.size() + 2) / 3 * 4);
    for (size_t i = 0; i < s.size(); i += 3) {
        uint32_t v = uint32_t(uint8_t(s[i])) << 16;
        if (i + 1 < s.size()) v |= uint32_t(uint8_t(s[i + 1])) << 8;
        if (i + 2 < s.size()) v |= uint8_t(s[i + 2]);
        out += digits[(v >> 18) & 63];
        out += digits[(v >> 12) & 63];
        if (i + 1 < s.size()) out += digits[(v >> 6) & 63];
        else if (!url) out += '=';
        if (i + 2 < s.size()) out += digits[v & 63];
        else if (!url) out += '=';
    }
    return out;
}

bool Base64Decode(std::string_view text, std::string& out) {
    // Padding, where there is any, fills the last group of four.
    size_t end = text.size();
    if (end > 0 && text[end - 1] == '=') {
        if (end % 4 != 0) return false;
        end -= text[end - 2] == '=' ? 2 : 1;
    }
    if (end % 4 == 1) return false;
    // The alphabet is the one its first special character belongs to.
    bool url = text.substr(0, end).find_first_of("-_") != std::string_view::npos;
    std::string bytes;
    bytes.reserve(end / 4 * 3 + 2);
    uint32_t acc = 0;
    int bits = 0;
    for (size_t i = 0; i < end; ++i) {
        int v = Value(text[i], url);
        if (v < 0) return false;
        acc = (acc << 6) | uint32_t(v);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            bytes += char((acc >> bits) & 0xFF);
        }
    }
    if (bits > 0 && (acc & ((1u << bits) - 1)) != 0) return false;
    out = std::move(bytes);
    return true;
}
