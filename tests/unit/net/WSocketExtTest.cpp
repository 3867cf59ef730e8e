// The extended socket: numeric port, the whole-buffer event, settings that survive a close.
#include "net/WSocketExt.h"
#include "tests/unit/net/SocketFixture.h"

namespace {

using WSocketExtTest = SocketTest;

TEST_F(WSocketExtTest, PortNumberReadsOnlyWholeNumbers) {
    TWSocketExt s;
    EXPECT_EQ(s.PortNumber(), 0);
    s.SetPort("37");
    EXPECT_EQ(s.PortNumber(), 37);
    s.SetPort("time");
    EXPECT_EQ(s.PortNumber(), 0);
    s.SetPort("37x");
    EXPECT_EQ(s.PortNumber(), 0);
    s.SetPort("65573");
    EXPECT_EQ(s.PortNumber(), 0);
    s.SetPortNumber(13);
    EXPECT_EQ(s.Port(), "13");
}

TEST_F(WSocketExtTest, EverythingWaitingArrivesInOneEvent) {
    TWSocketExt s;
    std::vector<std::string> got;
    s.OnReceiveBuffer = [&](TObject*, void* buf, int32_t n, const std::string&, uint16_t) {
        got.push_back(buf ? std::string(static_cast<char*>(buf), static_cast<size_t>(n)) : "<none>");
    };
    int plain = 0;
    s.OnDataAvailable = [&](TObject*, uint16_t) { ++plain; };  // replaced by the buffer event
    Connected(s);
    api.Arrive(api.Last(), std::string("\xE9\x0B\x5C\x80", 4));
    api.Notify(api.Last(), net::FD_CLOSE_);
    ui.ProcessMessages();
    ASSERT_FALSE(got.empty());
    EXPECT_EQ(got[0], std::string("\xE9\x0B\x5C\x80", 4));
    EXPECT_EQ(plain, 0);
    EXPECT_EQ(s.State(), wsClosed);
}

TEST_F(WSocketExtTest, AFailedCountIsNotPassedOnAsALength) {
    TWSocketExt s;
    std::vector<int32_t> counts;
    s.OnReceiveBuffer = [&](TObject*, void* buf, int32_t n, const std::string&, uint16_t) {
        EXPECT_EQ(buf, nullptr);
        counts.push_back(n);
    };
    s.OnError = [](TObject*) {};
    Connected(s);
    api.ioctlError = 10038;
    api.Notify(api.Last(), net::FD_READ_);
    ui.ProcessMessages();
    EXPECT_EQ(counts, (std::vector<int32_t>{0}));
}

TEST_F(WSocketExtTest, PreservedSettingsSurviveTheClose) {
    TWSocketExt s;
    s.SetPreserveSettings(true);
    s.SetLingerTimeout(15);
    s.SetProto("tcp");
    s.SetAddr("127.0.0.1");
    s.SetPortNumber(37);
    Connected(s);
    s.Close();
    EXPECT_EQ(s.Addr(), "127.0.0.1");
    EXPECT_EQ(s.PortNumber(), 37);
    EXPECT_EQ(s.LingerTimeout(), 0);  // not among the preserved
    s.Connect();  // still assigned: no "No Port Specified"
    EXPECT_EQ(s.State(), wsConnecting);

    TWSocketExt plain;
    plain.SetAddr("127.0.0.1");
    plain.SetPort("37");
    plain.Connect();
    plain.Close();
    EXPECT_THROW(plain.Connect(), ESocketException);
}

}  // namespace
