// The mail client against slow and mistaken peers: the time a TLS handshake may take as a
// whole, the window served while the client waits, and the checks on a TLS peer's first
// bytes and on the name the hello carries.
#include <gtest/gtest.h>

#include <chrono>

#include "platform/TlsRecord.h"
#include "mail/tcpip.h"
#include "tests/unit/mail/Pop3Fixture.h"

namespace mail_test {
namespace {

TEST_F(Pop3Fixture, TheHandshakeAsAWholeGetsOneExchangeInsideTheMailboxTime) {
    StandInTls tls;
    pop.SetSockets(&tls);
    pop.SetExchangeTimeout(30000);
    {
        // From the first byte: the mailbox's time already runs (here shorter than an exchange).
        pop.SetMailboxTimeout(20000, 0);
        ScriptedServer server({Say("+OK ready"), Hear(), Say("+OK"), Hear(), Say("+OK"), Hear(), Say("+OK 0\r\n."), Hear(),
                               Say("+OK")});
        pop.SetHostname("pops://127.0.0.1:" + std::to_string(server.Port()));
        pop.Login();
        EXPECT_GT(tls.handshakeMs, 19000);
        EXPECT_LE(tls.handshakeMs, 20000);
        pop.Logout();
    }
    {
        pop.SetMailboxTimeout(120000, 0);
        ScriptedServer server({Say("+OK ready"), Hear(), Say("+OK go"), Hear(), Say("+OK"), Hear(), Say("+OK"), Hear(),
                               Say("+OK 0\r\n."), Hear(), Say("+OK")});
        pop.SetHostname("pop3+starttls://127.0.0.1:" + std::to_string(server.Port()));
        pop.Login();
        EXPECT_GT(tls.handshakeMs, 29000);  // one exchange, not the 60 s of each read
        EXPECT_LE(tls.handshakeMs, 30000);
        pop.Logout();
    }
}

TEST(TlsRecordTest, PlainGreetingsAreNoTlsAndLiteralsAreNotNamedInTheHello) {
    EXPECT_TRUE(CouldStartTlsRecord("\x16\x03\x03", 3));
    EXPECT_TRUE(CouldStartTlsRecord("\x15\x03", 2));  // an alert: the provider explains it
    EXPECT_TRUE(CouldStartTlsRecord("\x16", 1));
    EXPECT_FALSE(CouldStartTlsRecord("+OK ready", 9));
    EXPECT_FALSE(CouldStartTlsRecord("+", 1));
    EXPECT_FALSE(CouldStartTlsRecord("\x16\x01", 2));
    EXPECT_EQ(ServerNameIndication("mail.example.org"), "mail.example.org");
    EXPECT_EQ(ServerNameIndication("127.0.0.1"), "");
    EXPECT_EQ(ServerNameIndication("10.1"), "");
    EXPECT_EQ(ServerNameIndication("::1"), "");
    EXPECT_EQ(ServerNameIndication("[fe80::1]"), "");
    EXPECT_EQ(ServerNameIndication("1mail.example"), "1mail.example");
}

using Pop3PacingTest = Pop3Fixture;

TEST_F(Pop3PacingTest, TheWindowIsServedWhileTheServerIsSlowOrTheListingLong) {
    // A listing that stops for 700 ms in the middle: the waiting is served in slices.
    std::vector<std::string> listing;
    for (int i = 1; i <= 3000; ++i) listing.push_back(std::to_string(i) + " 100");
    std::string first, second;
    for (int i = 0; i < 1500; ++i) first += listing[i] + (i + 1 < 1500 ? "\r\n" : "");
    for (int i = 1500; i < 3000; ++i) second += listing[i] + "\r\n";
    ScriptedServer server({Say("+OK ready"), Hear(), Say("+OK"), Hear(), Say("+OK"), Hear(), Say("+OK\r\n" + first),
                           Silence(700), SayRaw(second + ".\r\n"), Hear(), Say("+OK")});
    pop.SetTimeout(3000);
    Use(server);
    std::vector<std::chrono::steady_clock::time_point> calls;
    pop.OnWait = [&](TObject*) { calls.push_back(std::chrono::steady_clock::now()); };
    auto start = std::chrono::steady_clock::now();
    pop.Login();
    auto end = std::chrono::steady_clock::now();
    EXPECT_EQ(pop.NumberOfMails(), 3000);
    pop.Logout();
    ASSERT_GE(calls.size(), 5u);
    // No stretch without a call much longer than a slice (loose: a shared machine).
    calls.insert(calls.begin(), start);
    calls.push_back(end);
    for (size_t i = 1; i < calls.size(); ++i)
        EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(calls[i] - calls[i - 1]).count(), 400);
}

}  // namespace
}  // namespace mail_test
