// Network time: the packet checks, the offset arithmetic across the 2036 era change, the
// server text, and the client's resend, bound and filtering over the scripted sockets.
#include <cmath>

#include "net/Sntp.h"
#include "net/SntpClient.h"
#include "net/WSTimeClient.h"
#include "tests/unit/net/SocketFixture.h"

namespace {

using sntp::Timestamp;
using sntp::Verdict;

// `seconds` after `base`, wrapping as the 64-bit timestamps do.
Timestamp At(Timestamp base, double seconds) {
    return base + static_cast<uint64_t>(std::llround(seconds * 4294967296.0));
}
constexpr Timestamp kRollover = 0;                          // 2036-02-07 06:28:16 UTC, era 1
constexpr Timestamp k2022 = uint64_t{0xE66E4E00u} << 32;    // 2022-07-05 05:43:28 UTC

void Put(std::string& p, size_t at, Timestamp t) {
    for (int i = 7; i >= 0; --i, t >>= 8) p[at + i] = static_cast<char>(t & 0xFF);
}
// A server answer: byte 0 (leap, version, mode), stratum, originate, receive, transmit.
std::string Reply(Timestamp originate, Timestamp t2, Timestamp t3, uint8_t first = 0x24, uint8_t stratum = 2,
                  size_t size = 48) {
    std::string p(size, '\0');
    p[0] = static_cast<char>(first);
    p[1] = static_cast<char>(stratum);
    p.replace(12, 4, "RATE");
    Put(p, 24, originate);
    Put(p, 32, t2);
    Put(p, 40, t3);
    return p;
}
sntp::Answer CheckText(const std::string& p, Timestamp sent) {
    return sntp::Check(reinterpret_cast<const uint8_t*>(p.data()), p.size(), sent);
}

TEST(SntpPacket, RequestAndTimestampsOfDates) {
    EXPECT_EQ(sntp::FromDateTime(2.0), 0u);
    EXPECT_EQ(sntp::FromDateTime(TimeProtocolToDateTime(0xE66E4E00u)), k2022);
    EXPECT_EQ(sntp::FromDateTime(TimeProtocolToDateTime(0xE66E4E00u) + 0.5 / 86400), k2022 | 0x80000000u);
    // 2036-02-07 06:28:16 starts era 1 at zero; half a second before it is the era's end.
    const TDateTime rollover = 2.0 + 4294967296.0 / 86400;
    EXPECT_EQ(sntp::FromDateTime(rollover), 0u);
    EXPECT_EQ(sntp::FromDateTime(rollover - 0.5 / 86400), 0xFFFFFFFF80000000u);

    auto p = sntp::Request(0x0102030405060708u);
    EXPECT_EQ(p[0], 0x23);  // version 4, client
    for (size_t i = 1; i < 40; ++i) EXPECT_EQ(p[i], 0) << i;
    EXPECT_EQ(p[40], 1);
    EXPECT_EQ(p[47], 8);
}

TEST(SntpPacket, EachMalformedAnswerIsRefused) {
    const Timestamp sent = At(k2022, 0.25), t2 = At(k2022, 1), t3 = At(k2022, 1.5);
    struct Case {
        const char* what;
        std::string packet;
        Verdict verdict;
    } cases[] = {
        {"good", Reply(sent, t2, t3), Verdict::Ok},
        {"with a MAC", Reply(sent, t2, t3, 0x24, 2, 68), Verdict::Ok},
        {"leap warning, stratum 15", Reply(sent, t2, t3, 0x64, 15), Verdict::Ok},
        {"47 bytes", Reply(sent, t2, t3).substr(0, 47), Verdict::TooShort},
        {"client mode", Reply(sent, t2, t3, 0x23), Verdict::NotServer},
        {"broadcast mode", Reply(sent, t2, t3, 0x25), Verdict::NotServer},
        {"other originate", Reply(sent + 1, t2, t3), Verdict::WrongOriginate},
        {"kiss-of-death", Reply(sent, t2, t3, 0x24, 0), Verdict::KissOfDeath},
        {"stratum 16", Reply(sent, t2, t3, 0x24, 16), Verdict::BadStratum},
        {"unsynchronised", Reply(sent, t2, t3, 0xE4), Verdict::Unsynchronised},
        {"no transmit time", Reply(sent, t2, 0), Verdict::NoTransmitTime},
        // A kiss from someone who never saw our request is only a stray packet.
        {"kiss for another request", Reply(sent + 1, t2, t3, 0x24, 0), Verdict::WrongOriginate},
    };
    for (const Case& c : cases) {
        sntp::Answer a = CheckText(c.packet, sent);
        EXPECT_EQ(a.verdict, c.verdict) << c.what << ": " << sntp::VerdictText(a.verdict);
        if (a.verdict == Verdict::Ok) {
            EXPECT_EQ(a.receive, t2);
            EXPECT_EQ(a.transmit, t3);
        }
    }
    EXPECT_EQ(CheckText(Reply(sent, t2, t3, 0x24, 0), sent).kissCode, "RATE");
    EXPECT_EQ(sntp::Check(nullptr, 48, sent).verdict, Verdict::TooShort);
}

TEST(SntpPacket, OffsetAndDelayFromTheFourTimestamps) {
    struct Case {
        const char* what;
        Timestamp base;
        double t1, t2, t3, t4, offset, delay;
    } cases[] = {
        {"server ahead", k2022, 0, 10.05, 10.06, 0.11, 10.0, 0.10},
        {"server behind", k2022, 0, -3599.98, -3599.97, 0.05, -3600.0, 0.04},
        {"we before the rollover, server after", kRollover, -1, 9.05, 9.06, -0.89, 10.0, 0.10},
        {"we after the rollover, server before", kRollover, 5, -3594.98, -3594.97, 5.05, -3600.0, 0.04},
        {"a false time decades ahead", k2022, 0, 1.0e9, 1.0e9, 0, 1.0e9, 0},
    };
    for (const Case& c : cases) {
        sntp::Measurement m = sntp::Measure(At(c.base, c.t1), At(c.base, c.t2), At(c.base, c.t3), At(c.base, c.t4));
        EXPECT_NEAR(m.offset, c.offset, 1e-6) << c.what;
        EXPECT_NEAR(m.delay, c.delay, 1e-6) << c.what;
    }
}

TEST(SntpPacket, ServerTexts) {
    struct Case {
        const char* text;
        bool ok;
        const char* host;
        uint16_t port;
    } cases[] = {
        {"ntp://pool.example", true, "pool.example", 123},
        {"NTP://127.0.0.8:12300", true, "127.0.0.8", 12300},
        {"ntp://pool.example/", true, "pool.example", 123},
        {"ntp://", false, "", 0},
        {"ntp://:123", false, "", 0},
        {"ntp://h:", false, "", 0},
        {"ntp://h:0", false, "", 0},
        {"ntp://h:65536", false, "", 0},
        {"ntp://h:12x", false, "", 0},
        {"ntp://h/x", false, "", 0},
        {"time.example", false, "", 0},
        {"ntp:/time.example", false, "", 0},
    };
    for (const Case& c : cases) {
        std::string host;
        uint16_t port = 0;
        EXPECT_EQ(sntp::ParseServer(c.text, host, port), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(host, c.host);
            EXPECT_EQ(port, c.port);
        }
    }
    EXPECT_TRUE(sntp::IsNtpServer("Ntp://x"));
    EXPECT_FALSE(sntp::IsNtpServer("ntpx"));
}

class SntpClientTest : public SocketTest {
protected:
    SntpClientTest() {
        client.SetAddr("127.0.0.8");
        client.SetPortNumber(12300);
        client.OnOffset = [this](TObject*, double o, double d) { offsets.push_back({o, d}); };
        client.OnKissOfDeath = [this](TObject*, const std::string& code) { kisses.push_back(code); };
        client.OnUnsynchronised = [this](TObject*) { kisses.push_back("unsynchronised"); };
        client.OnRequestTimedOut = [this](TObject*) { ++timeouts; };
    }
    // The transmit time of the i-th datagram the client sent.
    Timestamp Sent(size_t i) {
        const std::string& s = api.socks.at(api.Last()).sent;
        Timestamp t = 0;
        for (size_t k = 0; k < 8; ++k) t = t << 8 | static_cast<uint8_t>(s.at(48 * i + 40 + k));
        return t;
    }
    size_t Datagrams() { return api.socks.at(api.Last()).sent.size() / 48; }
    void Deliver(const std::string& bytes, const char* from = "127.0.0.8", uint16_t port = 12300) {
        auto& k = api.socks.at(api.Last());
        k.from.addr = api.InetAddr(from);
        k.from.port = net::HostToNet16(port);
        api.Arrive(api.Last(), bytes);
        ui.ProcessMessages();
    }
    TSntpClient client;
    std::vector<std::pair<double, double>> offsets;
    std::vector<std::string> kisses;
    int timeouts = 0;
};

TEST_F(SntpClientTest, OneDatagramAskedAndTheAnswerGivesTheOffset) {
    client.RandomBits = [] { return 0xFFABCDEFu; };
    client.GetTime();
    client.GetTime();  // one request at a time
    EXPECT_EQ(api.socks.size(), 1u);
    auto& k = api.socks.at(api.Last());
    EXPECT_EQ(k.type, net::kSockDgram);
    ASSERT_EQ(k.sentTo.size(), 1u);
    EXPECT_EQ(k.sentTo[0].port, net::HostToNet16(12300));
    EXPECT_EQ(net::AddrToText(k.sentTo[0].addr), "127.0.0.8");
    const Timestamp t1 = Sent(0);
    EXPECT_EQ(t1, (sntp::FromDateTime(clock.NowUtc()) & ~sntp::kBelowMillisecond) | 0x2BCDEFu);
    clock.Advance(20);  // the round trip; the server is 100 s ahead and takes no time
    Deliver(Reply(t1, At(t1, 100.010), At(t1, 100.010)));
    ASSERT_EQ(offsets.size(), 1u);
    EXPECT_NEAR(offsets[0].first, 100.0, 1e-3);
    EXPECT_NEAR(offsets[0].second, 0.020, 1e-3);
    EXPECT_FALSE(client.Busy());
    EXPECT_EQ(client.State(), wsClosed);
    clock.Advance(60000);
    EXPECT_EQ(timeouts, 0);
}

// The answer waits 2 s in the queue behind a busy user interface: it arrived when it was
// posted, so neither the offset nor the delay grows by that wait.
TEST_F(SntpClientTest, TheArrivalIsWhenTheAnswerWasPostedNotWhenItIsHandled) {
    client.GetTime();
    const Timestamp t1 = Sent(0);
    clock.Advance(20);
    auto& k = api.socks.at(api.Last());
    k.from.addr = api.InetAddr("127.0.0.8");
    k.from.port = net::HostToNet16(12300);
    api.Arrive(api.Last(), Reply(t1, At(t1, 100.010), At(t1, 100.010)));
    clock.Sleep(2000);
    ui.ProcessMessages();
    ASSERT_EQ(offsets.size(), 1u);
    EXPECT_NEAR(offsets[0].first, 100.0, 1e-3);
    EXPECT_NEAR(offsets[0].second, 0.020, 1e-3);
}

TEST_F(SntpClientTest, StrayAndBadDatagramsAreDroppedAndTheRequestWaitsOn) {
    client.GetTime();
    const Timestamp t1 = Sent(0), t2 = At(t1, 5), t3 = At(t1, 5);
    struct Case {
        const char* what;
        std::string packet;
        const char* from;
        uint16_t port;
    } cases[] = {
        {"short", Reply(t1, t2, t3).substr(0, 47), "127.0.0.8", 12300},
        {"other address", Reply(t1, t2, t3), "127.0.0.9", 12300},
        {"other port", Reply(t1, t2, t3), "127.0.0.8", 123},
        {"other request", Reply(t1 ^ 1, t2, t3), "127.0.0.8", 12300},
        {"no transmit time", Reply(t1, t2, 0), "127.0.0.8", 12300},
    };
    for (const Case& c : cases) {
        Deliver(c.packet, c.from, c.port);
        EXPECT_TRUE(offsets.empty()) << c.what;
        EXPECT_TRUE(client.Busy()) << c.what;
    }
    Deliver(Reply(t1, t2, t3));
    EXPECT_EQ(offsets.size(), 1u);
}

TEST_F(SntpClientTest, ResentOnceAfterFiveSecondsAndGivenUpAfterThirty) {
    client.GetTime();
    clock.Advance(4999);
    EXPECT_EQ(Datagrams(), 1u);
    clock.Advance(1);
    ASSERT_EQ(Datagrams(), 2u);
    EXPECT_NE(Sent(1), Sent(0));  // a new transmit time, with new random bits below the ms
    EXPECT_NE(Sent(1) & sntp::kBelowMillisecond, Sent(0) & sntp::kBelowMillisecond);
    clock.Advance(24999);
    EXPECT_EQ(timeouts, 0);
    EXPECT_EQ(Datagrams(), 2u);
    clock.Advance(1);
    EXPECT_EQ(timeouts, 1);
    EXPECT_FALSE(client.Busy());
    EXPECT_EQ(client.State(), wsClosed);

    // The next request starts afresh, and a late answer to its first datagram still counts.
    client.GetTime();
    const Timestamp first = Sent(0);
    clock.Advance(6000);
    ASSERT_EQ(Datagrams(), 2u);
    Deliver(Reply(first, At(first, 1), At(first, 1)));
    ASSERT_EQ(offsets.size(), 1u);
    EXPECT_NEAR(offsets[0].second, 6.0, 1e-3);
    clock.Advance(60000);
    EXPECT_EQ(timeouts, 1);
}

// A refusal, or a server whose own clock is not set, is told at once: no 30 s wait.
TEST_F(SntpClientTest, AKissOfDeathOrAnUnsynchronisedServerEndsTheRequestWithoutAnOffset) {
    struct Case {
        uint8_t first, stratum;
        const char* told;
    } cases[] = {{0xE4, 0, "RATE"}, {0xE4, 2, "unsynchronised"}, {0x24, 16, "unsynchronised"}};
    for (const Case& c : cases) {
        kisses.clear();
        client.GetTime();
        const Timestamp t1 = Sent(Datagrams() - 1);
        Deliver(Reply(t1, At(t1, 1), At(t1, 1), c.first, c.stratum));
        EXPECT_EQ(kisses, (std::vector<std::string>{c.told})) << c.told;
        EXPECT_FALSE(client.Busy());
    }
    EXPECT_TRUE(offsets.empty());
    clock.Advance(60000);
    EXPECT_EQ(timeouts, 0);
}

TEST_F(SntpClientTest, AnUnknownNameRaisesAndLeavesNothingRunning) {
    client.SetAddr("nowhere.example");
    EXPECT_THROW(client.GetTime(), ESocketException);
    EXPECT_FALSE(client.Busy());
    clock.Advance(60000);
    EXPECT_EQ(timeouts, 0);
}

}  // namespace
