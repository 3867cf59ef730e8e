// The TIME client; see WSTimeClient.h.
#include "net/WSTimeClient.h"

#include <algorithm>
#include <cstring>

TDateTime TimeProtocolToDateTime(uint32_t t) { return 2.0 + static_cast<double>(t) / 86400.0; }

TWSTimeClient::TWSTimeClient(TComponent* owner) : TWSocketExt(owner) { SetPreserveSettings(true); }

void TWSTimeClient::Loaded() { SetPreserveSettings(true); }

void TWSTimeClient::GetTime() {
    if (Proto() == "tcp") {
        // A request still running is left to finish.
        if (State() != wsClosed) return;
        SetPortNumber(TimePort);
        Connect();
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
    if (PortNumber() == TimePort && OnTime && count >= 4 && buf) {
        // Network order first: the first byte received is the most significant.
        auto* b = static_cast<uint8_t*>(buf);
        std::reverse(b, b + 4);
        uint32_t t;
        std::memcpy(&t, b, 4);
        OnTime(this, TimeProtocolToDateTime(t));
    } else if (PortNumber() == DayTimePort && OnDayTime && count > 0 && buf) {
        OnDayTime(this, std::string(static_cast<const char*>(buf), static_cast<size_t>(count)));
    }
}
