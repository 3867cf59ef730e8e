// The one conversion between the program's UTF-8 and the system's UTF-16: every script,
// characters beyond the BMP, and each kind of broken input.
#include <gtest/gtest.h>

#include "core/Utf16.h"

namespace {

TEST(Utf16Test, ConversionTable) {
    const std::wstring R(1, 0xFFFD);
    struct Case {
        std::string utf8;
        std::wstring wide;
        bool roundTrip;  // the UTF-8 comes back byte for byte
    } cases[] = {
        {"", L"", true},
        {"plain", L"plain", true},
        {"\xC3\xA9", {0xE9}, true},                             // é
        {"\xCE\xA9mega \xC5\x81\xC3\xB3\x64\xC5\xBA", {0x3A9, 'm', 'e', 'g', 'a', ' ', 0x141, 0xF3, 'd', 0x17A}, true},
        {"\xE6\x97\xA5\xE6\x9C\xAC", {0x65E5, 0x672C}, true},  // 日本
        {"\xE2\x82\xAC", {0x20AC}, true},                       // €
        {"\xF0\x9F\x98\x80", {0xD83D, 0xDE00}, true},           // an emoji: a surrogate pair
        {"\xF4\x8F\xBF\xBF", {0xDBFF, 0xDFFF}, true},           // U+10FFFF, the last
        {"\xEF\xBF\xBF", {0xFFFF}, true},
        {"a\x80z", L"a" + R + L"z", false},                     // stray continuation byte
        {"\xC3", R, false},                                     // cut at the end
        {"\xE6\x97", R, false},                                 // cut: one U+FFFD for the part
        {"\xF0\x9F\x98", R, false},
        {"\xE6\x97z", R + L"z", false},                         // cut inside the text
        {"\xC0\xAF", R + R, false},                             // overlong "/"
        {"\xE0\x80\xAF", R + R + R, false},                     // overlong, three bytes
        {"\xED\xA0\x80", R + R + R, false},                     // an encoded surrogate
        {"\xF4\x90\x80\x80", R + R + R + R, false},             // above U+10FFFF
        {"\xF5\xFF", R + R, false},                             // never a lead byte
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Utf8ToWide(c.utf8), c.wide) << c.utf8;
        if (c.roundTrip) {
            EXPECT_EQ(WideToUtf8(c.wide), c.utf8) << c.utf8;
        }
    }
    // A surrogate without its partner, alone, at the end or before another character.
    EXPECT_EQ(WideToUtf8(std::wstring{0xD83D}), "\xEF\xBF\xBD");
    EXPECT_EQ(WideToUtf8(std::wstring{'a', 0xDE00, 'b'}), "a\xEF\xBF\xBD" "b");
    EXPECT_EQ(WideToUtf8(std::wstring{0xD83D, 'x'}), "\xEF\xBF\xBDx");
}

}  // namespace
