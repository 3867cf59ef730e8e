// Checking a wave file's header before it is played.
#include "platform/WaveFile.h"

#include <cstdint>

namespace {
uint32_t Le32(const std::string& b, size_t at) {
    return static_cast<uint32_t>(static_cast<unsigned char>(b[at])) |
           static_cast<uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
           static_cast<uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
           static_cast<uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}
uint16_t Le16(const std::string& b, size_t at) {
    return static_cast<uint16_t>(static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8);
}
}  // namespace

bool IsPlayableWave(const std::string& b) {
    if (b.size() < 12 || b.compare(0, 4, "RIFF") != 0 || b.compare(8, 4, "WAVE") != 0) return false;
    uint16_t blockAlign = 0;
    size_t at = 12;
    while (at + 8 <= b.size()) {
        uint32_t size = Le32(b, at + 4);
        if (b.compare(at, 4, "fmt ") == 0) {
            if (size < 16 || at + 8 + 16 > b.size()) return false;
            uint16_t tag = Le16(b, at + 8), channels = Le16(b, at + 10);
            uint32_t rate = Le32(b, at + 12);
            blockAlign = Le16(b, at + 20);
            uint16_t bits = Le16(b, at + 22);
            if (tag == 0 || channels == 0 || channels > 8 || rate == 0 || blockAlign == 0 || bits == 0) return false;
        } else if (b.compare(at, 4, "data") == 0) {
            // The format must come first; an empty data chunk has nothing to play.
            return blockAlign != 0 && size >= blockAlign;
        }
        // Chunks are padded to an even length.
        uint64_t next = static_cast<uint64_t>(at) + 8 + size + (size & 1);
        if (next > b.size()) return false;  // cut short before the data
        at = static_cast<size_t>(next);
    }
    return false;
}
