// The blocking socket service over Winsock 1.1 (wsock32), the one the program uses.
#pragma once
#include "platform/BlockingSocket.h"

namespace platform {
IBlockingSockets& WinsockBlockingSockets();
}
