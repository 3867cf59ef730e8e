// The simulated dial-up service's thread, as background work on the virtual clock (for the
// unit tests and the fuzz programs alike).
#pragma once
#include <functional>
#include <utility>

#include "dialup/SimulatedRas.h"
#include "platform/headless/Headless.h"

namespace dialup_test {
class VirtualScheduler : public ras::ISimScheduler {
public:
    explicit VirtualScheduler(headless::VirtualClock& c) : clock_(c) {}
    void After(uint32_t ms, std::function<void()> work) override { clock_.RunBackground(ms, std::move(work)); }
    void Wait(uint32_t ms) override { clock_.Sleep(ms); }

private:
    headless::VirtualClock& clock_;
};
}  // namespace dialup_test
