// Network texts; see NetText.h.
#include "core/NetText.h"

#include <cstring>

bool LeadingDecimal(std::string_view text, uint32_t max, uint32_t& value, size_t& digits) {
    uint64_t v = 0;
    size_t n = 0;
    for (; n < text.size() && text[n] >= '0' && text[n] <= '9'; ++n) {
        v = v * 10 + static_cast<uint64_t>(text[n] - '0');
        if (v > max) return false;
    }
    value = static_cast<uint32_t>(v);
    digits = n;
    return true;
}

bool ParseDecimal(std::string_view text, uint32_t max, uint32_t& value) {
    uint32_t v = 0;
    size_t n = 0;
    if (!LeadingDecimal(text, max, v, n) || n == 0 || n != text.size()) return false;
    value = v;
    return true;
}

bool ParseIPv4(std::string_view text, uint32_t& netAddr, size_t maxPartDigits) {
    uint8_t bytes[4] = {};
    size_t pos = 0;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (pos >= text.size() || text[pos] != '.') return false;
            ++pos;
        }
        std::string_view rest = text.substr(pos);
        if (maxPartDigits != 0) rest = rest.substr(0, maxPartDigits);
        uint32_t v = 0;
        size_t digits = 0;
        if (!LeadingDecimal(rest, 255, v, digits) || digits == 0) return false;
        bytes[part] = static_cast<uint8_t>(v);
        pos += digits;
    }
    if (pos != text.size()) return false;
    std::memcpy(&netAddr, bytes, 4);
    return true;
}

std::string IPv4Text(uint32_t netAddr) {
    uint8_t b[4];
    std::memcpy(b, &netAddr, 4);
    return std::to_string(b[0]) + "." + std::to_string(b[1]) + "." + std::to_string(b[2]) + "." + std::to_string(b[3]);
}
