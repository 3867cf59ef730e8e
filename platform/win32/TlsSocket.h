// TLS for the blocking sockets through the system's security provider (the schannel
// package behind the security support provider interface), bound at run time from the
// system directory: where it is missing, TLS fails and everything else works.
#pragma once
#include "platform/BlockingSocket.h"

namespace platform {
// See IBlockingSockets::StartTls.
std::unique_ptr<IBlockingSocket> StartSystemTls(std::unique_ptr<IBlockingSocket> plain, const std::string& host,
                                                int timeoutMs, TTlsPeer& peer);
}  // namespace platform
