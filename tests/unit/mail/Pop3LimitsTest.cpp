// The POP3 client against servers whose answers are too big to write down as dialogues:
// listings and headers without end. Each is given up within its bound, memory kept small.
#include <string>

#include "tests/unit/mail/Pop3Fixture.h"

namespace mail_test {
namespace {

std::vector<Step> LoginScript(const std::string& listing) {
    return {Say("+OK ready"), Hear(), Say("+OK"), Hear(), Say("+OK"), Hear(), Say(listing)};
}

using Pop3LimitsTest = Pop3Fixture;

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
    std::vector<Step> script = LoginScript("+OK\r\n1 100\r\n2 100\r\n.");
    for (Step s : {Hear(), Say("+OK\r\nFrom: " + std::string(5000, 'f') + "\r\n\r\n."), Hear(), Say(endless + "\r\n\r\n.")})
        script.push_back(s);
    ScriptedServer server(script);
    Use(server);
    pop.Login();
    EXPECT_THROW(pop.GetHeaders(), ETcpIpError);
    ASSERT_EQ(pop.MailLines.size(), 1u);
    EXPECT_EQ(pop.MailLines[0], std::string(T_Pop3::MaxSummaryField, 'f'));
    End();
    EXPECT_EQ(server.Heard(), (Lines{"USER ann", "PASS secret", "LIST", "TOP 2 1", "TOP 1 1"}));
}

}  // namespace
}  // namespace mail_test
