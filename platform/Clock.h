// The clock seam: the tick count, sleeping, the local time, and setting the system clock
// (and telling the other programs about it).
// Logic that waits asks this seam for "now"; it never reads the real clock itself.
#pragma once
#include <cstdint>
#include <string>

#include "core/DateTime.h"

class IClock {
public:
    virtual ~IClock() = default;
    // Milliseconds since the system started, wrapping after 2^32 like the system's.
    virtual uint32_t TickCount() = 0;
    // Blocks the calling (user-interface) thread. Window timers do not fire meanwhile;
    // work of other threads (a dial-up service, a peer) goes on.
    virtual void Sleep(uint32_t ms) = 0;
    // The local date and time.
    virtual TDateTime Now() = 0;
    // The date and time in UTC; a clock without a time zone answers its local time.
    virtual TDateTime NowUtc() { return Now(); }
    // Sets the system clock (UTC). Returns 0 on success, else the system's error code.
    virtual uint32_t SetSystemTimeUtc(const TSystemTime& utc) = 0;
    // The system's own wording for an error code of SetSystemTimeUtc, on one line.
    virtual std::string ErrorText(uint32_t code) = 0;
    // Tells every top-level window that the system time changed (WM_TIMECHANGE), without
    // waiting for any window of another thread to handle it.
    virtual void BroadcastTimeChange() = 0;
};
