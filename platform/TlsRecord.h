// What the TLS layer decides from outside bytes and names before the system's provider sees
// them: whether a peer's first bytes can start a TLS record at all, and the name the client
// hello announces.
#pragma once
#include <cstddef>
#include <string>

// True when the first bytes a server sends can begin a TLS record: a handshake (22) or
// alert (21) record of protocol version 3.x. Judged on the bytes there are (none: true).
// A plain-text greeting ("+OK ...") is not, so a TLS client on a plain port stops at once.
// For the connection's first bytes only: later flights may start with any record type
// (ChangeCipherSpec 20 to heartbeat 24).
bool CouldStartTlsRecord(const char* data, size_t size);

// The server name the client hello carries for host: the host name itself, or nothing for
// an address literal (dotted IPv4, or IPv6 with or without brackets), which the name
// indication does not allow.
std::string ServerNameIndication(const std::string& host);
