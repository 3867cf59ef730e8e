// List box lines with columns.
#include "widgets/win32/ListLines.h"

#include <algorithm>

namespace win32 {

std::string ShownLine(const std::string& stored) {
    std::string s = stored;
    std::replace(s.begin(), s.end(), '\a', '\t');
    return s;
}

void SetListTabStops(HWND listBox) {
    int every = 120;  // dialog units, about 30 characters
    SendMessageW(listBox, LB_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&every));
}

}  // namespace win32
