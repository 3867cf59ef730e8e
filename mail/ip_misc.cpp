// Network start-up and dotted-decimal address texts for the mail client.
#include "mail/ip_misc.h"

#include "core/NetText.h"
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

bool ParseDottedAddress(const std::string& text, uint32_t& address) { return ParseIPv4(Trim(text), address); }

std::string AddressText(uint32_t address) { return IPv4Text(address); }
