// The mail client's TLS and UIDL extensions against scripted servers: which server texts
// ask for TLS, that nothing of the account goes out before the certificate is accepted,
// and how unique ids are read. The TLS layer itself is the system's; here a stand-in turns
// the plain connection "into TLS" and reports a chosen certificate.
#include <gtest/gtest.h>

#include <chrono>

#include "core/Sha256.h"
#include "mail/ServerText.h"
#include "mail/TlsRecord.h"
#include "mail/tcpip.h"
#include "tests/unit/mail/ScriptedServer.h"

namespace mail_test {
namespace {

using Lines = std::vector<std::string>;

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
        {"imap://mail.example.org", false, "", 0, msPlain},
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

// The system's sockets, with a TLS stand-in that keeps the connection as it is and reports
// the certificate the test chose.
class StandInTls : public platform::IBlockingSockets {
public:
    int Startup() override { return 0; }
    void Cleanup() override {}
    bool ResolveHost(const std::string& n, uint32_t& a) override { return platform::SystemBlockingSockets().ResolveHost(n, a); }
    std::unique_ptr<platform::IBlockingSocket> Connect(uint32_t a, uint16_t p, int t, int& e) override {
        return platform::SystemBlockingSockets().Connect(a, p, t, e);
    }
    std::unique_ptr<platform::IBlockingSocket> StartTls(std::unique_ptr<platform::IBlockingSocket> plain,
                                                        const std::string& host, int ms, platform::TTlsPeer& peer) override {
        ++handshakes;
        handshakeMs = ms;
        peer = certificate;
        peer.Host = host;
        if (fail) {
            peer.Problem = "handshake failed";
            return nullptr;
        }
        return plain;
    }
    platform::TTlsPeer certificate{"", true, "", "AA:BB"};
    bool fail = false;
    int handshakes = 0;
    int handshakeMs = -1;
};

class Pop3TlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        pop.SetSockets(&tls);
        pop.SetTimeout(2000);
        pop.SetUserName("ann");
        pop.SetPassword("secret");
    }
    void Use(const ScriptedServer& s, const std::string& form) {
        pop.SetHostname(form + "127.0.0.1:" + std::to_string(s.Port()));
    }
    StandInTls tls;
    T_Pop3 pop;
};

TEST_F(Pop3TlsTest, StlsComesBeforeTheAccountAndARefusedCertificateEndsTheExchange) {
    {
        ScriptedServer server({Say("+OK ready"), Hear(), Say("+OK begin TLS"), Hear(), Say("+OK"), Hear(),
                               Say("+OK"), Hear(), Say("+OK 0\r\n."), Hear(), Say("+OK")});
        Use(server, "pop3+starttls://");
        std::vector<std::string> asked;
        pop.OnCertificate = [&](TObject*, const platform::TTlsPeer& peer) {
            asked.push_back(peer.Host + " " + peer.Fingerprint);
            return true;
        };
        pop.Login();
        pop.Logout();
        EXPECT_EQ(asked, (Lines{"127.0.0.1 AA:BB"}));
        EXPECT_EQ(server.Heard(), (Lines{"STLS", "USER ann", "PASS secret", "LIST", "QUIT"}));
    }
    {
        // Not trusted by the system and no one to ask: refused, nothing of the account sent.
        tls.certificate.Trusted = false;
        pop.OnCertificate = nullptr;
        ScriptedServer server({Say("+OK ready"), Hear(), Say("+OK begin TLS"), Hear(), Say("+OK")});
        Use(server, "pop3+starttls://");
        EXPECT_THROW(pop.Login(), ECertificateError);
        EXPECT_NO_THROW(pop.Logout());  // the connection is gone: no QUIT
        EXPECT_EQ(server.Heard(), (Lines{"STLS"}));
    }
    {
        // A server without STLS: no fallback to sending the password in clear.
        ScriptedServer server({Say("+OK ready"), Hear(), Say("-ERR what?"), Hear(), Say("+OK")});
        Use(server, "pop3+starttls://");
        EXPECT_THROW(pop.Login(), EProtocolError);
        pop.Logout();
        EXPECT_EQ(server.Heard(), (Lines{"STLS", "QUIT"}));
    }
}

TEST_F(Pop3TlsTest, BytesBeforeTheHandshakeOrAFailedHandshakeSendNothingMore) {
    {
        // An answer to STLS with a forged line behind it, inside the same read.
        ScriptedServer server({Say("+OK ready"), Hear(), Say("+OK begin TLS\r\n+OK forged"), Hear()});
        Use(server, "pop3+starttls://");
        EXPECT_THROW(pop.Login(), ETcpIpError);
        EXPECT_EQ(server.Heard(), (Lines{"STLS"}));
        EXPECT_EQ(tls.handshakes, 0);
    }
    {
        tls.fail = true;
        ScriptedServer server({Hear()});
        Use(server, "pops://");
        EXPECT_THROW(pop.Login(), ETcpIpError);
        EXPECT_TRUE(server.Heard().empty());
        EXPECT_EQ(tls.handshakes, 1);
    }
}

TEST_F(Pop3TlsTest, ImplicitTlsBeforeTheGreetingAndUniqueIdsWhereOffered) {
    ScriptedServer server({Say("+OK ready"), Hear(), Say("+OK"), Hear(), Say("+OK"), Hear(),
                           Say("+OK 2\r\n1 10\r\n2 20\r\n."), Hear(), Say("+OK\r\n1 aaa\r\n2 bbb\r\n."), Hear(),
                           Say("-ERR no such command"), Hear(), Say("+OK\r\n1 x y\r\n.")});
    Use(server, "pops://");
    pop.Login();
    EXPECT_EQ(tls.handshakes, 1);
    ASSERT_TRUE(pop.GetUniqueIds());
    EXPECT_EQ(pop.MessageList()[0]->UniqueId, "aaa");
    EXPECT_EQ(pop.MessageList()[1]->UniqueId, "bbb");
    EXPECT_FALSE(pop.GetUniqueIds());  // refused: no ids, the connection goes on
    EXPECT_EQ(pop.MessageList()[0]->UniqueId, "");
    EXPECT_TRUE(pop.Connected());
    EXPECT_TRUE(pop.GetUniqueIds());  // the id is the word after the number
    EXPECT_EQ(pop.MessageList()[0]->UniqueId, "x");
    EXPECT_EQ(server.Heard(), (Lines{"USER ann", "PASS secret", "LIST", "UIDL", "UIDL", "UIDL"}));
}

}  // namespace
}  // namespace mail_test

namespace mail_test {
namespace {

TEST_F(Pop3TlsTest, TheHandshakeAsAWholeGetsOneExchangeInsideTheMailboxTime) {
    pop.SetExchangeTimeout(30000);
    {
        // From the first byte: the mailbox's time already runs (here shorter than an exchange).
        pop.SetMailboxTimeout(20000, 0);
        ScriptedServer server({Say("+OK ready"), Hear(), Say("+OK"), Hear(), Say("+OK"), Hear(), Say("+OK 0\r\n."), Hear(),
                               Say("+OK")});
        Use(server, "pops://");
        pop.Login();
        EXPECT_GT(tls.handshakeMs, 19000);
        EXPECT_LE(tls.handshakeMs, 20000);
        pop.Logout();
    }
    {
        pop.SetMailboxTimeout(120000, 0);
        ScriptedServer server({Say("+OK ready"), Hear(), Say("+OK go"), Hear(), Say("+OK"), Hear(), Say("+OK"), Hear(),
                               Say("+OK 0\r\n."), Hear(), Say("+OK")});
        Use(server, "pop3+starttls://");
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

TEST(Pop3PacingTest, TheWindowIsServedWhileTheServerIsSlowOrTheListingLong) {
    // A listing that stops for 700 ms in the middle: the waiting is served in slices.
    std::vector<std::string> listing;
    for (int i = 1; i <= 3000; ++i) listing.push_back(std::to_string(i) + " 100");
    std::string first, second;
    for (int i = 0; i < 1500; ++i) first += listing[i] + (i + 1 < 1500 ? "\r\n" : "");
    for (int i = 1500; i < 3000; ++i) second += listing[i] + "\r\n";
    ScriptedServer server({Say("+OK ready"), Hear(), Say("+OK"), Hear(), Say("+OK"), Hear(), Say("+OK\r\n" + first),
                           Silence(700), SayRaw(second + ".\r\n"), Hear(), Say("+OK")});
    T_Pop3 pop;
    pop.SetTimeout(3000);
    pop.SetUserName("ann");
    pop.SetPassword("secret");
    pop.SetHostname("127.0.0.1:" + std::to_string(server.Port()));
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
