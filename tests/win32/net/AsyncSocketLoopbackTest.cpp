// The asynchronous socket over the real Winsock binding, against a loopback server that
// runs on a thread of this test program. Every wait is bounded.
#include <gtest/gtest.h>
#include <windows.h>
#include <winsock.h>

#include <atomic>
#include <string>
#include <thread>

#include "net/WSocketExt.h"
#include "net/win32/WinsockBinding.h"
#include "platform/Platform.h"
#include "platform/win32/Win32Platform.h"

namespace {

// A socket bound to 127.0.0.1 and an ephemeral port (the library started for it); port says
// which.
SOCKET BoundLoopback(uint16_t& port) {
    WSADATA d;
    WSAStartup(0x0101, &d);
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = inet_addr("127.0.0.1");
    bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    int len = sizeof a;
    getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    port = ntohs(a.sin_port);
    return s;
}

// Listens on 127.0.0.1 and an ephemeral port; accepts one caller, sends it `reply` and
// closes. Its own sockets use the linked library, independent of the binding.
class OneShotServer {
public:
    explicit OneShotServer(std::string reply) : reply_(std::move(reply)) {
        listener_ = BoundLoopback(port_);
        listen(listener_, 1);
        thread_ = std::thread([this] { Run(); });
    }
    ~OneShotServer() {
        thread_.join();
        closesocket(listener_);
        WSACleanup();
    }
    uint16_t Port() const { return port_; }
    bool Accepted() const { return accepted_; }

private:
    void Run() {
        fd_set r;
        FD_ZERO(&r);
        FD_SET(listener_, &r);
        timeval tv{5, 0};
        if (select(0, &r, nullptr, nullptr, &tv) <= 0) return;
        SOCKET c = accept(listener_, nullptr, nullptr);
        if (c == INVALID_SOCKET) return;
        accepted_ = true;
        send(c, reply_.data(), static_cast<int>(reply_.size()), 0);
        shutdown(c, 1);
        // Wait (bounded) for the client's own close, so the reply is not reset away.
        FD_ZERO(&r);
        FD_SET(c, &r);
        timeval tv2{5, 0};
        char sink[16];
        if (select(0, &r, nullptr, nullptr, &tv2) > 0) recv(c, sink, sizeof sink, 0);
        closesocket(c);
    }
    std::string reply_;
    SOCKET listener_ = INVALID_SOCKET;
    uint16_t port_ = 0;
    std::thread thread_;
    std::atomic<bool> accepted_{false};
};

// A port on 127.0.0.1 where nobody listens: bound, its number read, then closed.
uint16_t DeadPort() {
    uint16_t port = 0;
    closesocket(BoundLoopback(port));
    WSACleanup();
    return port;
}

class AsyncSocketLoopback : public ::testing::Test {
protected:
    // Runs the message loop until done() holds or 20 s pass.
    template <class F>
    bool PumpUntil(F done) {
        DWORD start = GetTickCount();
        while (!done()) {
            if (GetTickCount() - start > 20000) return false;
            ui.ProcessMessages();
            Sleep(5);
        }
        return true;
    }
    win32::Ui ui;
    win32::Clock clock;
    platform::TSwapServices services{[this](platform::Services& s) {
        s.ui = &ui;
        s.clock = &clock;
        s.asyncSockets = &net::win32::Winsock();
    }};
};

TEST_F(AsyncSocketLoopback, ReceivesFourBytesAndClosesWithThePeer) {
    OneShotServer server(std::string("\xE9\x0B\x5C\x80", 4));
    std::string got;
    std::vector<std::string> events;
    bool closed = false;
    {
        TWSocketExt s;
        s.OnSessionConnected = [&](TObject*, uint16_t e) { events.push_back("connected " + std::to_string(e)); };
        s.OnReceiveBuffer = [&](TObject*, void* buf, int32_t n, const std::string&, uint16_t) {
            if (buf && n > 0) got.append(static_cast<char*>(buf), static_cast<size_t>(n));
        };
        s.OnSessionClosed = [&](TObject*, uint16_t e) {
            events.push_back("closed " + std::to_string(e));
            closed = true;
        };
        s.SetAddr("127.0.0.1");
        s.SetPortNumber(server.Port());
        s.Connect();
        EXPECT_EQ(s.State(), wsConnecting);
        EXPECT_TRUE(net::win32::WinsockLoaded());
        ASSERT_TRUE(PumpUntil([&] { return closed; }));
        EXPECT_EQ(s.State(), wsClosed);
    }
    EXPECT_TRUE(server.Accepted());
    EXPECT_EQ(got, std::string("\xE9\x0B\x5C\x80", 4));
    EXPECT_EQ(events, (std::vector<std::string>{"connected 0", "closed 0"}));
    // The last socket went: the library is unloaded.
    EXPECT_FALSE(net::win32::WinsockLoaded());
}

TEST_F(AsyncSocketLoopback, RefusedConnectionArrivesAsAnEvent) {
    uint16_t port = DeadPort();
    TWSocket s;
    std::vector<std::string> events;
    s.OnSessionConnected = [&](TObject*, uint16_t e) { events.push_back("connected " + std::to_string(e)); };
    s.OnSessionClosed = [&](TObject*, uint16_t e) { events.push_back("closed " + std::to_string(e)); };
    s.SetAddr("127.0.0.1");
    s.SetPort(std::to_string(port));
    s.Connect();
    ASSERT_TRUE(PumpUntil([&] { return events.size() >= 2; }));
    EXPECT_EQ(events, (std::vector<std::string>{"connected 10061", "closed 0"}));
    EXPECT_EQ(s.State(), wsClosed);
}

TEST_F(AsyncSocketLoopback, SendsThroughTheQueueAndReportsDataSent) {
    // A peer that only reads: the client sends 3000 bytes and hears OnDataSent once.
    uint16_t port = 0;
    SOCKET l = BoundLoopback(port);
    listen(l, 1);
    std::string received;
    std::thread peer([&] {
        fd_set r;
        FD_ZERO(&r);
        FD_SET(l, &r);
        timeval tv{20, 0};
        if (select(0, &r, nullptr, nullptr, &tv) <= 0) return;
        SOCKET c = accept(l, nullptr, nullptr);
        char buf[4096];
        DWORD start = GetTickCount();
        while (received.size() < 3000 && GetTickCount() - start < 20000) {
            FD_ZERO(&r);
            FD_SET(c, &r);
            timeval t{1, 0};
            if (select(0, &r, nullptr, nullptr, &t) <= 0) continue;
            int n = recv(c, buf, sizeof buf, 0);
            if (n <= 0) break;
            received.append(buf, static_cast<size_t>(n));
        }
        closesocket(c);
    });
    int dataSent = 0, insideSend = 0;
    bool sending = false;
    {
        TWSocket s;
        bool connected = false;
        s.OnSessionConnected = [&](TObject*, uint16_t e) { connected = e == 0; };
        // The system's first "writable" after connecting reports an empty queue too, so
        // only what comes after our Send is counted.
        s.OnDataSent = [&](TObject*, uint16_t) {
            if (sending) ++insideSend;
            ++dataSent;
        };
        s.SetAddr("127.0.0.1");
        s.SetPort(std::to_string(port));
        s.Connect();
        ASSERT_TRUE(PumpUntil([&] { return connected; }));
        std::string data(3000, 'v');
        dataSent = 0;
        sending = true;
        EXPECT_EQ(s.Send(data.data(), 3000), 3000);
        sending = false;
        EXPECT_EQ(insideSend, 0);
        EXPECT_TRUE(PumpUntil([&] { return dataSent > 0; }));
        peer.join();
        s.Close();
    }
    closesocket(l);
    WSACleanup();
    EXPECT_EQ(received, std::string(3000, 'v'));
    EXPECT_GE(dataSent, 1);
}

TEST_F(AsyncSocketLoopback, ResolverUsesTheRealLibrary) {
    EXPECT_EQ(WSocketResolvePort("37", "tcp"), 37);
    EXPECT_EQ(net::AddrToText(WSocketResolveHost(" 127.0.0.1 ")), "127.0.0.1");
    EXPECT_EQ(WSocketResolveHost("255.255.255.255"), 0xFFFFFFFFu);
    EXPECT_EQ(WSocketResolveProto("tcp"), 6);
    net::SocketApi().Unload();
}

}  // namespace
