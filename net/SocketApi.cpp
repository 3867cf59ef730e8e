// The socket library in force and the count of live socket components.
#include "net/SocketApi.h"

#include <cstring>

#include "core/SysUtils.h"
#include "net/WSocket.h"

namespace net {

namespace {
ISocketApi* g_api = nullptr;
int g_live = 0;
}  // namespace

ISocketApi& SocketApi() {
    if (!g_api) throw ESocketException("Unable to load wsock32.dll Error #0");
    return *g_api;
}

void SetSocketApi(ISocketApi* api) { g_api = api; }

void SocketCreated() { ++g_live; }

void SocketDestroyed() {
    if (--g_live <= 0) {
        g_live = 0;
        if (g_api) g_api->Unload();
    }
}

int LiveSockets() { return g_live; }

uint32_t ParseDottedQuad(const std::string& text) {
    std::string t = Trim(text);
    uint8_t bytes[4] = {};
    size_t i = 0;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (i >= t.size() || t[i] != '.') return kInaddrNone;
            ++i;
        }
        size_t start = i;
        unsigned v = 0;
        while (i < t.size() && t[i] >= '0' && t[i] <= '9' && i - start < 3) v = v * 10 + static_cast<unsigned>(t[i++] - '0');
        if (i == start || v > 255) return kInaddrNone;
        bytes[part] = static_cast<uint8_t>(v);
    }
    if (i != t.size()) return kInaddrNone;
    uint32_t a;
    std::memcpy(&a, bytes, 4);
    return a;
}

std::string AddrToText(uint32_t a) {
    // The address is in network order: its first byte in memory is the first number.
    const auto* b = reinterpret_cast<const uint8_t*>(&a);
    return IntToStr(b[0]) + "." + IntToStr(b[1]) + "." + IntToStr(b[2]) + "." + IntToStr(b[3]);
}

}  // namespace net
