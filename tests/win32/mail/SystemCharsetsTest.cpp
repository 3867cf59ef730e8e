// The system's character-set conversion of decoded headers.
#include <gtest/gtest.h>

#include <string>

#include "mail/win32/SystemCharsets.h"

// A header that claims US-ASCII yet carries 8-bit bytes (found by the w32_charset fuzzer):
// the system's ASCII page turned 0x80 into a NUL, which cut the shown subject short.
TEST(SystemCharsets, EightBitBytesInUsAsciiStayVisible) {
    std::string out;
    ASSERT_TRUE(win32::SystemCharsetConverter()("US-ASCII", "a\x80z \xE9t\xE9", out));
    EXPECT_EQ(std::string::npos, out.find('\0'));
    EXPECT_EQ("a\xC2\x80z \xC3\xA9t\xC3\xA9", out);
}
