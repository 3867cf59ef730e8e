// The system's character-set conversions for decoded mail headers.
#pragma once
#include "mail/MimeDecode.h"

namespace win32 {
// Converts every character set Windows has a code page for into the program's UTF-8
// (installed through the services record, platform/Services.h).
TCharsetConverter SystemCharsetConverter();
}  // namespace win32
