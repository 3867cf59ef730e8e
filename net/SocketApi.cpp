// The socket library in force and the count of live socket components.
#include "net/SocketApi.h"

#include "core/NetText.h"
#include "core/SysUtils.h"
#include "net/SocketErrors.h"
#include "platform/Services.h"

namespace net {

namespace {
int g_live = 0;
}  // namespace

ISocketApi& SocketApi() {
    ISocketApi* api = platform::Installed().asyncSockets;
    if (!api) throw ESocketException("Unable to load wsock32.dll Error #0");
    return *api;
}

void SocketCreated() { ++g_live; }

void SocketDestroyed() {
    if (--g_live <= 0) {
        g_live = 0;
        if (ISocketApi* api = platform::Installed().asyncSockets) api->Unload();
    }
}

int LiveSockets() { return g_live; }

uint32_t ParseDottedQuad(const std::string& text) {
    uint32_t a = kInaddrNone;
    return ParseIPv4(Trim(text), a) ? a : kInaddrNone;
}

std::string AddrToText(uint32_t a) { return IPv4Text(a); }

}  // namespace net
