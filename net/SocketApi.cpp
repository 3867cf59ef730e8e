// The socket library in force and the count of live socket components.
#include "net/SocketApi.h"

#include "core/NetText.h"
#include "core/SysUtils.h"
#include "net/SocketErrors.h"

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
    uint32_t a = kInaddrNone;
    return ParseIPv4(Trim(text), a) ? a : kInaddrNone;
}

std::string AddrToText(uint32_t a) { return IPv4Text(a); }

}  // namespace net
