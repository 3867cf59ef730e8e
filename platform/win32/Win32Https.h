// The Win32 backends of the sign-in's services: WinHTTP for the token requests, CNG random
// bytes and DPAPI protection for the user (see platform/Https.h, platform/Crypto.h).
#pragma once
#include "platform/Crypto.h"
#include "platform/Https.h"

namespace platform {
IHttps& Win32Https();
ICrypto& Win32Crypto();
}  // namespace platform
