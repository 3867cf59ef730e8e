// The asynchronous socket's blocking resolvers: a host, port or protocol as the user gives
// it (a number or a name) turned into what the socket library takes. Each raises
// ESocketException with the text the socket reports; none touches the library for a number.
#pragma once
#include <cstdint>
#include <string>

#include "net/SocketErrors.h"

// A host name or dotted address to an address in network order. Empty, blank or over 256
// characters is refused; a dotted address skips the system's resolver; a name that does not
// resolve is an error, and so is a dotted text the library will not take.
uint32_t WSocketResolveHost(const std::string& text);
// Leading decimal digits (up to 65535) or a service name looked up for `proto`; host order.
uint16_t WSocketResolvePort(const std::string& port, const std::string& proto);
// Leading decimal digits (up to 255) or a protocol name.
int WSocketResolveProto(const std::string& text);
// Four decimal parts 0..255 joined by "." with blanks (spaces only) around: an address to
// hand to the library rather than a name to look up. A part may have any number of digits.
bool IsDottedIP(const std::string& text);
