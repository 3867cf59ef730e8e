// The blocking socket service over POSIX sockets, for native builds and their tests.
#pragma once
#ifndef _WIN32
#include "platform/BlockingSocket.h"

namespace platform {
IBlockingSockets& PosixBlockingSockets();
}
#endif
