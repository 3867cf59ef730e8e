// The POP3 client against scripted servers on 127.0.0.1: the exact lines it sends, what it
// reports, and how it copes with refusals, dribbled and cut-off answers and silence.
#include <gtest/gtest.h>

#include <chrono>

#include "mail/tcpip.h"
#include "tests/unit/mail/ScriptedServer.h"

namespace mail_test {
namespace {

using Lines = std::vector<std::string>;

// Greeting, USER, PASS, LIST answered with the given listing (status line first).
std::vector<Step> LoginScript(const std::string& listing) {
    return {Say("+OK ready"), Hear(), Say("+OK"), Hear(), Say("+OK"), Hear(), Say(listing)};
}
std::vector<Step> operator+(std::vector<Step> a, const std::vector<Step>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
const std::vector<Step> kQuit = {Hear(), Say("+OK bye")};

class Pop3Test : public ::testing::Test {
protected:
    void SetUp() override {
        pop.SetHostname("127.0.0.1");
        pop.SetTimeout(2000);
        pop.SetUserName("ann");
        pop.SetPassword("secret");
        pop.OnTrace = [this](TObject* sender, const std::string& s, TTraceLevel level) {
            EXPECT_EQ(sender, &pop);
            trace.push_back({level, s});
        };
    }
    void Use(const ScriptedServer& s) { pop.SetPort(s.Port()); }

    T_Pop3 pop;
    std::vector<std::pair<TTraceLevel, std::string>> trace;
};

TEST_F(Pop3Test, EmptyMailboxSendsNoTop) {
    ScriptedServer server(LoginScript("+OK 0 messages\r\n.") + kQuit);
    Use(server);
    pop.Login();
    EXPECT_TRUE(pop.Connected());
    EXPECT_EQ(pop.NumberOfMails(), 0);
    pop.GetHeaders();
    EXPECT_TRUE(pop.MailLines.empty());
    pop.Logout();
    EXPECT_FALSE(pop.Connected());
    EXPECT_EQ(pop.SocketId(), -1);
    EXPECT_EQ(server.Heard(), (Lines{"USER ann", "PASS secret", "LIST", "QUIT"}));
}

// Three messages: the headers are asked for backwards, the summaries come out in LIST order.
std::vector<Step> ThreeMessages(bool dribble) {
    auto say = [dribble](const std::string& s) { return dribble ? Dribble(s) : Say(s); };
    return std::vector<Step>{say("+OK ready"), Hear(), say("+OK"), Hear(), say("+OK"), Hear(),
                             say("+OK 3 messages\r\n1 120\r\n2 340\r\n3 560\r\n."),
                             Hear(),  // TOP 3 1
                             say("+OK\r\nReceived: x\r\nFROM:Cy <cy@x>\r\nSubject: "
                                 "=?ISO-8859-1?Q?Caf=E9_ouvert?=\r\n\r\nFrom: a body line\r\n."),
                             Hear(),  // TOP 2 1
                             say("+OK\r\nX-Nothing: here\r\n\r\nSubject: body, not header\r\n."),
                             Hear(),  // TOP 1 1
                             say("+OK\r\nSubject: one\r\nFrom: Ann <ann@x>\r\nSubject: Hello\r\n\r\n."),
                             Hear(), say("+OK bye")};
}

TEST_F(Pop3Test, ThreeMessagesWholeAndDribbled) {
    for (bool dribble : {false, true}) {
        SCOPED_TRACE(dribble ? "dribbled" : "whole");
        ScriptedServer server(ThreeMessages(dribble));
        Use(server);
        pop.Login();
        ASSERT_EQ(pop.NumberOfMails(), 3);
        ASSERT_EQ(pop.MessageList().size(), 3u);
        EXPECT_EQ(pop.MessageList()[1]->Index, 2);
        EXPECT_EQ(pop.MessageList()[1]->Size, 340);
        pop.GetHeaders();
        EXPECT_EQ(pop.MailLines, (Lines{"Ann <ann@x>\aHello", "", "Cy <cy@x>\aCaf\xE9 ouvert"}));
        EXPECT_EQ(pop.MessageList()[2]->From, "Cy <cy@x>");
        pop.Logout();
        EXPECT_TRUE(pop.MessageList().empty());
        EXPECT_EQ(pop.NumberOfMails(), 3);  // kept after Logout, like MailLines
        EXPECT_EQ(pop.MailLines.size(), 3u);
        EXPECT_EQ(server.Heard(),
                  (Lines{"USER ann", "PASS secret", "LIST", "TOP 3 1", "TOP 2 1", "TOP 1 1", "QUIT"}));
    }
}

TEST_F(Pop3Test, RefusedHeaderStandsAsItsNumberAndTheWalkGoesOn) {
    ScriptedServer server(LoginScript("+OK\r\n4 10\r\n7 20\r\n9 30\r\n.") +
                          std::vector<Step>{Hear(), Say("+OK\r\nFrom: Zed\r\n."), Hear(),
                                            Say("-ERR no such message"), Hear(),
                                            Say("+OK\r\nFrom: Ann\r\nSubject: Hi\r\n.")} +
                          kQuit);
    Use(server);
    pop.Login();
    pop.GetHeaders();
    EXPECT_EQ(pop.MailLines, (Lines{"Ann\aHi", "7", "Zed"}));
    pop.Logout();
    EXPECT_EQ(server.Heard(), (Lines{"USER ann", "PASS secret", "LIST", "TOP 9 1", "TOP 7 1", "TOP 4 1", "QUIT"}));
}

TEST_F(Pop3Test, StatusRepliesDecideSuccess) {
    struct Case {
        const char* name;
        std::vector<Step> script;
        int code;
        std::string message;
        Lines heard;
    } cases[] = {
        {"greeting refused", {Say("-ERR busy")}, 500, "-ERR busy", {}},
        {"greeting unknown", {Say("* hello")}, 999, "* hello", {}},
        {"greeting empty", {Say("")}, 999, "", {}},
        {"no greeting, cut", {Cut()}, 999, "", {}},
        {"user refused", {Say("+OK"), Hear(), Say("-ERR who?"), Hear(), Say("+OK")}, 500, "-ERR who?", {"USER ann", "QUIT"}},
        {"password refused",
         {Say("+OK"), Hear(), Say("+OK"), Hear(), Say("-ERR [AUTH] wrong"), Hear(), Say("+OK")},
         500,
         "-ERR [AUTH] wrong",
         {"USER ann", "PASS secret", "QUIT"}},
        {"list refused", LoginScript("-ERR locked") + kQuit, 500, "-ERR locked",
         {"USER ann", "PASS secret", "LIST", "QUIT"}},
        {"status cut in half", {Say("+OK"), Hear(), SayRaw("+O"), Cut()}, 999, "", {"USER ann"}},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedServer server(c.script);
        Use(server);
        try {
            pop.Login();
            ADD_FAILURE() << "Login succeeded";
        } catch (const EProtocolError& e) {
            EXPECT_EQ(e.ErrorCode, c.code);
            EXPECT_EQ(e.Message(), c.message);
            EXPECT_EQ(e.ProtocolName, "POP3");
        }
        // A failure after connecting leaves the connection to the caller's Logout.
        EXPECT_TRUE(pop.Connected());
        try {
            pop.Logout();
        } catch (const ETcpIpError&) {
        }
        EXPECT_FALSE(pop.Connected());
        EXPECT_EQ(server.Heard(), c.heard);
    }
}

TEST_F(Pop3Test, PasswordIsNeverTraced) {
    ScriptedServer server(LoginScript("+OK\r\n.") + kQuit);
    Use(server);
    pop.Login();
    pop.Logout();
    server.Heard();
    std::vector<std::pair<TTraceLevel, std::string>> commands, replies;
    for (auto& t : trace) {
        EXPECT_EQ(t.second.find("secret"), std::string::npos) << t.second;
        if (t.first == tlCommand) commands.push_back(t);
        if (t.first == tlReply) replies.push_back(t);
    }
    EXPECT_EQ(commands.size(), 4u);
    EXPECT_EQ(commands[1].second, "PASS *****");
    EXPECT_EQ(replies.front().second, "+OK ready");
    ASSERT_FALSE(trace.empty());
    EXPECT_EQ(trace.front().first, tlSocket);
    EXPECT_EQ(trace.front().second.rfind("Opened output socket " + std::to_string(server.Port()) +
                                             " to host 127.0.0.1 successfully; ID ",
                                         0),
              0u);
    EXPECT_EQ(trace.back().second.rfind("Closed socket ID ", 0), 0u);
}

// A listing that ends without its "." line is a failure, never a shorter listing.
TEST_F(Pop3Test, CutOffListingsFail) {
    {
        ScriptedServer server(LoginScript("+OK\r\n1 100\r\n2 200") + std::vector<Step>{Cut()});
        Use(server);
        EXPECT_THROW(pop.Login(), EProtocolError);
        EXPECT_EQ(pop.NumberOfMails(), 2);  // what had arrived, reported as a failure
    }
    {
        ScriptedServer server(LoginScript("+OK\r\n1 100\r\n2 200\r\n.") +
                              std::vector<Step>{Hear(), Say("+OK\r\nFrom: Bo\r\n."), Hear(),
                                                Say("+OK\r\nFrom: Ann"), Cut()});
        Use(server);
        pop.Login();
        // The lost connection ends the walk instead of listing message 1 as refused.
        EXPECT_THROW(pop.GetHeaders(), EProtocolError);
        EXPECT_EQ(pop.MailLines, (Lines{"Bo"}));
        pop.Logout();  // nothing left to say goodbye to: no QUIT, no error
        EXPECT_EQ(server.Heard(), (Lines{"USER ann", "PASS secret", "LIST", "TOP 2 1", "TOP 1 1"}));
    }
}

TEST_F(Pop3Test, SilentServerRunsIntoTheTimeLimit) {
    ScriptedServer server({Say("+OK ready"), Hear(), Silence(3000)});
    Use(server);
    pop.SetTimeout(300);
    auto start = std::chrono::steady_clock::now();
    try {
        pop.Login();
        ADD_FAILURE() << "Login succeeded";
    } catch (const EProtocolError& e) {
        EXPECT_EQ(e.ErrorCode, 999);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    pop.Logout();
    EXPECT_EQ(server.Heard(), (Lines{"USER ann"}));
}

TEST_F(Pop3Test, RefusedConnectionIsASocketError) {
    uint16_t port;
    {
        ScriptedServer idle({}, 1);  // binds a free port and lets it go again
        port = idle.Port();
    }
    pop.SetPort(port);
    try {
        pop.Login();
        ADD_FAILURE() << "Login succeeded";
    } catch (const ESocketError& e) {
        EXPECT_EQ(e.ErrorCode, platform::sockErrRefused);
        EXPECT_STREQ(e.what(), "Error creating socket");
    }
    EXPECT_FALSE(pop.Connected());
    ASSERT_FALSE(trace.empty());
    EXPECT_EQ(trace.back().second, "Failed to open output socket " + std::to_string(port) + " to host 127.0.0.1");
}

// A name service that knows no names, so that no lookup leaves the machine.
class NoNames : public platform::IBlockingSockets {
public:
    int Startup() override { return 0; }
    void Cleanup() override {}
    bool ResolveHost(const std::string& name, uint32_t&) override {
        asked.push_back(name);
        return false;
    }
    std::unique_ptr<platform::IBlockingSocket> Connect(uint32_t, uint16_t, int, int& e) override {
        e = platform::sockErrRefused;
        return nullptr;
    }
    Lines asked;
};

TEST_F(Pop3Test, UnresolvedHostNames) {
    NoNames names;
    pop.SetSockets(&names);
    for (std::string host : {"", "   ", "pop.nowhere"}) {
        pop.SetHostname(host);
        try {
            pop.Login();
            ADD_FAILURE() << "Login succeeded";
        } catch (const ESocketError&) {
            ADD_FAILURE() << "not a resolution failure";
        } catch (const ETcpIpError& e) {
            EXPECT_EQ(e.Message(), "Couldn't resolve hostname " + host);
        }
        EXPECT_EQ(pop.Address(), 0xFFFFFFFFu);
    }
    EXPECT_EQ(names.asked, (Lines{"pop.nowhere"}));
}

TEST_F(Pop3Test, LineBreakInCredentialsIsRefusedBeforeConnecting) {
    ScriptedServer server({Hear()}, 300);
    Use(server);
    pop.SetUserName("ann\r\nDELE 1");
    EXPECT_THROW(pop.Login(), ETcpIpError);
    pop.SetUserName("ann");
    pop.SetPassword("x\nDELE 1");
    EXPECT_THROW(pop.Login(), ETcpIpError);
    EXPECT_FALSE(pop.Connected());
    EXPECT_TRUE(server.Heard().empty());
}

// Still connected after a failure: the next Login says QUIT there first, and a failure of
// that goodbye does not stop the new Login.
TEST_F(Pop3Test, LoginEndsTheStaleConnectionFirst) {
    for (bool goodbyeFails : {false, true}) {
        SCOPED_TRACE(goodbyeFails ? "goodbye fails" : "goodbye works");
        ScriptedServer first({Say("+OK"), Hear(), Say("+OK"), Hear(), Say("-ERR wrong"), Hear(),
                              Say(goodbyeFails ? "-ERR cannot" : "+OK bye")});
        ScriptedServer second(LoginScript("+OK\r\n1 5\r\n.") + kQuit);
        Use(first);
        EXPECT_THROW(pop.Login(), EProtocolError);
        Use(second);
        pop.Login();
        EXPECT_EQ(pop.NumberOfMails(), 1);
        pop.Logout();
        EXPECT_EQ(first.Heard(), (Lines{"USER ann", "PASS secret", "QUIT"}));
        EXPECT_EQ(second.Heard(), (Lines{"USER ann", "PASS secret", "LIST", "QUIT"}));
    }
}

TEST_F(Pop3Test, RefusedGoodbyeIsReportedAfterClosing) {
    ScriptedServer server(LoginScript("+OK\r\n1 5\r\n.") + std::vector<Step>{Hear(), Say("-ERR not now")});
    Use(server);
    pop.Login();
    try {
        pop.Logout();
        ADD_FAILURE() << "Logout succeeded";
    } catch (const EProtocolError& e) {
        EXPECT_EQ(e.ErrorCode, 500);
    }
    EXPECT_FALSE(pop.Connected());
    EXPECT_TRUE(pop.MessageList().empty());
    EXPECT_EQ(server.Heard().back(), "QUIT");
}

TEST_F(Pop3Test, MalformedListLineIsAProtocolError) {
    for (std::string bad : {"1 abc", "1", "x 5", "-1 5", " 1 5"}) {
        ScriptedServer server(LoginScript("+OK\r\n" + bad + "\r\n.") + kQuit);
        Use(server);
        try {
            pop.Login();
            ADD_FAILURE() << bad;
        } catch (const EProtocolError& e) {
            EXPECT_EQ(e.ErrorCode, 999);
            EXPECT_EQ(e.Message(), bad);
        }
        try {
            pop.Logout();
        } catch (const ETcpIpError&) {
        }
        server.Heard();
    }
}

TEST_F(Pop3Test, OverlongLinesAreCutNotHoarded) {
    std::string longGreeting = "+OK " + std::string(100000, 'x');
    ScriptedServer server({Say(longGreeting), Hear(), Say("+OK"), Hear(), Say("+OK"), Hear(),
                           Say("+OK\r\n."), Hear(), Say("+OK bye")});
    Use(server);
    pop.Login();
    pop.Logout();
    EXPECT_EQ(trace.size() > 0, true);
    size_t greeting = 0;
    for (auto& t : trace)
        if (t.first == tlReply && greeting == 0) greeting = t.second.size();
    EXPECT_EQ(greeting, T_TcpIp::MaxLineLength);
    EXPECT_EQ(server.Heard().size(), 4u);
}

// A server that announces PIPELINING gets the TOP commands in batches: this script only
// answers once it has heard all ten, which a client waiting for each answer never gets to.
// Summaries, their order and the refused header's number stay as they are without it.
TEST_F(Pop3Test, TopCommandsGoInBatchesWhenTheServerPipelines) {
    std::string listing = "+OK";
    for (int i = 1; i <= 10; ++i) listing += "\r\n" + std::to_string(i) + " 100";
    for (bool pipelines : {true, false}) {
        SCOPED_TRACE(pipelines ? "PIPELINING" : "no CAPA");
        std::vector<Step> script = LoginScript(listing + "\r\n.") + std::vector<Step>{Hear()};
        script.push_back(Say(pipelines ? "+OK\r\nUSER\r\nPIPELINING\r\n." : "-ERR unknown command"));
        Lines expected = {"USER ann", "PASS secret", "LIST", "CAPA"};
        for (int i = 10; i >= 1; --i) {
            expected.push_back("TOP " + std::to_string(i) + " 1");
            std::string answer = i == 4 ? "-ERR gone" : "+OK\r\nFrom: n" + std::to_string(i) + "\r\n\r\n.";
            if (pipelines) {
                script.insert(script.end() - (10 - i), Hear());
                script.push_back(Say(answer));
            } else {
                script = script + std::vector<Step>{Hear(), Say(answer)};
            }
        }
        ScriptedServer server(script + kQuit);
        Use(server);
        pop.Login();
        pop.GetHeaders();
        EXPECT_EQ(pop.MailLines, (Lines{"n1", "n2", "n3", "4", "n5", "n6", "n7", "n8", "n9", "n10"}));
        pop.Logout();
        expected.push_back("QUIT");
        EXPECT_EQ(server.Heard(), expected);
    }
}

TEST_F(Pop3Test, ActionFetchesTheFirstMessageUnstuffed) {
    ScriptedServer server(LoginScript("+OK\r\n1 50\r\n.") +
                          std::vector<Step>{Hear(), Dribble("+OK 50 octets\r\nFrom: Ann\r\n\r\n..hidden\r\n.x\r\nend\r\n.")} +
                          kQuit);
    Use(server);
    pop.Action();
    EXPECT_EQ(pop.MailLines, (Lines{"From: Ann", "", ".hidden", "x", "end"}));
    EXPECT_FALSE(pop.Connected());
    EXPECT_EQ(server.Heard(), (Lines{"USER ann", "PASS secret", "LIST", "RETR 1", "QUIT"}));
}

}  // namespace
}  // namespace mail_test
