// The new-mail announcement plays only files the player can start; everything else shows
// the new-mail icon instead.
#include <gtest/gtest.h>

#include <cstdint>

#include "platform/WaveFile.h"

namespace {
std::string Le(uint32_t v, int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
    return s;
}
std::string Chunk(const std::string& id, const std::string& body) {
    return id + Le(static_cast<uint32_t>(body.size()), 4) + body + (body.size() % 2 ? std::string(1, '\0') : "");
}
std::string Fmt(uint16_t tag = 1, uint16_t channels = 1, uint32_t rate = 8000, uint16_t bits = 8) {
    uint16_t align = static_cast<uint16_t>(channels * bits / 8);
    return Chunk("fmt ", Le(tag, 2) + Le(channels, 2) + Le(rate, 4) + Le(rate * align, 4) + Le(align, 2) + Le(bits, 2));
}
std::string Riff(const std::string& chunks) { return "RIFF" + Le(static_cast<uint32_t>(4 + chunks.size()), 4) + "WAVE" + chunks; }
}  // namespace

TEST(WaveFileTest, APcmFileWithDataPlaysEvenAfterOtherChunks) {
    EXPECT_TRUE(IsPlayableWave(Riff(Fmt() + Chunk("data", "abcd"))));
    EXPECT_TRUE(IsPlayableWave(Riff(Chunk("LIST", "odd") + Fmt(1, 2, 22050, 16) + Chunk("data", "abcd"))));
}

TEST(WaveFileTest, AnythingElseDoesNot) {
    EXPECT_FALSE(IsPlayableWave(""));
    EXPECT_FALSE(IsPlayableWave("not a wave file at all, just text"));
    EXPECT_FALSE(IsPlayableWave(Riff(Fmt())));                        // no data
    EXPECT_FALSE(IsPlayableWave(Riff(Fmt() + Chunk("data", ""))));    // empty data
    EXPECT_FALSE(IsPlayableWave(Riff(Chunk("data", "abcd") + Fmt())));  // data before its format
    EXPECT_FALSE(IsPlayableWave(Riff(Fmt(1, 0) + Chunk("data", "abcd"))));
    EXPECT_FALSE(IsPlayableWave(Riff(Fmt(1, 1, 0) + Chunk("data", "abcd"))));
    std::string cut = Riff(Chunk("LIST", std::string(100, 'x')) + Fmt() + Chunk("data", "abcd"));
    EXPECT_FALSE(IsPlayableWave(cut.substr(0, 60)));  // a chunk runs past the end
    std::string huge = "RIFF" + Le(0, 4) + "WAVE" + "LIST" + Le(0xFFFFFFF0u, 4);
    EXPECT_FALSE(IsPlayableWave(huge));
}
