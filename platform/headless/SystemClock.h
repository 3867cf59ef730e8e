// The host's own clock for native programs that talk to real peers (the mail client's
// tests against loopback servers, the benchmark): a monotonic tick count, real sleeps and
// the local time. It never sets the system clock: SetSystemTimeUtc refuses (1314).
#pragma once
#include "platform/Clock.h"

namespace headless {
class SystemClock : public IClock {
public:
    uint32_t TickCount() override;
    void Sleep(uint32_t ms) override;
    TDateTime Now() override;
    uint32_t SetSystemTimeUtc(const TSystemTime&) override { return 1314; }
    std::string ErrorText(uint32_t code) override { return "System error " + std::to_string(code) + "."; }
    void BroadcastTimeChange() override {}
};
}  // namespace headless
