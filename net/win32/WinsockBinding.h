// The real socket library for the asynchronous socket: wsock32.dll from the system
// directory, loaded on first use and started for version 1.1, each entry point looked up
// the first time it is called. Unloaded when the last socket component goes, and at exit.
#pragma once
#include "net/SocketApi.h"

namespace net::win32 {

// The process's one binding (the program's entry installs it in the services record).
ISocketApi& Winsock();
// Whether wsock32.dll is loaded by the binding right now (for tests).
bool WinsockLoaded();

}  // namespace net::win32
