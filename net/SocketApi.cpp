// The socket library in force and the count of live socket components.
#include "net/SocketApi.h"

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

std::string AddrToText(uint32_t a) {
    // The address is in network order: its first byte in memory is the first number.
    const auto* b = reinterpret_cast<const uint8_t*>(&a);
    return IntToStr(b[0]) + "." + IntToStr(b[1]) + "." + IntToStr(b[2]) + "." + IntToStr(b[3]);
}

}  // namespace net
