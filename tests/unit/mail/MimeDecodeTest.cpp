// Header decoding and address helpers of the mail client.
#include <gtest/gtest.h>

#include "mail/MimeDecode.h"
#include "mail/ip_misc.h"
#include "platform/BlockingSocket.h"
#include "platform/Services.h"

namespace {

TEST(MimeDecode, DecodesEveryEncodedWordAndKeepsTheTextAround) {
    struct Case {
        std::string in, out;
    } cases[] = {
        {"Plain text", "Plain text"},
        {"=?ISO-8859-1?Q?Caf=E9_ouvert?=", "Caf\xC3\xA9 ouvert"},
        {"Re: =?ISO-8859-1?Q?Caf=E9?= (2)", "Re: Caf\xC3\xA9 (2)"},
        {"=?iso-8859-1?q?lower?=", "lower"},
        {"\"=?ISO-8859-1?Q?a=3db=3D?=\" <x@y>", "\"a=b=\" <x@y>"},
        {"=?ISO-8859-1?Q?x=4", "x\x04"},  // one digit at the end is enough
        {"=?ISO-8859-1?Q?x=", "x"},       // a lone "=" is dropped
        {"=?ISO-8859-1?Q?x?", "x"},       // so is a "?" at the very end
        {"=?ISO-8859-1?Q?a?b", "ab"},
        {"=?ISO-8859-1?B?SGVsbG8=?= world", "Hello world"},
        {"=?ISO-8859-1?B? SGk=?=", "Hi"},
        {"=?ISO-8859-1?B?aQ==?=", "i"},
        {"=?ISO-8859-1?B?SGVsbG8", "Hello"},  // no closing "?=": decoded to the end
        {"=?ISO-8859-1?B?SGVsbA", "Hell"},    // a short last group gives its whole bytes
        {"=?ISO-8859-1?B?SG", "H"},
        {"=?ISO-8859-1?B?S", ""},
        {"=?ISO-8859-1?B?SGVs*bG8=?=", "Hel"},  // outside the alphabet: the data ends
        {"ISO but nothing encoded", "ISO but nothing encoded"},
        {"a =? b ?= c", "a =? b ?= c"},
        // UTF-8, several words (the blanks between them dropped), bytes no set knows.
        {"=?UTF-8?B?SGVsbG8=?=", "Hello"},
        {"=?UTF-8?Q?Caf=C3=A9?= =?utf-8?b?4oKs?=\t=?UTF-8?Q?_5?= net", "Caf\xC3\xA9\xE2\x82\xAC 5 net"},
        {"=?UTF-8?B?0J/RgNC40LLQtdGC?= Ivan", "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 Ivan"},
        {"=?UTF-8?Q?bad=C3?=", "bad\xEF\xBF\xBD"},
        {"=?KOI8-R?Q?=F0=D2abc?=", "\xEF\xBF\xBD\xEF\xBF\xBD" "abc"},
        {"=?WINDOWS-1252?Q?=80=81?=", "\xE2\x82\xAC\xEF\xBF\xBD"},
    };
    for (const auto& c : cases) EXPECT_EQ(MimeDecode(c.in), c.out) << c.in;
}

TEST(MimeDecode, OtherCharacterSetsGoThroughTheSystemsConversion) {
    platform::TSwapServices services([](platform::Services& s) {
        s.charsets = [](const std::string& cs, const std::string& bytes, std::string& out) {
            if (cs != "KOI8-R") return false;
            out = "<" + bytes + ">";
            return true;
        };
    });
    EXPECT_EQ(MimeDecode("=?koi8-r?Q?ab?= =?UTF-8?Q?=C3=A9?="), "<ab>\xC3\xA9");
}

TEST(IpMisc, DottedAddresses) {
    struct Case {
        std::string text;
        bool dotted;
        std::string back;
    } cases[] = {
        {"127.0.0.1", true, "127.0.0.1"},
        {" 10.0.0.1 ", true, "10.0.0.1"},
        {"255.255.255.255", true, "255.255.255.255"},
        {"10.0.0", false, ""},
        {"10.0.0.256", false, ""},
        {"10.0.0.1.5", false, ""},
        {"1.2.3.", false, ""},
        {".1.2.3", false, ""},
        {"0001.2.3.4", false, ""},
        {"pop.example", false, ""},
        {"", false, ""},
    };
    for (const auto& c : cases) {
        uint32_t a = 0;
        EXPECT_EQ(ParseDottedAddress(c.text, a), c.dotted) << c.text;
        if (c.dotted) {
            EXPECT_EQ(AddressText(a), c.back);
        }
    }
}

class StartupRecorder : public platform::IBlockingSockets {
public:
    explicit StartupRecorder(int result) : result_(result) {}
    int Startup() override { return result_; }
    void Cleanup() override { ++cleanups; }
    bool ResolveHost(const std::string&, uint32_t&) override { return false; }
    std::unique_ptr<platform::IBlockingSocket> Connect(uint32_t, uint16_t, int, int& e) override {
        e = platform::sockErrRefused;
        return nullptr;
    }
    int cleanups = 0;

private:
    int result_;
};

TEST(IpMisc, StartIsRememberedUnlessTheLibraryRefusedIt) {
    for (int result : {0, 10022, 10091, 10092, 10067}) {
        StartupRecorder s(result);
        EXPECT_EQ(NetworkStartup(&s), result);
        bool remembered = result != 10022 && result != 10091 && result != 10092;
        EXPECT_EQ(NetworkStarted(), remembered) << result;
        NetworkCleanup();
        EXPECT_EQ(s.cleanups, remembered ? 1 : 0) << result;
        EXPECT_FALSE(NetworkStarted());
    }
}

}  // namespace

namespace {

// Raw 8-bit header text: UTF-8 when it is well-formed, otherwise the system's code page.
TEST(MimeDecode, RawHeaderBytesAreUtf8OnlyWhenWellFormed) {
    struct Case {
        std::string bytes;
        bool utf8;
    } cases[] = {
        {"plain", true},
        {"R\xC3\xA9sum\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", true},
        {"R\xE9sum\xE9", false},          // Latin-1
        {"\xC0\x80", false},              // overlong
        {"\xE0\x80\xAF", false},          // overlong
        {"\xED\xA0\x80", false},          // surrogate
        {"\xF4\x90\x80\x80", false},      // above U+10FFFF
        {"\xE2\x82", false},              // cut off
        {"\x80 stray", false},
    };
    for (auto& c : cases) EXPECT_EQ(IsUtf8(c.bytes), c.utf8) << c.bytes;
    EXPECT_EQ(MimeDecode("R\xC3\xA9sum\xC3\xA9 =?ISO-8859-1?Q?Caf=E9?="), "R\xC3\xA9sum\xC3\xA9 Caf\xC3\xA9");
    EXPECT_EQ(MimeDecode("R\xE9sum\xE9"), "R\xC3\xA9sum\xC3\xA9");
}

}  // namespace
