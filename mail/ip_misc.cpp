// Network start-up and dotted-decimal address texts for the mail client.
#include "mail/ip_misc.h"

#include <cstring>

#include "core/SysUtils.h"
#include "platform/BlockingSocket.h"

namespace {
platform::IBlockingSockets* g_started = nullptr;
}

int NetworkStartup(platform::IBlockingSockets* sockets) {
    if (!sockets) sockets = &platform::SystemBlockingSockets();
    int result = sockets->Startup();
    if (result != 10022 && result != 10091 && result != 10092) g_started = sockets;
    return result;
}

void NetworkCleanup() {
    if (!g_started) return;
    g_started->Cleanup();
    g_started = nullptr;
}

bool NetworkStarted() { return g_started != nullptr; }

bool ParseDottedAddress(const std::string& text, uint32_t& address) {
    std::string t = Trim(text);
    unsigned char bytes[4];
    size_t pos = 0;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (pos >= t.size() || t[pos] != '.') return false;
            ++pos;
        }
        size_t start = pos;
        unsigned value = 0;
        while (pos < t.size() && t[pos] >= '0' && t[pos] <= '9' && pos - start < 3) {
            value = value * 10 + unsigned(t[pos] - '0');
            ++pos;
        }
        if (pos == start || value > 255) return false;
        bytes[part] = static_cast<unsigned char>(value);
    }
    if (pos != t.size()) return false;
    std::memcpy(&address, bytes, 4);
    return true;
}

std::string AddressText(uint32_t address) {
    unsigned char bytes[4];
    std::memcpy(bytes, &address, 4);
    return IntToStr(bytes[0]) + "." + IntToStr(bytes[1]) + "." + IntToStr(bytes[2]) + "." +
           IntToStr(bytes[3]);
}
