// The new-mail sound: a short two-note chime, synthesised and written as a PCM wave file.
#pragma once

#include <cstdint>
#include <vector>

namespace resgen {

constexpr int kChimeRate = 22050;  // samples per second, 16-bit mono

// The chime's samples: two bell-like notes, a falling major third, fading out.
std::vector<int16_t> chime();

// RIFF WAVE with one "fmt " chunk (PCM, mono, 16-bit) and one "data" chunk.
std::vector<uint8_t> encodeWav(const std::vector<int16_t>& samples, int rate);

}  // namespace resgen
