// The network-time client: one SNTP request over UDP through the asynchronous socket, the
// answer checked and turned into the clock's offset. Bounded like the TIME client: one
// request at a time, resent once when no answer came, given up after a fixed time.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "net/Sntp.h"
#include "net/WSocketExt.h"

// Offset: seconds to add to the clock "now" (at the moment the handler runs); Delay: the
// round trip, seconds. Fired once per request, as the answer arrives.
using TSntpOffsetEvent = std::function<void(TObject* Sender, double Offset, double Delay)>;
// A kiss-of-death: the server refuses to serve us; Code is its four-letter reason.
using TSntpKissEvent = std::function<void(TObject* Sender, const std::string& Code)>;

class TSntpClient : public TWSocketExt {
public:
    explicit TSntpClient(TComponent* owner = nullptr);
    ~TSntpClient() override;
    // Asks the server named by Addr on port PortNumber (set both first). Nothing happens
    // while a request runs. Raises ESocketException when the name does not resolve or the
    // socket cannot be opened. Without an answer after ResendAfter ms the request is sent
    // once more (with a new transmit time; an answer to either is taken); without one after
    // RequestTimeout ms the request ends and OnRequestTimedOut is fired.
    void GetTime();
    bool Busy() const { return !sent_.empty(); }

    TSntpOffsetEvent OnOffset;
    TSntpKissEvent OnKissOfDeath;
    // The server answered but says its own clock is not synchronised (leap indicator 3, or
    // stratum above 15): there is no time to take from it, and no point waiting on.
    TNotifyEvent OnUnsynchronised;
    TNotifyEvent OnRequestTimedOut;
    // The random bits of each transmit time (see sntp::WithRandomLowBits); the system's
    // random source unless a test sets another.
    std::function<uint32_t()> RandomBits;
    uint32_t ResendAfter = 5000;
    uint32_t RequestTimeout = 30000;

protected:
    // Datagrams that are too short, come from another address or port, answer another
    // request or carry no transmit time are dropped; the request goes on waiting. A
    // kiss-of-death or an unsynchronised server's answer ends it.
    void NotifyReceiveBuffer(void* buf, int32_t count, uint16_t fromPort, const std::string& fromAddr) override;

private:
    void SendRequest();
    void Finish();
    std::vector<sntp::Timestamp> sent_;  // transmit times of this request's datagrams
    net::SockAddrIn server_;
    uintptr_t resendTimer_ = 0, boundTimer_ = 0;
};
