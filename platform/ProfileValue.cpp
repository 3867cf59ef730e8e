// Profile values laid down so that they read back unchanged; see ProfileValue.h.
#include "platform/ProfileValue.h"

namespace profile_value {
namespace {

// Characters that a read may take away at either end of a value.
bool Fragile(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    return u <= 0x20 || u >= 0x7F || c == '"' || c == '\'';
}

bool NeedsQuotes(const std::string& v) { return !v.empty() && (Fragile(v.front()) || Fragile(v.back())); }

}  // namespace

size_t Limit(const std::string& value) {
    // The read copies the closing quote into its buffer before dropping it, so a quoted value
    // has one character less room.
    return NeedsQuotes(value) ? kReadLimit - 1 : kReadLimit;
}

TFit Check(const std::string& value) {
    if (value.find_first_of("\r\n") != std::string::npos) return TFit::LineBreak;
    if (value.size() > Limit(value)) return TFit::TooLong;
    return TFit::Fits;
}

std::string Stored(const std::string& value) { return NeedsQuotes(value) ? "\"" + value + "\"" : value; }

}  // namespace profile_value
