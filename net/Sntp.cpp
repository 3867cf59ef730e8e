// Network time packets and arithmetic; see Sntp.h.
#include "net/Sntp.h"

#include <cctype>
#include <cmath>

namespace sntp {
namespace {
constexpr double kTwo32 = 4294967296.0;

Timestamp ReadStamp(const uint8_t* p) {
    Timestamp t = 0;
    for (int i = 0; i < 8; ++i) t = t << 8 | p[i];
    return t;
}
void WriteStamp(uint8_t* p, Timestamp t) {
    for (int i = 7; i >= 0; --i, t >>= 8) p[i] = static_cast<uint8_t>(t);
}
}  // namespace

Timestamp FromDateTime(TDateTime utc) {
    // Day 2 is 1900-01-01. Whole milliseconds, floored, so that a time before 1900 or
    // after 2036 still lands in its place of the 2^32-second cycle.
    long long ms = std::llround((utc - 2.0) * 86400000.0);
    long long secs = ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000);
    long long rest = ms - secs * 1000;  // 0..999
    uint64_t fraction = static_cast<uint64_t>(rest) * (1ull << 32) / 1000;
    return static_cast<uint64_t>(static_cast<uint32_t>(secs)) << 32 | fraction;
}

std::array<uint8_t, kPacketSize> Request(Timestamp transmit) {
    std::array<uint8_t, kPacketSize> p{};
    p[0] = 0 << 6 | 4 << 3 | 3;  // no leap warning, version 4, mode 3 (client)
    WriteStamp(p.data() + 40, transmit);
    return p;
}

const char* VerdictText(Verdict v) {
    switch (v) {
        case Verdict::Ok: return "ok";
        case Verdict::TooShort: return "too short";
        case Verdict::NotServer: return "not a server answer";
        case Verdict::WrongOriginate: return "not our request";
        case Verdict::KissOfDeath: return "kiss-of-death";
        case Verdict::BadStratum: return "stratum above 15";
        case Verdict::Unsynchronised: return "server not synchronised";
        case Verdict::NoTransmitTime: return "no transmit time";
    }
    return "?";
}

Answer Check(const uint8_t* data, size_t size, Timestamp sent) {
    Answer a;
    if (!data || size < kPacketSize) return a;
    const int leap = data[0] >> 6, mode = data[0] & 7;
    a.stratum = data[1];
    a.receive = ReadStamp(data + 32);
    a.transmit = ReadStamp(data + 40);
    if (mode != 4)
        a.verdict = Verdict::NotServer;
    else if (ReadStamp(data + 24) != sent)
        a.verdict = Verdict::WrongOriginate;
    else if (a.stratum == 0) {
        a.verdict = Verdict::KissOfDeath;
        for (int i = 12; i < 16; ++i)
            if (data[i] >= 0x20 && data[i] < 0x7F) a.kissCode += static_cast<char>(data[i]);
    } else if (a.stratum > 15)
        a.verdict = Verdict::BadStratum;
    else if (leap == 3)
        a.verdict = Verdict::Unsynchronised;
    else if (a.transmit == 0)
        a.verdict = Verdict::NoTransmitTime;
    else
        a.verdict = Verdict::Ok;
    return a;
}

double Difference(Timestamp a, Timestamp b) { return static_cast<double>(static_cast<int64_t>(a - b)) / kTwo32; }

Measurement Measure(Timestamp t1, Timestamp t2, Timestamp t3, Timestamp t4) {
    Measurement m;
    m.offset = (Difference(t2, t1) + Difference(t3, t4)) / 2;
    m.delay = Difference(t4, t1) - Difference(t3, t2);
    return m;
}

bool IsNtpServer(const std::string& text) {
    static const char scheme[] = "ntp://";
    if (text.size() < 6) return false;
    for (size_t i = 0; i < 6; ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != scheme[i]) return false;
    return true;
}

bool ParseServer(const std::string& text, std::string& host, uint16_t& port) {
    if (!IsNtpServer(text)) return false;
    std::string rest = text.substr(6);
    if (!rest.empty() && rest.back() == '/') rest.pop_back();  // "ntp://host/" as pasted
    port = kPort;
    size_t colon = rest.rfind(':');
    if (colon != std::string::npos) {
        std::string digits = rest.substr(colon + 1);
        if (digits.empty() || digits.size() > 5) return false;
        long v = 0;
        for (char c : digits) {
            if (c < '0' || c > '9') return false;
            v = v * 10 + (c - '0');
        }
        if (v < 1 || v > 65535) return false;
        port = static_cast<uint16_t>(v);
        rest.resize(colon);
    }
    if (rest.empty() || rest.find_first_of("/ \t") != std::string::npos) return false;
    host = rest;
    return true;
}

}  // namespace sntp
