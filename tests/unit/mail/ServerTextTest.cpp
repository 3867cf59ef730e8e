// Which server texts ask for TLS, and the fingerprint the certificate questions show. The
// dialogues over TLS are in dialogues/tls.txt.
#include <gtest/gtest.h>

#include "core/Sha256.h"
#include "mail/ServerText.h"

namespace mail_test {
namespace {

TEST(ServerTextTest, PlainHostsStayAsTheyWereAndTheTlsFormsAreRead) {
    struct Case {
        const char* text;
        bool ok;
        const char* host;
        uint16_t port;
        TMailSecurity security;
    } cases[] = {
        {" mail.example.org ", true, "mail.example.org", 110, msPlain},
        {"10.0.0.1:2110", true, "10.0.0.1", 2110, msPlain},
        {"mail.example.org:995", true, "mail.example.org", 995, msImplicitTls},
        {"pops://mail.example.org", true, "mail.example.org", 995, msImplicitTls},
        {"POP3S://mail.example.org:1995/", true, "mail.example.org", 1995, msImplicitTls},
        {"pop3+starttls://mail.example.org", true, "mail.example.org", 110, msStartTls},
        {"pop3://mail.example.org:995", true, "mail.example.org", 995, msPlain},  // a scheme says it all
        {"imap://mail.example.org", true, "mail.example.org", 143, msPlain},
        {"IMAPS://mail.example.org", true, "mail.example.org", 993, msImplicitTls},
        {"imap+starttls://mail.example.org:1143", true, "mail.example.org", 1143, msStartTls},
        {"mail.example.org:993", true, "mail.example.org", 993, msPlain},  // no scheme: POP3
        {"imap4://mail.example.org", false, "", 0, msPlain},
        {"mail.example.org:0", false, "", 0, msPlain},
        {"mail.example.org:65536", false, "", 0, msPlain},
        {"pops://", false, "", 0, msPlain},
        {"", false, "", 0, msPlain},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        TMailServer s;
        ASSERT_EQ(ParseServerText(c.text, 110, s), c.ok);
        if (!c.ok) continue;
        EXPECT_EQ(s.Host, c.host);
        EXPECT_EQ(s.Port, c.port);
        EXPECT_EQ(s.Security, c.security);
        EXPECT_EQ(s.Form->Protocol == std::string("IMAP"), std::string(c.text).find("imap") != std::string::npos ||
                                            std::string(c.text).find("IMAP") != std::string::npos);
    }
}

TEST(Sha256Test, KnownDigestsAcrossBlockBoundaries) {
    EXPECT_EQ(Sha256Fingerprint("", 0).substr(0, 11), "E3:B0:C4:42");
    EXPECT_EQ(Sha256Fingerprint("abc", 3),
              "BA:78:16:BF:8F:01:CF:EA:41:41:40:DE:5D:AE:22:23:B0:03:61:A3:96:17:7A:9C:B4:10:FF:61:F2:00:15:AD");
    // 56 bytes: the length no longer fits the first block.
    std::string two = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
    EXPECT_EQ(Sha256Fingerprint(two.data(), two.size()).substr(0, 11), "24:8D:6A:61");
    std::string million(1000000, 'a');
    EXPECT_EQ(Sha256Fingerprint(million.data(), million.size()).substr(0, 11), "CD:C7:6E:5C");
}

}  // namespace
}  // namespace mail_test
