// The parts of logging in that need no server: the APOP digest (with the example of the
// protocol's own definition) and what the user is told when a mailbox fails.
#include <gtest/gtest.h>

#include "core/Md5.h"
#include "mail/tcpip.h"

namespace {

TEST(Apop, DigestOfTheGreetingsTimestampAndMd5Vectors) {
    const std::string stamp = ApopTimestamp("+OK POP3 server ready <1896.697170952@dbc.mtview.ca.us>");
    EXPECT_EQ(stamp, "<1896.697170952@dbc.mtview.ca.us>");
    EXPECT_EQ(ApopDigest(stamp, "tanstaaf"), "c4c9334bac560ecc979e58001b3e22fb");
    for (const char* plain : {"+OK ready", "+OK <no-at-sign>", "+OK <a b@c>", "+OK <unclosed@x"})
        EXPECT_EQ(ApopTimestamp(plain), "") << plain;
    EXPECT_EQ(Md5Hex(""), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(Md5Hex("12345678901234567890123456789012345678901234567890123456789012345678901234567890"),
              "57edf4a22be3c955ac49da2e2107b67a");  // more than one block
}

TEST(Pop3FailureReason, TheServersWordsWithoutThePassword) {
    T_Pop3 pop;
    pop.SetPassword("s3cret");
    struct Case {
        std::string message, reason;
    } cases[] = {
        {"-ERR [AUTH] Authentication failed.", "[AUTH] Authentication failed."},
        {"-ERR", "-ERR"},
        {"-ERR bad password s3cret\tfor ann", "bad password ***** for ann"},
        {"-ERR " + std::string(300, 'x'), std::string(160, 'x') + "..."},
    };
    for (auto& c : cases) EXPECT_EQ(pop.FailureReason(EProtocolError("POP3", c.message, 500)), c.reason);
    EXPECT_EQ(pop.FailureReason(ETcpIpError("Couldn't resolve hostname x")), "Couldn't resolve hostname x");
}

}  // namespace
