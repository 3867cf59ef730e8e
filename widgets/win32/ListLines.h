// How list boxes show their lines: a mail line's sender and subject, stored with the
// character 7 between them, are shown in two columns.
#pragma once
#include <windows.h>

#include <string>

namespace win32 {
// The line as the list box shows it: the character 7 becomes a tab.
std::string ShownLine(const std::string& stored);
// A column wide enough for a usual sender, then every further tab one such column on.
void SetListTabStops(HWND listBox);
}  // namespace win32
