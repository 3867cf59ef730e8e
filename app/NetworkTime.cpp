// Setting the computer clock from a network-time server (a time server given as
// "ntp://host[:port]"): the request starts here, and the clock is set from the measured
// offset when the answer arrives. The TIME side is in ClockAdjust.cpp.
#include <cmath>
#include <string>

#include "app/Main_F.h"
#include "core/HelpContexts.h"
#include "platform/Platform.h"
#include "settings/IniLang.h"

namespace {
// An offset in seconds as signed whole milliseconds: "+2500 ms", "-12 ms".
std::string MillisecondsMoved(double seconds) {
    long long ms = std::llround(seconds * 1000.0);
    return (ms < 0 ? "-" : "+") + std::to_string(ms < 0 ? -ms : ms) + " ms";
}
}  // namespace

// Runs inside AdjustClock, which shows the progress dialog around it and puts it away.
void TMainForm::AskNetworkTime(const std::string& server) {
    if (SntpClient1.Busy()) return;  // the running request is left to finish
    std::string host;
    uint16_t port = 0;
    if (!sntp::ParseServer(server, host, port)) return ShowTimeServerDown();
    try {
        SntpClient1.SetAddr(host);
        ntpHost_ = host;
        SntpClient1.SetPortNumber(port);
        SntpClient1.GetTime();
    } catch (const ESocketException&) {
        ShowTimeServerDown();
    }
}

// The answer: the clock is set to now plus the server's offset, "now" read at this moment,
// so that whatever ran since the answer arrived is not lost. A refused change is said as
// for TIME, with the system's reason.
void TMainForm::SntpClient1Offset(TObject*, double Offset, double) {
    TDateTime target = platform::Clock().NowUtc() + Offset / 86400.0;
    if (!ClockStepAgreed(target)) return;
    SetClockTo(target, MillisecondsMoved(Offset), ntpHost_);
}
