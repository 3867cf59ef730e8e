// The new-mail chime and its wave-file writer.
#include "tools/resgen/sound.h"

#include <algorithm>
#include <cmath>

namespace resgen {

namespace {

constexpr double kTau = 6.28318530717958647692;

// One struck note: a sine with a few softer partials of a small bell, a 6 ms attack so it
// starts without a click, and an exponential decay.
void addNote(std::vector<double>& out, double start, double freq, double decay) {
  struct Partial { double ratio, level; };
  static const Partial partials[] = {{1.0, 1.0}, {2.0, 0.35}, {2.76, 0.18}, {5.4, 0.06}};
  size_t first = size_t(start * kChimeRate);
  for (size_t i = first; i < out.size(); ++i) {
    double t = double(i - first) / kChimeRate;
    double env = std::min(1.0, t / 0.006) * std::exp(-t / decay);
    double v = 0;
    for (const Partial& p : partials)
      v += p.level * std::exp(-t * p.ratio / 2.0) * std::sin(kTau * freq * p.ratio * t);
    out[i] += env * v;
  }
}

}  // namespace

std::vector<int16_t> chime() {
  std::vector<double> mix(size_t(kChimeRate * 1.3), 0.0);
  addNote(mix, 0.0, 1318.51, 0.25);   // E6
  addNote(mix, 0.18, 1046.50, 0.35);  // C6
  double peak = 0;
  for (double v : mix) peak = std::max(peak, std::fabs(v));
  // The last 50 ms fade to silence so the sound ends exactly at zero.
  size_t fade = size_t(kChimeRate * 0.05);
  std::vector<int16_t> out(mix.size());
  for (size_t i = 0; i < mix.size(); ++i) {
    double g = 0.6 * 32767 / peak;
    size_t left = mix.size() - 1 - i;
    if (left < fade) g *= double(left) / fade;
    out[i] = int16_t(std::lround(mix[i] * g));
  }
  return out;
}

std::vector<uint8_t> encodeWav(const std::vector<int16_t>& samples, int rate) {
  std::vector<uint8_t> b;
  auto u16 = [&](uint32_t v) { b.push_back(uint8_t(v)); b.push_back(uint8_t(v >> 8)); };
  auto u32 = [&](uint32_t v) { u16(v & 0xFFFF); u16(v >> 16); };
  auto tag = [&](const char* s) { for (int i = 0; i < 4; ++i) b.push_back(uint8_t(s[i])); };
  uint32_t dataBytes = uint32_t(samples.size() * 2);
  tag("RIFF");
  u32(4 + 8 + 16 + 8 + dataBytes);
  tag("WAVE");
  tag("fmt ");
  u32(16);
  u16(1);  // PCM
  u16(1);  // mono
  u32(uint32_t(rate));
  u32(uint32_t(rate) * 2);  // bytes per second
  u16(2);                   // block align
  u16(16);                  // bits per sample
  tag("data");
  u32(dataBytes);
  for (int16_t s : samples) u16(uint16_t(s));
  return b;
}

}  // namespace resgen
