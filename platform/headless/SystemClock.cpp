// The host's clock; see SystemClock.h.
#include "platform/headless/SystemClock.h"

#include <chrono>
#include <ctime>
#include <thread>

namespace headless {

uint32_t SystemClock::TickCount() {
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch());
    return static_cast<uint32_t>(ms.count());
}

void SystemClock::Sleep(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

TDateTime SystemClock::Now() {
    std::time_t t = std::time(nullptr);
    std::tm local = *std::localtime(&t);  // the user-interface thread's only
    return EncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) +
           EncodeTime(local.tm_hour, local.tm_min, local.tm_sec, 0);
}

}  // namespace headless
