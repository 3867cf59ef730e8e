// UTF-8 <-> UTF-16 by the rules of the Unicode standard (maximal subparts for errors).
#include "core/Utf16.h"

#include <cstdint>

namespace {
constexpr char32_t kReplacement = 0xFFFD;

void PutUnit(std::wstring& out, char32_t c) {
    if (c >= 0x10000) {
        c -= 0x10000;
        out += static_cast<wchar_t>(0xD800 + (c >> 10));
        out += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
    } else {
        out += static_cast<wchar_t>(c);
    }
}

void PutUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}
}  // namespace

std::wstring Utf8ToWide(std::string_view s) {
    std::wstring out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        const uint8_t b = static_cast<uint8_t>(s[i]);
        if (b < 0x80) {
            out += static_cast<wchar_t>(b);
            ++i;
            continue;
        }
        // The lead byte gives the length and the range its first continuation byte may
        // take; the narrower ranges shut out overlong forms, surrogates and values past
        // U+10FFFF.
        int need = 0;
        uint8_t lo = 0x80, hi = 0xBF;
        char32_t c = 0;
        if (b >= 0xC2 && b <= 0xDF) {
            need = 1, c = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            need = 2, c = b & 0x0F;
            if (b == 0xE0) lo = 0xA0;
            if (b == 0xED) hi = 0x9F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            need = 3, c = b & 0x07;
            if (b == 0xF0) lo = 0x90;
            if (b == 0xF4) hi = 0x8F;
        } else {
            PutUnit(out, kReplacement);
            ++i;
            continue;
        }
        size_t j = i + 1;
        bool ok = true;
        for (int k = 0; k < need; ++k, ++j) {
            const uint8_t t = j < s.size() ? static_cast<uint8_t>(s[j]) : 0;
            if (j >= s.size() || t < lo || t > hi) {
                ok = false;
                break;
            }
            c = (c << 6) | (t & 0x3F);
            lo = 0x80, hi = 0xBF;
        }
        PutUnit(out, ok ? c : kReplacement);
        i = j;  // a broken sequence resumes at the byte that broke it
    }
    return out;
}

// Decoding replaces each malformed part, so only well-formed text comes back as it went.
bool IsUtf8(std::string_view bytes) { return WideToUtf8(Utf8ToWide(bytes)) == bytes; }

std::string WideToUtf8(std::wstring_view w) {
    std::string out;
    out.reserve(w.size());
    for (size_t i = 0; i < w.size(); ++i) {
        char32_t c = static_cast<char32_t>(w[i]) & 0xFFFF;
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < w.size()) {
            const char32_t d = static_cast<char32_t>(w[i + 1]) & 0xFFFF;
            if (d >= 0xDC00 && d <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (d - 0xDC00);
                ++i;
            }
        }
        if (c >= 0xD800 && c <= 0xDFFF) c = kReplacement;
        PutUtf8(out, c);
    }
    return out;
}
