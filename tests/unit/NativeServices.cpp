// Installs the native services before each test; see NativeServices.h.
#include "tests/unit/NativeServices.h"

#include <gtest/gtest.h>

#include "platform/headless/PosixSocket.h"
#include "platform/headless/SystemClock.h"

const platform::Services& NativeServices() {
    static headless::SystemClock clock;
    static const platform::Services services{.clock = &clock, .blockingSockets = &platform::PosixBlockingSockets()};
    return services;
}

namespace {
// Before each test (and so before its fixture), whatever an earlier test left is replaced.
class NativeServicesFirst : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { platform::Install(NativeServices()); }
};
const bool kListening = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new NativeServicesFirst);
    return true;
}();
}  // namespace
