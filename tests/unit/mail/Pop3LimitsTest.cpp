// The POP3 client against hostile servers on 127.0.0.1: answers that never end in time,
// lines and listings without end. Each is given up within its bound, memory kept small.
#include <gtest/gtest.h>

#include <chrono>

#include "mail/tcpip.h"
#include "tests/unit/mail/ScriptedServer.h"

namespace mail_test {
namespace {

using Lines = std::vector<std::string>;
using Clock = std::chrono::steady_clock;

std::vector<Step> LoginScript(const std::string& listing) {
    return {Say("+OK ready"), Hear(), Say("+OK"), Hear(), Say("+OK"), Hear(), Say(listing)};
}
std::vector<Step> operator+(std::vector<Step> a, const std::vector<Step>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class Pop3LimitsTest : public ::testing::Test {
protected:
    void SetUp() override {
        pop.SetHostname("127.0.0.1");
        pop.SetTimeout(2000);
        pop.SetUserName("ann");
        pop.SetPassword("secret");
        pop.OnTrace = [this](TObject*, const std::string& s, TTraceLevel level) {
            if (level == tlReply) replies.push_back(s);
        };
    }
    void Use(const ScriptedServer& s) { pop.SetPort(s.Port()); }
    // Logs out after a failure; a connection that is over has no QUIT to say.
    void End() {
        try {
            pop.Logout();
        } catch (const ETcpIpError&) {
        }
    }

    T_Pop3 pop;
    Lines replies;
};

// Every byte arrives within the time limit for the next data, but the exchange as a whole
// does not end in time: a dribbled greeting, and a greeting that streams without end.
TEST_F(Pop3LimitsTest, DribblingAndEndlessAnswersRunOutOfTheExchangeTime) {
    pop.SetExchangeTimeout(500);
    for (int endless : {0, 1}) {
        SCOPED_TRACE(endless ? "endless line" : "dribbled");
        ScriptedServer server({endless ? Flood(size_t(-1), 5000) : Dribble("+OK " + std::string(150, 'x'), 100)});
        Use(server);
        auto start = Clock::now();
        EXPECT_THROW(pop.Login(), EProtocolError);
        EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(1500));
        End();
        EXPECT_TRUE(server.Heard().empty());
    }
}

// A whole message is given the time its listed size needs on a slow line, beyond the limit
// of an ordinary exchange.
TEST_F(Pop3LimitsTest, AMessageIsGivenTheTimeItsSizeNeeds) {
    pop.SetExchangeTimeout(300);
    ScriptedServer server(LoginScript("+OK\r\n1 4096\r\n.") +
                          std::vector<Step>{Hear(), Say("+OK"), Dribble("Subject: hi\r\n\r\nA body.\r\n.", 100), Hear(),
                                            Say("+OK bye")});
    Use(server);
    pop.Login();
    pop.GetMail(1);
    EXPECT_EQ(pop.MailLines, (Lines{"Subject: hi", "", "A body."}));
    pop.Logout();
}

TEST_F(Pop3LimitsTest, AHundredMegabyteLineKeepsOnlyItsStart) {
    ScriptedServer server({SayRaw("+OK "), Flood(100u << 20, 30000, "\r\n"), Hear(), Say("+OK"), Hear(), Say("+OK"),
                           Hear(), Say("+OK\r\n."), Hear(), Say("+OK bye")});
    Use(server);
    pop.Login();
    pop.Logout();
    ASSERT_FALSE(replies.empty());
    EXPECT_EQ(replies[0].size(), 16384u);
    EXPECT_EQ(server.Heard(), (Lines{"USER ann", "PASS secret", "LIST", "QUIT"}));
}

// Beyond 100 000 listed messages the mailbox is given up, having counted what was listed;
// nothing more is read or said on that connection.
TEST_F(Pop3LimitsTest, TwoHundredThousandListedMessagesStopAtTheBound) {
    std::string listing = "+OK";
    for (int i = 1; i <= 200000; ++i) listing += "\r\n" + std::to_string(i) + " 100";
    ScriptedServer server(LoginScript(listing + "\r\n."));
    Use(server);
    EXPECT_THROW(pop.Login(), ETcpIpError);
    EXPECT_EQ(pop.NumberOfMails(), 100000);
    EXPECT_EQ(pop.MessageList().size(), 100000u);
    End();
    EXPECT_EQ(server.Heard(), (Lines{"USER ann", "PASS secret", "LIST"}));
}

// A header without end ends the walk (it is no refusal that a message number could stand
// for), and a long sender or subject is kept short in its summary.
TEST_F(Pop3LimitsTest, HeaderLinesAndSummaryFieldsAreBounded) {
    std::string endless = "+OK";
    for (int i = 0; i < 3000; ++i) endless += "\r\nX-Filler: " + std::to_string(i);
    ScriptedServer server(LoginScript("+OK\r\n1 100\r\n2 100\r\n.") +
                          std::vector<Step>{Hear(), Say("+OK\r\nFrom: " + std::string(5000, 'f') + "\r\n\r\n."), Hear(),
                                            Say(endless + "\r\n\r\n.")});
    Use(server);
    pop.Login();
    EXPECT_THROW(pop.GetHeaders(), ETcpIpError);
    ASSERT_EQ(pop.MailLines.size(), 1u);
    EXPECT_EQ(pop.MailLines[0], std::string(T_Pop3::MaxSummaryField, 'f'));
    End();
    EXPECT_EQ(server.Heard(), (Lines{"USER ann", "PASS secret", "LIST", "TOP 2 1", "TOP 1 1"}));
}

// Each header comes a little late; the mailbox's time (a base and a share per listed
// message) decides whether the walk may finish.
TEST_F(Pop3LimitsTest, TheMailboxTimeGrowsWithItsMessages) {
    for (int perMessage : {100, 1500}) {
        SCOPED_TRACE(perMessage);
        std::vector<Step> script = LoginScript("+OK\r\n1 1\r\n2 1\r\n3 1\r\n.");
        for (int i = 0; i < 3; ++i) script = script + std::vector<Step>{Hear(), Silence(400), Say("+OK\r\nFrom: A\r\n.")};
        ScriptedServer server(script + std::vector<Step>{Hear(), Say("+OK bye")});
        Use(server);
        pop.SetMailboxTimeout(300, perMessage);
        pop.Login();
        if (perMessage == 100) {
            EXPECT_THROW(pop.GetHeaders(), EProtocolError);
        } else {
            pop.GetHeaders();
            EXPECT_EQ(pop.MailLines, (Lines{"A", "A", "A"}));
        }
        End();
        server.Heard();
    }
}

}  // namespace
}  // namespace mail_test
