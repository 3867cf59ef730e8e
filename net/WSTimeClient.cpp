// The TIME client; see WSTimeClient.h.
#include "net/WSTimeClient.h"

#include <algorithm>
#include <cstring>

#include "platform/Platform.h"

TDateTime TimeProtocolToDateTime(uint32_t t) { return 2.0 + static_cast<double>(t) / 86400.0; }

TWSTimeClient::TWSTimeClient(TComponent* owner) : TWSocketExt(owner) { SetPreserveSettings(true); }

TWSTimeClient::~TWSTimeClient() { StopRequestTimer(); }

void TWSTimeClient::StopRequestTimer() {
    if (requestTimer_) platform::Ui().StopTimer(requestTimer_);
    requestTimer_ = 0;
}

void TWSTimeClient::Loaded() { SetPreserveSettings(true); }

void TWSTimeClient::GetTime() {
    if (Proto() == "tcp") {
        // A request still running is left to finish.
        if (State() != wsClosed) return;
        SetPortNumber(TimePort);
        connectError_ = 0;
        answerBytes_ = 0;
        answer_.clear();
        awaiting_ = true;
        try {
            Connect();
        } catch (...) {
            awaiting_ = false;  // the caller hears of it through the exception
            throw;
        }
        StopRequestTimer();
        requestTimer_ = platform::Ui().StartTimer(RequestTimeout, [this] {
            StopRequestTimer();
            if (State() == wsClosed) return;  // the request ended on its own
            awaiting_ = false;  // reported as a time-out, not as a closed connection
            Abort();
            if (OnRequestTimedOut) OnRequestTimedOut(this);
        });
    } else if (Proto() == "udp") {
        if (State() == wsClosed) {
            SetPortNumber(TimePort);
            Connect();
        }
        SendText("");
    }
}

void TWSTimeClient::NotifyReceiveBuffer(void* buf, int32_t count, uint16_t fromPort, const std::string& fromAddr) {
    TWSocketExt::NotifyReceiveBuffer(buf, count, fromPort, fromAddr);
    if (awaiting_ && count > 0) answerBytes_ += count;
    if (PortNumber() == TimePort && OnTime && count > 0 && buf) {
        // The four bytes may come in pieces: gather them (a datagram is whole or nothing).
        if (Proto() != "tcp") answer_.clear();
        answer_.append(static_cast<const char*>(buf), std::min<size_t>(size_t(count), 4 - answer_.size()));
        if (answer_.size() < 4) return;
        // Network order first: the first byte received is the most significant.
        uint8_t b[4];
        std::memcpy(b, answer_.data(), 4);
        answer_.clear();
        std::reverse(b, b + 4);
        uint32_t t;
        std::memcpy(&t, b, 4);
        // The answer is complete: a server that keeps the connection open must not keep
        // the request running.
        StopRequestTimer();
        awaiting_ = false;
        answerTick_ = ArrivalTick();
        if (Proto() == "tcp") Close();
        OnTime(this, TimeProtocolToDateTime(t));
    } else if (PortNumber() == DayTimePort && OnDayTime && count > 0 && buf) {
        OnDayTime(this, std::string(static_cast<const char*>(buf), static_cast<size_t>(count)));
    }
}

void TWSTimeClient::NotifySessionConnected(uint16_t error) {
    if (error) connectError_ = error;
    TWSocketExt::NotifySessionConnected(error);
}

void TWSTimeClient::NotifySessionClosed(uint16_t error) {
    TWSocketExt::NotifySessionClosed(error);
    if (!awaiting_) return;
    awaiting_ = false;
    StopRequestTimer();
    if (OnNoAnswer) OnNoAnswer(this, connectError_ ? connectError_ : error);
}
