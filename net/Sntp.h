// Network time (SNTP, client side): the request, the checks an answer must pass, and the
// clock offset and round-trip delay from the four timestamps. Pure functions; the socket
// side is TSntpClient (net/SntpClient.h).
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/DateTime.h"

namespace sntp {

constexpr uint16_t kPort = 123;
constexpr size_t kPacketSize = 48;  // an answer may be longer (extension fields, a MAC)

// A 64-bit network timestamp: seconds since 1900-01-01 00:00 UTC in the high 32 bits,
// fractions of a second in the low 32. The seconds wrap every 2^32 s (the first time on
// 2036-02-07 06:28:16 UTC); the era is not sent, so differences are taken modulo 2^64.
using Timestamp = uint64_t;

// The timestamp of a UTC date-time (ms precision), folded into its era.
Timestamp FromDateTime(TDateTime utc);

// The bits of a timestamp below our clock's millisecond. A request's transmit time carries
// random bits there, so that someone who does not see the request cannot forge an answer
// by guessing its originate time; the time it says is still right to the millisecond.
constexpr Timestamp kBelowMillisecond = (Timestamp{1} << 22) - 1;  // 2^22 / 2^32 s < 1 ms
inline Timestamp WithRandomLowBits(Timestamp t, uint32_t random) {
    return (t & ~kBelowMillisecond) | (random & kBelowMillisecond);
}

// A request in client mode, version 4, with `transmit` as its transmit time; all else zero.
std::array<uint8_t, kPacketSize> Request(Timestamp transmit);

enum class Verdict {
    Ok,
    TooShort,        // fewer than 48 bytes
    NotServer,       // mode is not 4 (server)
    WrongOriginate,  // not the answer to the request we sent
    KissOfDeath,     // stratum 0: the server tells us to go away; `kissCode` says why
    BadStratum,      // stratum 16 or more: the server is not synchronised
    Unsynchronised,  // leap indicator 3: the server's clock is not synchronised
    NoTransmitTime,  // transmit time zero
};
const char* VerdictText(Verdict v);

struct Answer {
    Verdict verdict = Verdict::TooShort;
    int stratum = 0;
    std::string kissCode;  // the four ASCII letters of a kiss-of-death, printable only
    Timestamp receive = 0, transmit = 0;  // the server's T2 and T3
};

// Checks an answer to the request whose transmit time was `sent`, in the order above:
// only an answer that carries our own originate time can be a kiss-of-death.
Answer Check(const uint8_t* data, size_t size, Timestamp sent);

// a - b in seconds, for timestamps within 68 years of each other, across an era change.
double Difference(Timestamp a, Timestamp b);

struct Measurement {
    double offset = 0;  // seconds to add to our clock
    double delay = 0;   // round trip, seconds
};
// T1 our transmit, T2 the server's receive, T3 its transmit, T4 our arrival:
// offset = ((T2 - T1) + (T3 - T4)) / 2, delay = (T4 - T1) - (T3 - T2).
Measurement Measure(Timestamp t1, Timestamp t2, Timestamp t3, Timestamp t4);

// A time-server text naming a network-time server: "ntp://host" or "ntp://host:port"
// (the scheme in any case). False for any other text, which names a TIME server.
bool IsNtpServer(const std::string& text);
// Splits an ntp:// text into host and port (123 when none is given). False when the host
// is empty or the port is not a number from 1 to 65535.
bool ParseServer(const std::string& text, std::string& host, uint16_t& port);

}  // namespace sntp
