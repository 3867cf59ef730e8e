// The POP3 client over the Winsock backend against a scripted loopback server that runs
// on a thread of this test program. Every wait is bounded.
#include <gtest/gtest.h>
#include <winsock.h>

#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "mail/ip_misc.h"
#include "mail/tcpip.h"
#include "platform/Platform.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/WinsockSocket.h"

namespace {

using Lines = std::vector<std::string>;

struct Step {
    enum Kind { Say, Dribble, Hear, Cut } kind;
    std::string text;
};
Step Say(const std::string& s) { return {Step::Say, s + "\r\n"}; }
Step Dribble(const std::string& s) { return {Step::Dribble, s + "\r\n"}; }
Step Hear() { return {Step::Hear, ""}; }
Step Cut() { return {Step::Cut, ""}; }

bool Readable(SOCKET s, int ms) {
    fd_set r;
    FD_ZERO(&r);
    FD_SET(s, &r);
    timeval tv{ms / 1000, (ms % 1000) * 1000};
    return select(0, &r, nullptr, nullptr, &tv) > 0;
}

// One connection on 127.0.0.1 and an ephemeral port, played from a thread.
class LoopbackServer {
public:
    explicit LoopbackServer(std::vector<Step> script) : script_(std::move(script)) {
        listener_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof(a));
        listen(listener_, 2);
        int size = sizeof(a);
        getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &size);
        port_ = ntohs(a.sin_port);
        thread_ = std::thread([this] { Run(); });
    }
    ~LoopbackServer() { Heard(); }
    uint16_t Port() const { return port_; }
    Lines Heard() {
        if (thread_.joinable()) thread_.join();
        if (listener_ != INVALID_SOCKET) closesocket(listener_);
        listener_ = INVALID_SOCKET;
        return heard_;
    }

private:
    void Run() {
        if (!Readable(listener_, 3000)) return;
        SOCKET c = accept(listener_, nullptr, nullptr);
        if (c == INVALID_SOCKET) return;
        for (const Step& s : script_) {
            if (s.kind == Step::Say) {
                send(c, s.text.data(), int(s.text.size()), 0);
            } else if (s.kind == Step::Dribble) {
                for (size_t i = 0; i < s.text.size(); i += 2) {
                    send(c, s.text.data() + i, int(std::min<size_t>(2, s.text.size() - i)), 0);
                    Sleep(1);
                }
            } else if (s.kind == Step::Hear) {
                std::string line;
                char ch;
                bool got = false;
                while (Readable(c, 3000) && recv(c, &ch, 1, 0) == 1) {
                    if (ch == '\n') {
                        got = true;
                        break;
                    }
                    if (ch != '\r') line += ch;
                }
                if (!got) break;
                heard_.push_back(line);
            } else {
                break;
            }
        }
        shutdown(c, 2);
        closesocket(c);
    }

    std::vector<Step> script_;
    SOCKET listener_ = INVALID_SOCKET;
    uint16_t port_ = 0;
    std::thread thread_;
    Lines heard_;
};

class WinsockPop3 : public ::testing::Test {
protected:
    void SetUp() override {
        services.emplace([this](platform::Services& s) {
            s.clock = &clock;
            s.blockingSockets = &platform::WinsockBlockingSockets();
        });
        ASSERT_EQ(NetworkStartup(), 0);
        pop.SetHostname("127.0.0.1");
        pop.SetTimeout(2000);
        pop.SetUserName("ann");
        pop.SetPassword("secret");
    }
    void TearDown() override {
        NetworkCleanup();
        services.reset();
    }
    win32::Clock clock;
    std::optional<platform::TSwapServices> services;
    T_Pop3 pop;
};

TEST_F(WinsockPop3, MailboxSessionWithADribbledAnswer) {
    LoopbackServer server({Say("+OK ready"), Hear(), Say("-ERR"), Hear(), Say("+OK"), Hear(), Say("+OK"), Hear(),
                           Say("+OK 2 messages\r\n1 100\r\n2 200\r\n."), Hear(),
                           Dribble("+OK\r\nFrom: Bo\r\nSubject: =?ISO-8859-1?Q?Caf=E9?=\r\n\r\n."), Hear(),
                           Say("-ERR gone"), Hear(), Say("+OK bye")});
    pop.SetPort(server.Port());
    std::vector<std::string> socketTrace;
    pop.OnTrace = [&](TObject*, const std::string& s, TTraceLevel l) {
        if (l == tlSocket) socketTrace.push_back(s);
    };
    pop.Login();
    EXPECT_EQ(pop.NumberOfMails(), 2);
    pop.GetHeaders();
    EXPECT_EQ(pop.MailLines, (Lines{"1", "Bo\aCaf\xC3\xA9"}));
    pop.Logout();
    EXPECT_EQ(server.Heard(), (Lines{"CAPA", "USER ann", "PASS secret", "LIST", "TOP 2 1", "TOP 1 1", "QUIT"}));
    ASSERT_FALSE(socketTrace.empty());
    EXPECT_EQ(socketTrace.front().rfind("Opened output socket " + std::to_string(server.Port()) +
                                            " to host 127.0.0.1 successfully; ID ",
                                        0),
              0u);
    EXPECT_EQ(socketTrace.back().rfind("Closed socket ID ", 0), 0u);
}

TEST_F(WinsockPop3, SilentServerRunsIntoTheTimeLimit) {
    LoopbackServer server({Hear()});  // accepts and waits for a line that never comes
    pop.SetPort(server.Port());
    pop.SetTimeout(300);
    DWORD start = GetTickCount();
    try {
        pop.Login();
        ADD_FAILURE() << "Login succeeded";
    } catch (const EProtocolError& e) {
        EXPECT_EQ(e.ErrorCode, 999);
    }
    EXPECT_LT(GetTickCount() - start, 2000u);
    pop.Logout();
}

TEST_F(WinsockPop3, RefusedConnectionIsASocketError) {
    uint16_t port;
    {
        LoopbackServer idle({Cut()});
        port = idle.Port();
        // Let its accept end at once so that the port is free again.
        SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(port);
        connect(s, reinterpret_cast<sockaddr*>(&a), sizeof(a));
        closesocket(s);
    }
    pop.SetPort(port);
    try {
        pop.Login();
        ADD_FAILURE() << "Login succeeded";
    } catch (const ESocketError& e) {
        EXPECT_EQ(e.ErrorCode, WSAECONNREFUSED);
    }
    EXPECT_FALSE(pop.Connected());
}

}  // namespace
