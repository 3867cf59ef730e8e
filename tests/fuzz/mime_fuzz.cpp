// Header decoding of a sender or subject as a server sends it.
#include <cstdint>
#include <string>

#include "mail/MimeDecode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    std::string decoded = MimeDecode(text);
    // Decoding never makes a text longer than it was.
    if (decoded.size() > text.size()) __builtin_trap();
    return 0;
}
