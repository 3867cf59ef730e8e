// The TIME client: asks a server of the TIME protocol (TCP port 37) for its count of
// seconds since 1900-01-01 00:00 UTC and hands it on as a date-time; a DAYTIME answer
// (port 13) is handed on as the text received.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "core/DateTime.h"
#include "net/WSocketExt.h"

using TTimeEvent = std::function<void(TObject* Sender, TDateTime DateTime)>;
using TDayTimeEvent = std::function<void(TObject* Sender, const std::string& DateTime)>;

constexpr uint16_t TimePort = 37;
constexpr uint16_t DayTimePort = 13;

// The date-time of a TIME answer: t seconds after 1900-01-01 00:00, which is day 2.
TDateTime TimeProtocolToDateTime(uint32_t t);

class TWSTimeClient : public TWSocketExt {
public:
    explicit TWSTimeClient(TComponent* owner = nullptr);
    ~TWSTimeClient() override;
    // After the stored properties are read: the settings always survive a close.
    void Loaded();
    // Asks for the time: connects to port 37 when no request is running ("tcp"), or sends
    // an empty request ("udp"). Raises ESocketException when the connection cannot start.
    // A TCP request that has no answer RequestTimeout milliseconds after it started (a
    // server that accepts and then says nothing, or never closes) is aborted and reported
    // through OnRequestTimedOut, so that the next GetTime starts afresh.
    void GetTime();
    TTimeEvent OnTime;
    TDayTimeEvent OnDayTime;
    TNotifyEvent OnRequestTimedOut;
    // A TCP request that ended without a whole answer: the connection refused, or closed
    // before four bytes came. The error is Winsock's code, 0 for a plain close.
    std::function<void(TObject* Sender, int Error)> OnNoAnswer;
    // How many bytes the last TCP request received before it ended (fewer than four: too short).
    int32_t AnswerBytes() const { return answerBytes_; }
    // The tick count (clock seam) at which the latest answer arrived: when the system
    // reported its bytes, or when they were read where the system does not say. OnTime's
    // handler adds the time passed since then, so that what the window did in between
    // (hiding a window can take seconds) does not put the clock behind.
    uint32_t AnswerTick() const { return answerTick_; }
    uint32_t RequestTimeout = 30000;

protected:
    void NotifyReceiveBuffer(void* buf, int32_t count, uint16_t fromPort, const std::string& fromAddr) override;
    void NotifySessionConnected(uint16_t error) override;
    void NotifySessionClosed(uint16_t error) override;

private:
    void StopRequestTimer();
    uintptr_t requestTimer_ = 0;
    bool awaiting_ = false;  // a TCP request runs and has had no answer yet
    uint16_t connectError_ = 0;
    int32_t answerBytes_ = 0;
    uint32_t answerTick_ = 0;
    std::string answer_;  // the bytes of the TIME answer so far: it may come in pieces
};
