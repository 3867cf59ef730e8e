// The network-time client; see SntpClient.h.
#include "net/SntpClient.h"

#include <random>

#include "platform/Platform.h"

TSntpClient::TSntpClient(TComponent* owner) : TWSocketExt(owner) {
    SetProto("udp");
    SetPortNumber(sntp::kPort);
    SetPreserveSettings(true);
    RandomBits = [] { return static_cast<uint32_t>(std::random_device{}()); };
}

TSntpClient::~TSntpClient() { Finish(); }

void TSntpClient::Finish() {
    if (resendTimer_) platform::Ui().StopTimer(resendTimer_);
    if (boundTimer_) platform::Ui().StopTimer(boundTimer_);
    resendTimer_ = boundTimer_ = 0;
    sent_.clear();
    if (State() != wsClosed) Close();
}

void TSntpClient::GetTime() {
    if (Busy()) return;
    // The address is resolved once, here, so that the sender of an answer can be compared
    // with it and the socket does not look the name up a second time.
    server_.family = net::kAfInet;
    server_.port = net::HostToNet16(PortNumber());
    server_.addr = WSocketResolveHost(Addr());
    if (server_.port == 0) throw ESocketException("No Port Specified");
    SetAddr(net::AddrToText(server_.addr));
    if (State() != wsClosed) Close();
    Connect();  // a datagram socket: bound and ready at once
    SendRequest();
    boundTimer_ = platform::Ui().StartTimer(RequestTimeout, [this] {
        Finish();
        if (OnRequestTimedOut) OnRequestTimedOut(this);
    });
    resendTimer_ = platform::Ui().StartTimer(ResendAfter, [this] {
        platform::Ui().StopTimer(resendTimer_);
        resendTimer_ = 0;
        SendRequest();
    });
}

void TSntpClient::SendRequest() {
    // The answer must carry exactly this, random bits and all; the measurement takes it as
    // the sending time too (they move it by less than the clock's millisecond).
    const sntp::Timestamp t1 =
        sntp::WithRandomLowBits(sntp::FromDateTime(platform::Clock().NowUtc()), RandomBits ? RandomBits() : 0);
    const auto packet = sntp::Request(t1);
    sent_.push_back(t1);
    SendTo(server_, packet.data(), static_cast<int>(packet.size()));
}

void TSntpClient::NotifyReceiveBuffer(void* buf, int32_t count, uint16_t fromPort, const std::string& fromAddr) {
    // The arrival time: when the datagram's message was posted, not now. A busy user
    // interface (the progress dialog being put away) can hold the message for seconds,
    // which would count as round trip and pull the offset back by half of it.
    const uint32_t held = platform::Clock().TickCount() - ArrivalTick();
    const sntp::Timestamp t4 = sntp::FromDateTime(platform::Clock().NowUtc() - held / 86400000.0);
    TWSocketExt::NotifyReceiveBuffer(buf, count, fromPort, fromAddr);
    if (!Busy() || !buf || count < static_cast<int32_t>(sntp::kPacketSize)) return;
    if (fromPort != server_.port || fromAddr != net::AddrToText(server_.addr)) return;
    for (sntp::Timestamp t1 : std::vector<sntp::Timestamp>(sent_)) {
        sntp::Answer a = sntp::Check(static_cast<const uint8_t*>(buf), static_cast<size_t>(count), t1);
        if (a.verdict == sntp::Verdict::WrongOriginate) continue;
        if (a.verdict == sntp::Verdict::KissOfDeath) {
            Finish();
            if (OnKissOfDeath) OnKissOfDeath(this, a.kissCode);
        } else if (a.verdict == sntp::Verdict::Unsynchronised || a.verdict == sntp::Verdict::BadStratum) {
            Finish();
            if (OnUnsynchronised) OnUnsynchronised(this);
        } else if (a.verdict == sntp::Verdict::Ok) {
            Finish();
            sntp::Measurement m = sntp::Measure(t1, a.receive, a.transmit, t4);
            if (OnOffset) OnOffset(this, m.offset, m.delay);
        }
        return;  // no transmit time: dropped, the request waits on
    }
}
