// Network helpers of the mail client: starting and stopping the sockets library for the
// program's run, dotted-decimal addresses and their text.
#pragma once
#include <cstdint>
#include <string>

namespace platform {
class IBlockingSockets;
}

// Starts Winsock 1.1 through the given service (the system's when none is given) and
// remembers the start unless the library refused it (10022, 10091, 10092). Returns the
// library's result.
int NetworkStartup(platform::IBlockingSockets* sockets = nullptr);
// At program end: when the start was remembered, cancels any blocking call and cleans up.
void NetworkCleanup();
bool NetworkStarted();

// A text of four decimal parts 0..255 joined by "." (surrounding blanks allowed): stores
// the address in network byte order and returns true. Anything else is a name to look up.
bool ParseDottedAddress(const std::string& text, uint32_t& address);
// The four bytes of a network-order address, most significant first, joined by ".".
std::string AddressText(uint32_t address);
