// Header decoding of a sender or subject as a server sends it.
#include <cstdint>
#include <string>

#include "core/Utf16.h"
#include "mail/MimeDecode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    std::string decoded = MimeDecode(text);
    // The text comes back as UTF-8, and no byte in gives more than one character out
    // (at most three bytes: U+FFFD for a byte nothing knows, a Latin-1 letter, a word's).
    if (!IsUtf8(decoded) || decoded.size() > 3 * text.size()) __builtin_trap();
    return 0;
}
