// The mail client's TLS and UIDL extensions against scripted servers: which server texts
// ask for TLS, that nothing of the account goes out before the certificate is accepted,
// and how unique ids are read. The TLS layer itself is the system's; here a stand-in turns
// the plain connection "into TLS" and reports a chosen certificate.
#include <gtest/gtest.h>

#include "core/Sha256.h"
#include "mail/ServerText.h"
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
                                                        const std::string& host, int, platform::TTlsPeer& peer) override {
        ++handshakes;
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
