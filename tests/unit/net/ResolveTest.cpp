// The resolvers, the dotted-address test, the error texts and the loading of the library.
#include "tests/unit/net/SocketFixture.h"

namespace {

TEST(IsDottedIPTest, AcceptsOnlyFourPartsInRange) {
    EXPECT_TRUE(IsDottedIP("10.0.0.1"));
    EXPECT_TRUE(IsDottedIP("  10.0.0.1  "));
    EXPECT_TRUE(IsDottedIP("255.255.255.255"));
    EXPECT_FALSE(IsDottedIP("10.0.0"));
    EXPECT_FALSE(IsDottedIP("10.0.0.256"));
    EXPECT_FALSE(IsDottedIP("256.0.0.1"));
    EXPECT_FALSE(IsDottedIP(".10.0.0.1"));
    EXPECT_FALSE(IsDottedIP("10.0.0.1."));
    EXPECT_FALSE(IsDottedIP("10..0.1"));
    EXPECT_FALSE(IsDottedIP("10.0.0.1.5"));
    EXPECT_FALSE(IsDottedIP("10.0.0.1x"));
    EXPECT_FALSE(IsDottedIP("time.example"));
    EXPECT_FALSE(IsDottedIP("99999999999999999999.0.0.1"));  // no overflow into range
}

using ResolveTest = SocketTest;

TEST_F(ResolveTest, HostDottedAddressesSkipTheResolver) {
    EXPECT_EQ(net::AddrToText(WSocketResolveHost(" 10.0.0.1 ")), "10.0.0.1");
    EXPECT_EQ(WSocketResolveHost("255.255.255.255"), 0xFFFFFFFFu);
    EXPECT_EQ(api.hostLookups, 0);
}

TEST_F(ResolveTest, HostNamesAndNearMissAddressesGoToTheResolver) {
    uint32_t a = api.InetAddr("127.0.0.5");
    api.hosts["10.0.0"] = {a};
    api.hosts["time.test"] = {a, api.InetAddr("127.0.0.6")};
    EXPECT_EQ(WSocketResolveHost("10.0.0"), a);
    EXPECT_EQ(WSocketResolveHost("time.test"), a);  // the first address
    EXPECT_EQ(Raised([] { WSocketResolveHost("10.0.0.256"); }),
              "WSocketResolveHost: Cannot convert host address '10.0.0.256'");
    EXPECT_EQ(api.hostLookups, 3);
}

TEST_F(ResolveTest, HostRejectsEmptyBlankAndOverlongTexts) {
    EXPECT_EQ(Raised([] { WSocketResolveHost(""); }), "WSocketResolveHost: '' Invalid Hostname.");
    // A blank name would otherwise resolve to this very machine.
    EXPECT_EQ(Raised([] { WSocketResolveHost("   "); }), "WSocketResolveHost: '   ' Invalid Hostname.");
    std::string longName(257, 'a');
    EXPECT_EQ(Raised([&] { WSocketResolveHost(longName); }),
              "WSocketResolveHost: '" + longName + "' Invalid Hostname.");
    EXPECT_EQ(api.hostLookups, 0);
}

TEST_F(ResolveTest, Ports) {
    EXPECT_EQ(WSocketResolvePort("37", "tcp"), 37);
    EXPECT_EQ(api.servLookups, 0);
    EXPECT_EQ(WSocketResolvePort("time", "tcp"), 37);
    EXPECT_EQ(api.servLookups, 1);
    EXPECT_EQ(WSocketResolvePort("110abc", "tcp"), 110);  // leading digits
    EXPECT_EQ(Raised([] { WSocketResolvePort(std::string(32, '1'), "tcp"); }), "WSocketResolvePort: Invalid Port.");
    EXPECT_EQ(Raised([] { WSocketResolvePort("", "tcp"); }), "WSocketResolvePort: Invalid Port.");
    // Beyond 16 bits a number would quietly become another port (65573 -> 37).
    EXPECT_EQ(Raised([] { WSocketResolvePort("65573", "tcp"); }), "WSocketResolvePort: Invalid Port.");
    EXPECT_EQ(WSocketResolvePort("65535", "tcp"), 65535);
    EXPECT_EQ(Raised([] { WSocketResolvePort("nosuch", "tcp"); }), "WSocketResolvePort: Cannot convert port 'nosuch'");
}

TEST_F(ResolveTest, Protocols) {
    EXPECT_EQ(WSocketResolveProto(" tcp "), 6);
    EXPECT_EQ(WSocketResolveProto("17"), 17);
    EXPECT_EQ(Raised([] { WSocketResolveProto(""); }), "WSocketResolveProto: Invalid Protocol.");
    EXPECT_EQ(Raised([] { WSocketResolveProto("4294967302"); }), "WSocketResolveProto: Invalid Protocol.");
    EXPECT_EQ(Raised([] { WSocketResolveProto("xtp"); }), "WSocketResolveProto: Cannot convert protocol 'xtp'");
}

TEST(WinsockErrorTextTest, KnownAndUnknownCodes) {
    EXPECT_EQ(WinsockErrorText(0), "No Error");
    EXPECT_EQ(WinsockErrorText(10035), "Operation would block");
    EXPECT_EQ(WinsockErrorText(10061), "Connection refused");
    EXPECT_EQ(WinsockErrorText(11001), "Host not found");
    EXPECT_EQ(WinsockErrorText(10072), "Not a WinSock error");
    EXPECT_EQ(WinsockErrorText(-1), "Not a WinSock error");
}

TEST_F(ResolveTest, LastSocketGoneUnloadsAndTheNextLoadsAgain) {
    {
        TWSocket a, b;
        EXPECT_EQ(api.loads, 0);  // construction does not touch the library
        a.SetAddr("127.0.0.1");
        a.SetPort("37");
        a.Connect();
        EXPECT_EQ(api.loads, 1);
    }
    EXPECT_EQ(api.unloads, 1);
    EXPECT_EQ(net::LiveSockets(), 0);
    TWSocket c;
    c.SetAddr("127.0.0.1");
    c.SetPort("37");
    c.Connect();
    EXPECT_EQ(api.loads, 2);
    EXPECT_EQ(std::count(api.calls.begin(), api.calls.end(), "WSAStartup"), 2);
}

TEST(SocketLibraryTest, NoLibraryInstalledIsAnErrorButSettingsNeedNone) {
    headless::VirtualClock clock;
    headless::HeadlessUi ui(clock);
    platform::TSwapServices services([&](platform::Services& s) {
        s.asyncSockets = nullptr;
        s.ui = &ui;
    });
    EXPECT_THROW(net::SocketApi(), ESocketException);
    TWSocket s;
    s.SetProto("tcp");
    s.SetLocalAddr("0.0.0.0");
    s.SetLocalPort("0");
    s.SetLingerTimeout(15);
}

TEST(ParseDottedQuadTest, StrictFourParts) {
    EXPECT_EQ(net::AddrToText(net::ParseDottedQuad(" 127.0.0.1 ")), "127.0.0.1");
    EXPECT_EQ(net::ParseDottedQuad("255.255.255.255"), net::kInaddrNone);
    EXPECT_EQ(net::ParseDottedQuad("127.1"), net::kInaddrNone);
    EXPECT_EQ(net::ParseDottedQuad("1.2.3.256"), net::kInaddrNone);
    EXPECT_EQ(net::ParseDottedQuad("1.2.3.4.5"), net::kInaddrNone);
    EXPECT_EQ(net::ParseDottedQuad("1.2.3.0004"), net::kInaddrNone);
    EXPECT_EQ(net::ParseDottedQuad(""), net::kInaddrNone);
}

}  // namespace
