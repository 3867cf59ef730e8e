// The driver's clock commands: a one-answer TIME peer for the program to ask, and the local
// time as Wine tells it.
#include <winsock2.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "Driver.h"

namespace drv {
namespace {

// "now" as a TIME answer: the next whole second, sent as it begins, so the answer is
// within a few milliseconds of this machine's clock.
std::string TimeNow() {
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    unsigned long long t = (static_cast<unsigned long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    Sleep(static_cast<DWORD>(1000 - (t / 10000) % 1000));
    unsigned long long secs = t / 10000000 + 1 - 9435484800ull;  // 1601 to 1900
    std::string b;
    for (int shift = 24; shift >= 0; shift -= 8) b += static_cast<char>((secs >> shift) & 0xFF);
    return b;
}

}  // namespace

int TimeServe(const Call& c) {  // timeserve ADDR PORT HEXBYTES SECONDS: a one-answer TIME server
    char** argv = c.argv;
    WSADATA wsa;
    WSAStartup(MAKEWORD(1, 1), &wsa);
    SOCKET l = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<u_short>(std::atoi(argv[3])));
    a.sin_addr.s_addr = inet_addr(argv[2]);
    BOOL yes = TRUE;
    setsockopt(l, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&yes), sizeof(yes));
    if (bind(l, reinterpret_cast<sockaddr*>(&a), sizeof(a)) != 0 || listen(l, 4) != 0) {
        std::fprintf(stderr, "cannot listen on %s:%s (%d)\n", argv[2], argv[3], WSAGetLastError());
        return 1;
    }
    std::string hex = argv[4], bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) bytes += static_cast<char>(std::strtol(hex.substr(i, 2).c_str(), nullptr, 16));
    std::printf("listening\n");
    std::fflush(stdout);
    fd_set set;
    FD_ZERO(&set);
    FD_SET(l, &set);
    timeval tv{std::atoi(argv[5]), 0};
    if (select(0, &set, nullptr, nullptr, &tv) != 1) return 1;
    SOCKET s = accept(l, nullptr, nullptr);
    if (hex == "now") bytes = TimeNow();
    send(s, bytes.data(), static_cast<int>(bytes.size()), 0);
    // The moment of the answer, in ms since 1970, for tests that check the clock set.
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    unsigned long long ms = ((static_cast<unsigned long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime) / 10000;
    closesocket(s);
    closesocket(l);
    std::printf("served %llu\n", ms - 11644473600000ULL);
    return 0;
}

int LocalTime(const Call&) {
    SYSTEMTIME t;
    GetLocalTime(&t);
    std::printf("%02u:%02u:%02u\n", t.wHour, t.wMinute, t.wSecond);
    return 0;
}

}  // namespace drv
