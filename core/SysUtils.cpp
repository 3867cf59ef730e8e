// Text helpers; see SysUtils.h.
#include "core/SysUtils.h"

#include <cctype>
#include <cstdint>

std::string TrimLeft(const std::string& s) {
    size_t i = 0;
    while (i < s.size() && static_cast<unsigned char>(s[i]) <= ' ') ++i;
    return s.substr(i);
}

std::string TrimRight(const std::string& s) {
    size_t n = s.size();
    while (n > 0 && static_cast<unsigned char>(s[n - 1]) <= ' ') --n;
    return s.substr(0, n);
}

std::string Trim(const std::string& s) { return TrimRight(TrimLeft(s)); }

std::string IntToStr(long long v) { return std::to_string(v); }

std::string UpperCase(const std::string& s) {
    std::string r = s;
    for (auto& c : r) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return r;
}

std::string LowerCase(const std::string& s) {
    std::string r = s;
    for (auto& c : r) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return r;
}

bool SameText(const std::string& a, const std::string& b) { return LowerCase(a) == LowerCase(b); }

bool TryStrToInt(const std::string& text, int32_t& value) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool neg = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        neg = text[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (text.size() - i > 2 && text[i] == '0' &&
               (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= text.size()) return false;
    uint64_t acc = 0;
    for (; i < text.size(); ++i) {
        int d;
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= '0' && c <= '9') d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return false;
        acc = acc * base + d;
        // Hex may spell the full 32-bit pattern (e.g. $FFFFFFFF is -1); decimal must fit.
        if (base == 16 ? acc > 0xFFFFFFFFull : acc > (neg ? 2147483648ull : 2147483647ull)) return false;
    }
    int64_t v = base == 16 ? static_cast<int64_t>(static_cast<int32_t>(static_cast<uint32_t>(acc)))
                           : static_cast<int64_t>(acc);
    value = static_cast<int32_t>(neg ? -v : v);
    return true;
}

int32_t StrToInt(const std::string& s) {
    int32_t v = 0;
    if (!TryStrToInt(s, v)) throw EConvertError(Format("'%s' is not a valid integer value", s));
    return v;
}

int32_t StrToIntDef(const std::string& s, int32_t def) {
    int32_t v = 0;
    return TryStrToInt(s, v) ? v : def;
}

std::string Format(const std::string& pattern, const std::string& a) {
    std::string out;
    bool used = false;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (!used && pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] == 's') {
            out += a;
            used = true;
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

std::string Pad2(int v) { return (v >= 0 && v < 10 ? "0" : "") + std::to_string(v); }
