// The system's character-set conversions for decoded mail headers.
#pragma once

namespace win32 {
// Makes MimeDecode convert every character set Windows has a code page for into the
// program's ANSI code page.
void InstallSystemCharsets();
}  // namespace win32
