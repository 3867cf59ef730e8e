// The shared number and address parsers: the edge cases each of their callers relies on.
#include <gtest/gtest.h>

#include "core/NetText.h"

namespace {

TEST(NetTextTest, DottedAddresses) {
    struct Case {
        const char* text;
        size_t maxDigits;
        bool ok;
        const char* back;  // the address formatted again
    } cases[] = {
        {"10.0.0.1", 3, true, "10.0.0.1"},
        {"255.255.255.255", 3, true, "255.255.255.255"},
        {"001.02.3.000", 3, true, "1.2.3.0"},
        {"0001.2.3.4", 3, false, ""},  // a part of four digits
        {"0001.2.3.4", 0, true, "1.2.3.4"},
        {"256.1.1.1", 3, false, ""},
        {"1.1.1.256", 0, false, ""},
        {"99999999999999999999.0.0.1", 0, false, ""},  // no overflow back into range
        {"1.2.3", 3, false, ""},
        {"1.2.3.4.5", 3, false, ""},
        {"1.2.3.4x", 3, false, ""},
        {"1.2.3.", 3, false, ""},
        {"1..2.3", 0, false, ""},
        {".1.2.3", 0, false, ""},
        {" 1.2.3.4", 3, false, ""},  // blanks are the caller's to trim
        {"", 3, false, ""},
    };
    for (const Case& c : cases) {
        uint32_t a = 0x12345678;
        EXPECT_EQ(ParseIPv4(c.text, a, c.maxDigits), c.ok) << c.text;
        if (c.ok)
            EXPECT_EQ(IPv4Text(a), c.back) << c.text;
        else
            EXPECT_EQ(a, 0x12345678u) << c.text;  // left alone
    }
    uint32_t a = 0;
    ASSERT_TRUE(ParseIPv4("127.0.0.2", a));
    const auto* b = reinterpret_cast<const uint8_t*>(&a);
    EXPECT_EQ(b[0], 127);  // network order: the first number is the first byte
    EXPECT_EQ(b[3], 2);
}

TEST(NetTextTest, DecimalNumbers) {
    uint32_t v = 7;
    size_t n = 9;
    EXPECT_TRUE(LeadingDecimal("110abc", 65535, v, n));
    EXPECT_EQ(v, 110u);
    EXPECT_EQ(n, 3u);
    EXPECT_TRUE(LeadingDecimal("abc", 65535, v, n));
    EXPECT_EQ(v, 0u);
    EXPECT_EQ(n, 0u);
    EXPECT_FALSE(LeadingDecimal("65536", 65535, v, n));
    EXPECT_FALSE(LeadingDecimal("4294967302", 255, v, n));  // 2^32 + 6 must not wrap to 6
    EXPECT_TRUE(ParseDecimal("00065535", 65535, v));
    EXPECT_EQ(v, 65535u);
    for (const char* bad : {"", "12a", " 12", "+1", "-1", "65536"}) EXPECT_FALSE(ParseDecimal(bad, 65535, v)) << bad;
}

}  // namespace
