// The asynchronous socket over the scripted library: connecting, receiving, the send
// queue, closing, and events that come too late.
#include <memory>

#include "net/WSocket.h"
#include "tests/unit/net/SocketFixture.h"

namespace {

// ---------------------------------------------------------------- connecting

using ConnectTest = SocketTest;

TEST_F(ConnectTest, MissingSettingsAreReportedAndCreateNoSocket) {
    TWSocket s;
    s.SetAddr("127.0.0.1");
    EXPECT_EQ(Raised([&] { s.Connect(); }), "Connect: No Port Specified");
    s.SetAddr("");
    s.SetPort("37");
    EXPECT_EQ(Raised([&] { s.Connect(); }), "Connect: No IP Address Specified");
    s.SetAddr("127.0.0.1");
    s.SetProto("");
    EXPECT_EQ(Raised([&] { s.Connect(); }), "Connect: No Protocol Specified");
    EXPECT_EQ(std::count(api.calls.begin(), api.calls.end(), "socket"), 0);
    // With OnError set the report is a call, not an exception.
    int errors = 0;
    s.OnError = [&](TObject*) { ++errors; };
    s.Connect();
    EXPECT_EQ(errors, 1);
}

TEST_F(ConnectTest, RefusedConnectionReportsThenCloses) {
    TWSocket s;
    Record(s);
    s.SetAddr("127.0.0.1");
    s.SetPort("37");
    s.Connect();
    EXPECT_EQ(log, (std::vector<std::string>{"state 7->1", "state 1->3"}));
    EXPECT_EQ(api.socks[api.Last()].events, 59u);
    EXPECT_EQ(net::NetToHost16(api.socks[api.Last()].peer.port), 37);
    api.Notify(api.Last(), net::FD_CONNECT_, net::WSAECONNREFUSED_);
    ui.ProcessMessages();
    EXPECT_EQ(log, (std::vector<std::string>{"state 7->1", "state 1->3", "state 3->4", "connected 10061",
                                             "state 4->7", "closed 0"}));
    EXPECT_EQ(s.State(), wsClosed);
    EXPECT_FALSE(api.socks[api.Last()].open);
}

TEST_F(ConnectTest, ResolutionFailureLeavesTheSocketClosed) {
    TWSocket s;
    s.SetAddr("nohost.test");
    s.SetPort("37");
    EXPECT_EQ(Raised([&] { s.Connect(); }), "connect: WSocketResolveHost: Cannot convert host address 'nohost.test'");
    EXPECT_EQ(s.State(), wsClosed);
    EXPECT_EQ(s.Handle(), net::kInvalidSocket);
    EXPECT_EQ(std::count(api.calls.begin(), api.calls.end(), "socket"), 0);
}

TEST_F(ConnectTest, ImmediateConnectFailureClosesTheSocketSoTheNextConnectWorks) {
    TWSocket s;
    s.SetAddr("127.0.0.1");
    s.SetPort("37");
    api.connectError = 10051;
    EXPECT_EQ(Raised([&] { s.Connect(); }), "Error 10051 in function Connect\r\nNetwork is unreachable");
    EXPECT_EQ(s.LastError(), 10051);
    EXPECT_EQ(s.State(), wsClosed);
    EXPECT_FALSE(api.socks[api.Last()].open);
    api.connectError = net::WSAEWOULDBLOCK_;
    s.Connect();  // not "Socket already in use"
    EXPECT_EQ(s.State(), wsConnecting);
}

TEST_F(ConnectTest, SettingsOnlyChangeWhileClosed) {
    TWSocket s;
    Connected(s);
    s.SetAddr("127.0.0.1");  // the same text: accepted
    EXPECT_EQ(Raised([&] { s.SetAddr("127.0.0.2"); }), "Cannot change Addr if not closed");
    EXPECT_EQ(Raised([&] { s.SetPort("38"); }), "Cannot change Port if not closed");
    EXPECT_EQ(Raised([&] { s.SetLocalPort("1"); }), "Cannot change LocalPort if not closed");
    EXPECT_EQ(Raised([&] { s.Connect(); }), "Connect: Socket already in use");
    EXPECT_EQ(s.Addr(), "127.0.0.1");
}

TEST_F(ConnectTest, CloseForgetsAddressAndPortAndRestoresDefaults) {
    TWSocket s;
    s.SetLingerTimeout(15);
    s.SetFlushTimeout(20);
    Connected(s);
    ASSERT_EQ(api.socks[api.Last()].lingers.size(), 1u);
    EXPECT_EQ(api.socks[api.Last()].lingers[0].onOff, 1);
    EXPECT_EQ(api.socks[api.Last()].lingers[0].seconds, 15);
    s.Close();
    EXPECT_TRUE(api.socks[api.Last()].shutdownSend);
    EXPECT_EQ(s.LingerTimeout(), 0);
    EXPECT_EQ(s.FlushTimeout(), 60);
    EXPECT_EQ(s.Addr(), "127.0.0.1");  // the texts stay...
    EXPECT_EQ(Raised([&] { s.Connect(); }), "Connect: No Port Specified");  // ...but are not assigned
}

TEST_F(ConnectTest, LocalAddressIsCheckedAndBoundSocketsLearnTheirPort) {
    TWSocket s;
    EXPECT_EQ(Raised([&] { s.SetLocalAddr("300.1.1.1"); }), "SetLocalAddr(): Invalid IP address");
    s.SetLocalAddr("");
    EXPECT_EQ(s.LocalAddr(), "0.0.0.0");
    s.SetLocalAddr(" 127.0.0.1");
    s.SetAddr("127.0.0.1");
    s.SetPort("37");
    s.Connect();
    EXPECT_EQ(std::count(api.calls.begin(), api.calls.end(), "bind"), 1);
    EXPECT_EQ(s.LocalPort(), "50000");
}

TEST_F(ConnectTest, DatagramSocketIsConnectedAtOnce) {
    TWSocket s;
    Record(s);
    s.SetProto("udp");
    s.SetAddr("127.0.0.1");
    s.SetPort("37");
    s.Connect();
    EXPECT_EQ(s.State(), wsConnected);
    EXPECT_EQ(api.socks[api.Last()].type, net::kSockDgram);
    EXPECT_EQ(log.back(), "connected 0");
    EXPECT_EQ(std::count(api.calls.begin(), api.calls.end(), "connect"), 0);
}

// ---------------------------------------------------------------- receiving and closing

using ReceiveTest = SocketTest;

TEST_F(ReceiveTest, DataInPiecesThenPeerClose) {
    TWSocket s;
    Record(s);
    std::string got;
    s.OnDataAvailable = [&](TObject*, uint16_t) {
        char buf[3];
        int n = s.Receive(buf, sizeof buf);
        if (n > 0) got.append(buf, static_cast<size_t>(n));
        log.push_back("data");
    };
    Connected(s);
    net::TSocketHandle h = api.Last();
    api.Arrive(h, "\x01\x02");
    ui.ProcessMessages();
    api.Arrive(h, std::string("\x03\x04\x05\x06\x07", 5));  // more than one read takes
    api.Notify(h, net::FD_CLOSE_);
    ui.ProcessMessages();
    EXPECT_EQ(got, std::string("\x01\x02\x03\x04\x05\x06\x07", 7));
    EXPECT_EQ(s.State(), wsClosed);
    EXPECT_EQ(std::count(log.begin(), log.end(), "closed 0"), 1);
    // The peer's close is reported first, then the socket closes itself.
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[log.size() - 2], "closed 0");
    EXPECT_EQ(log.back(), "state 4->7");
    EXPECT_FALSE(api.socks[h].open);
}

TEST_F(ReceiveTest, CloseWhileConnectingIsIgnored) {
    TWSocket s;
    Record(s);
    s.SetAddr("127.0.0.1");
    s.SetPort("37");
    s.Connect();
    api.Notify(api.Last(), net::FD_CLOSE_);
    ui.ProcessMessages();
    EXPECT_EQ(s.State(), wsConnecting);
    EXPECT_EQ(std::count(log.begin(), log.end(), "closed 0"), 0);
}

TEST_F(ReceiveTest, UnclaimedDataIsReadAndThrownAway) {
    TWSocket s;
    Connected(s);
    api.Arrive(api.Last(), std::string(3000, 'x'));
    ui.ProcessMessages();
    EXPECT_TRUE(api.socks[api.Last()].incoming.empty());
    EXPECT_EQ(s.ReadCount(), 0);
}

TEST_F(ReceiveTest, AHandlerThatLeavesTheDataDoesNotHangTheLoop) {
    TWSocket s;
    int calls = 0;
    s.OnDataAvailable = [&](TObject*, uint16_t) { ++calls; };
    Connected(s);
    api.Arrive(api.Last(), "abcd");
    ui.ProcessMessages();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(api.socks[api.Last()].incoming, "abcd");
}

TEST_F(ReceiveTest, HandlerClosingInsideReadAndCloseReportsTheSessionOnce) {
    TWSocket s;
    Record(s);
    s.OnDataAvailable = [&](TObject*, uint16_t) {
        char buf[16];
        s.Receive(buf, sizeof buf);
        s.Close();
    };
    Connected(s);
    net::TSocketHandle h = api.Last();
    api.socks[h].incoming = "abcd";
    api.Notify(h, net::FD_READ_ | net::FD_CLOSE_);
    ui.ProcessMessages();
    EXPECT_EQ(std::count(log.begin(), log.end(), "closed 0"), 1);
    EXPECT_EQ(s.State(), wsClosed);
}

TEST_F(ReceiveTest, EventsForAClosedSocketAreDropped) {
    TWSocket s;
    int data = 0;
    s.OnDataAvailable = [&](TObject*, uint16_t) { ++data; };
    Connected(s);
    net::TSocketHandle h = api.Last();
    s.Close();
    api.socks[h].incoming = "late";
    api.Notify(h, net::FD_READ_);
    api.Notify(h, net::FD_CLOSE_);
    ui.ProcessMessages();
    EXPECT_EQ(data, 0);
    EXPECT_EQ(s.State(), wsClosed);
}

TEST_F(ReceiveTest, StaleEventsDoNotReachANewSocketWithTheSameHandle) {
    api.reuseHandles = true;
    TWSocket s;
    Record(s);
    Connected(s);
    net::TSocketHandle old = api.Last();
    // The peer's close is already queued when the program closes and connects again.
    api.Notify(old, net::FD_CLOSE_);
    s.Close();
    log.clear();
    s.SetAddr("127.0.0.1");
    s.SetPort("37");
    s.Connect();
    ASSERT_EQ(api.Last(), old);  // the system handed out the same value
    api.Notify(old, net::FD_CONNECT_);
    ui.ProcessMessages();
    EXPECT_EQ(s.State(), wsConnected);
    EXPECT_EQ(std::count(log.begin(), log.end(), "closed 0"), 0);
}

TEST_F(ReceiveTest, PausedSocketIgnoresEvents) {
    TWSocket s;
    int data = 0;
    s.OnDataAvailable = [&](TObject*, uint16_t) {
        char b[8];
        s.Receive(b, 8);
        ++data;
    };
    Connected(s);
    s.Pause();
    EXPECT_EQ(api.socks[api.Last()].events, 0u);
    api.Arrive(api.Last(), "ab");
    ui.ProcessMessages();
    EXPECT_EQ(data, 0);
    s.Resume();
    api.Notify(api.Last(), net::FD_READ_);
    ui.ProcessMessages();
    EXPECT_EQ(data, 1);
}

TEST_F(ReceiveTest, ReceiveTextWithAFailedCountGivesEmptyText) {
    TWSocket s;
    Connected(s);
    int errors = 0;
    s.OnError = [&](TObject*) { ++errors; };
    api.ioctlError = 10038;
    std::string text = "old";
    s.ReceiveText(text);
    EXPECT_EQ(text, "");
    EXPECT_EQ(errors, 1);
    api.ioctlError = 0;
    api.socks[api.Last()].incoming = "TIME";
    s.ReceiveText(text);
    EXPECT_EQ(text, "TIME");
    EXPECT_EQ(s.ReadCount(), 4);
}

TEST_F(ReceiveTest, HandlerExceptionGoesToBgExceptionThenAborts) {
    TWSocket s;
    std::string seen;
    s.OnSessionConnected = [](TObject*, uint16_t) { throw ESocketException("boom"); };
    s.OnBgException = [&](TObject*, const Exception& e, bool&) { seen = e.Message(); };
    s.SetAddr("127.0.0.1");
    s.SetPort("37");
    s.Connect();
    api.Notify(api.Last(), net::FD_CONNECT_);
    ui.ProcessMessages();
    EXPECT_EQ(seen, "boom");
    EXPECT_EQ(s.State(), wsClosed);
    ASSERT_FALSE(api.socks[api.Last()].lingers.empty());
    EXPECT_EQ(api.socks[api.Last()].lingers.back().onOff, 0);  // a hard close
}

TEST_F(ReceiveTest, BgExceptionHandlerMayKeepTheSocketOpen) {
    TWSocket s;
    s.OnDataAvailable = [](TObject*, uint16_t) { throw ESocketException("in loop"); };
    s.OnSessionConnected = [](TObject*, uint16_t) { throw ESocketException("boom"); };
    s.OnBgException = [&](TObject*, const Exception&, bool& canClose) { canClose = false; };
    Connected(s);
    api.Arrive(api.Last(), "x");  // an exception inside the receive loop only ends it
    ui.ProcessMessages();
    EXPECT_EQ(s.State(), wsConnected);
}

// ---------------------------------------------------------------- sending

using SendTest = SocketTest;

TEST_F(SendTest, SendWhileNotConnectedFails) {
    TWSocket s;
    int errors = 0;
    s.OnError = [&](TObject*) { ++errors; };
    EXPECT_EQ(s.Send("x", 1), -1);
    EXPECT_EQ(s.LastError(), 10057);
    EXPECT_EQ(errors, 1);
    s.OnError = nullptr;
    EXPECT_EQ(Raised([&] { s.Send("x", 1); }), "Error 10057 in function Send\r\nSocket is not connected");
}

TEST_F(SendTest, QueueDrainsOnWriteEventsAndReportsOnceFromTheLoop) {
    TWSocket s;
    Record(s);
    std::vector<int> sentCounts;
    s.OnSendData = [&](TObject*, int32_t n) { sentCounts.push_back(n); };
    Connected(s);
    log.clear();
    std::string data(3000, '\0');
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7);
    api.sendCapacity = 0;  // the network takes nothing yet
    EXPECT_EQ(s.Send(data.data(), 3000), 3000);
    EXPECT_EQ(s.QueuedBlocks(), 2u);
    EXPECT_EQ(s.QueuedBytes(), 3000);
    api.sendCapacity = 1000;
    api.Notify(api.Last(), net::FD_WRITE_);
    ui.ProcessMessages();
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(s.QueuedBytes(), 2000);
    api.sendCapacity = -1;
    api.Notify(api.Last(), net::FD_WRITE_);
    ui.ProcessMessages();
    EXPECT_EQ(api.socks[api.Last()].sent, data);
    EXPECT_EQ(log, (std::vector<std::string>{"sent 0"}));
    EXPECT_EQ(sentCounts, (std::vector<int>{1000, 514, 1486}));
    EXPECT_EQ(s.QueuedBlocks(), 1u);  // the last block stays for reuse
}

TEST_F(SendTest, EverythingSentAtOnceStillReportsFromTheLoop) {
    TWSocket s;
    Record(s);
    Connected(s);
    log.clear();
    EXPECT_EQ(s.SendText("hello"), 5);
    EXPECT_TRUE(log.empty());  // never from inside Send
    ui.ProcessMessages();
    EXPECT_EQ(log, (std::vector<std::string>{"sent 0"}));
    EXPECT_EQ(s.Send("", 0), 0);
    // The peer takes the bytes and closes ahead of the queued report, which still comes first.
    ui.ProcessMessages();
    log.clear();
    s.OnSendData = [&](TObject*, int32_t) { api.Notify(api.Last(), net::FD_CLOSE_); };
    EXPECT_EQ(s.SendText("bye"), 3);
    ui.ProcessMessages();
    EXPECT_EQ(log, (std::vector<std::string>{"sent 0", "closed 0", "state 4->7"}));
}

TEST_F(SendTest, ResetWhileSendingClosesAndSaysSo) {
    TWSocket s;
    Record(s);
    Connected(s);
    log.clear();
    api.sendError = net::WSAECONNRESET_;
    EXPECT_EQ(s.Send("abc", 3), -1);  // not "3": the bytes never left
    EXPECT_EQ(s.State(), wsClosed);
    EXPECT_EQ(log, (std::vector<std::string>{"state 4->7", "closed 10054"}));
    ui.ProcessMessages();
    EXPECT_EQ(std::count(log.begin(), log.end(), "sent 0"), 0);
}

// A data-sent handler that sends again, while two blocks wait: every byte goes out once.
TEST_F(SendTest, AHandlerThatSendsAgainSendsEachByteOnce) {
    TWSocket s;
    Connected(s);
    std::string first(3000, 'a'), more(2000, 'b');
    bool again = true;
    s.OnSendData = [&](TObject*, int32_t) {
        if (again) s.Send(more.data(), 2000);
        again = false;
    };
    api.sendCapacity = 0;
    s.Send(first.data(), 3000);
    api.sendCapacity = -1;
    api.Notify(api.Last(), net::FD_WRITE_);
    ui.ProcessMessages();
    EXPECT_EQ(api.socks[api.Last()].sent, first + more);
}

TEST_F(SendTest, SendFlagsAreChecked) {
    TWSocket s;
    s.SetSendFlags(wsSendUrgent);
    EXPECT_EQ(s.SendFlags(), wsSendUrgent);
    EXPECT_EQ(Raised([&] { s.SetSendFlags(7); }), "Invalid SendFlags");
}

// ---------------------------------------------------------------- closing

using CloseTest = SocketTest;

TEST_F(CloseTest, ALingeringCloseThatWouldBlockEndsWithinTheLingerTime) {
    TWSocket s;
    s.SetLingerTimeout(5);
    Connected(s);
    api.closeWouldBlockForever = 1;
    uint64_t t0 = clock.Elapsed();
    s.Close();
    EXPECT_EQ(s.State(), wsClosed);
    EXPECT_EQ(s.Handle(), net::kInvalidSocket);
    EXPECT_LE(clock.Elapsed() - t0, 7000u);
    // The last resort was a hard close.
    EXPECT_EQ(api.socks[api.Last()].lingers.back().seconds, 0);
}

TEST_F(CloseTest, CloseFailureIsReportedAndTheHandleForgotten) {
    TWSocket s;
    Connected(s);
    api.closeErrors.push_back(10038);
    EXPECT_EQ(Raised([&] { s.Close(); }),
              "Error 10038 in function Disconnect (closesocket)\r\nSocket operation on non-socket");
    EXPECT_EQ(s.Handle(), net::kInvalidSocket);
}

TEST_F(CloseTest, DestroyingAConnectedSocketClosesItQuietly) {
    net::TSocketHandle h;
    {
        TWSocket s;
        Record(s);
        Connected(s);
        h = api.Last();
        log.clear();
    }
    EXPECT_FALSE(api.socks[h].open);
    EXPECT_EQ(std::count(log.begin(), log.end(), "closed 0"), 0);
    api.socks[h].window = nullptr;  // the window is gone with the component
}

TEST_F(CloseTest, CloseDelayedClosesFromTheLoop) {
    TWSocket s;
    Connected(s);
    s.CloseDelayed();
    EXPECT_EQ(s.State(), wsConnected);
    ui.ProcessMessages();
    EXPECT_EQ(s.State(), wsClosed);
}

TEST_F(CloseTest, ProxyServerIsRefusedNotBypassed) {
    TWSocket s;
    s.SetSocksServer("127.0.0.9");
    s.SetAddr("127.0.0.1");
    s.SetPort("37");
    EXPECT_THROW(s.Connect(), ESocketException);
    EXPECT_EQ(std::count(api.calls.begin(), api.calls.end(), "socket"), 0);
}

}  // namespace

namespace {

// ---------------------------------------------------------------- name lookups

using LookupTest = SocketTest;

TEST_F(LookupTest, DottedAddressAnswersAtOnce) {
    TWSocket s;
    std::vector<int> done;
    s.OnDnsLookupDone = [&](TObject*, uint16_t e) { done.push_back(e); };
    s.DnsLookup("127.0.0.7");
    EXPECT_EQ(done, (std::vector<int>{0}));
    EXPECT_EQ(s.DnsResult(), "127.0.0.7");
    EXPECT_TRUE(api.lookups.empty());
}

TEST_F(LookupTest, NameLookupFillsTheListFromTheLoop) {
    TWSocket s;
    std::vector<int> done;
    s.OnDnsLookupDone = [&](TObject*, uint16_t e) { done.push_back(e); };
    api.hosts["multi.test"] = {api.InetAddr("127.0.0.2"), api.InetAddr("127.0.0.3")};
    s.DnsLookup("multi.test");
    EXPECT_TRUE(done.empty());
    api.AnswerLookup(7000);
    ui.ProcessMessages();
    EXPECT_EQ(done, (std::vector<int>{0}));
    EXPECT_EQ(s.DnsResult(), "127.0.0.2");
    EXPECT_EQ(s.DnsResultList(), (std::vector<std::string>{"127.0.0.2", "127.0.0.3"}));
}

TEST_F(LookupTest, FailedAndReverseLookups) {
    TWSocket s;
    std::vector<int> done;
    s.OnDnsLookupDone = [&](TObject*, uint16_t e) { done.push_back(e); };
    s.DnsLookup("nohost.test");
    api.AnswerLookup(7000, net::WSAHOST_NOT_FOUND_);
    ui.ProcessMessages();
    EXPECT_EQ(done, (std::vector<int>{11001}));
    EXPECT_EQ(s.DnsResult(), "");
    s.ReverseDnsLookup("127.0.0.1");
    api.AnswerLookup(7001);
    ui.ProcessMessages();
    EXPECT_EQ(s.DnsResult(), "loopback.test");
    EXPECT_EQ(s.DnsResultList().size(), 1u);
}

TEST_F(LookupTest, CancelledOrSupersededAnswersAreIgnored) {
    TWSocket s;
    std::vector<int> done;
    s.OnDnsLookupDone = [&](TObject*, uint16_t e) { done.push_back(e); };
    api.hosts["a.test"] = {api.InetAddr("127.0.0.2")};
    api.hosts["b.test"] = {api.InetAddr("127.0.0.3")};
    s.DnsLookup("a.test");
    IMessageWindow* w = api.lookups.at(7000).window;
    s.DnsLookup("b.test");  // the first request is cancelled without an event
    EXPECT_EQ(api.cancelled, (std::vector<uintptr_t>{7000}));
    w->Post(WM_ASYNCGETHOSTBYNAME, 7000, 0);  // its answer was already on its way
    api.AnswerLookup(7001);
    ui.ProcessMessages();
    EXPECT_EQ(done, (std::vector<int>{0}));
    EXPECT_EQ(s.DnsResult(), "127.0.0.3");
    s.DnsLookup("a.test");
    s.CancelDnsLookup();
    EXPECT_EQ(done, (std::vector<int>{0, 10004}));
}

TEST_F(LookupTest, EmptyNameAndRequestsThatCannotStart) {
    TWSocket s;
    std::vector<int> done;
    int errors = 0;
    s.OnDnsLookupDone = [&](TObject*, uint16_t e) { done.push_back(e); };
    s.OnError = [&](TObject*) { ++errors; };
    s.DnsLookup("");
    EXPECT_EQ(done, (std::vector<int>{10022}));
    EXPECT_EQ(errors, 1);
    s.OnError = nullptr;
    api.lookupStartError = 10055;
    EXPECT_EQ(Raised([&] { s.DnsLookup("x.test"); }), "x.test: can't start DNS lookup, error #10055");
    EXPECT_EQ(Raised([&] { s.ReverseDnsLookup("not-an-address"); }),
              "not-an-address: can't start DNS lookup, error #10022");
}

TEST_F(LookupTest, DestroyingCancelsARunningLookupQuietly) {
    std::vector<int> done;
    {
        TWSocket s;
        s.OnDnsLookupDone = [&](TObject*, uint16_t e) { done.push_back(e); };
        s.DnsLookup("slow.test");
    }
    EXPECT_EQ(api.cancelled, (std::vector<uintptr_t>{7000}));
    EXPECT_TRUE(done.empty());
}

TEST_F(LookupTest, TestHookMessageGoesToBgException) {
    TWSocket s;
    std::string seen;
    s.OnBgException = [&](TObject*, const Exception& e, bool&) { seen = e.Message(); };
    Connected(s);
    // Reach the window through a socket event's route: the library posts to it.
    api.socks[api.Last()].window->Post(WM_TRIGGER_EXCEPTION, 0, 0);
    ui.ProcessMessages();
    EXPECT_EQ(seen, "Test exception in WSocket");
    EXPECT_EQ(s.State(), wsClosed);  // CanClose stayed true: aborted
}

}  // namespace

namespace {

using CloseReentryTest = SocketTest;

TEST_F(CloseReentryTest, EventsQueuedDuringAWaitingCloseDoNotCloseTwice) {
    TWSocket s;
    Record(s);
    Connected(s);
    net::TSocketHandle h = api.Last();
    api.Notify(h, net::FD_CLOSE_);  // the peer's close is already queued
    api.closeErrors = {net::WSAEWOULDBLOCK_, 0};
    log.clear();
    s.Close();
    EXPECT_EQ(log, (std::vector<std::string>{"state 4->7", "closed 0"}));
    EXPECT_EQ(std::count(api.calls.begin(), api.calls.end(), "closesocket"), 2);
    ui.ProcessMessages();
    EXPECT_EQ(log.size(), 2u);
}

}  // namespace
