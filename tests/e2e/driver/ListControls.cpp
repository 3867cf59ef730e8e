// The end-to-end driver's commands for list-like controls of another process: choosing a
// combo-box item, typing into an edit box, reading and selecting list-view rows.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "WindowText.h"

using drv::Children;
using drv::ClassOf;

namespace {

// The Nth (from 1) child of a window class, in creation order.
HWND NthChild(HWND top, const char* cls, int n) {
    for (HWND c : Children(top))
        if (_stricmp(ClassOf(c).c_str(), cls) == 0 && --n == 0) return c;
    return nullptr;
}

// Sends a list-view message whose lParam is an LVITEMA, with the record and its text
// buffer made in the program's process; returns the text the control left in the buffer.
std::string RemoteListViewItem(HWND lv, UINT msg, WPARAM w, const LVITEMA& in) {
    DWORD pid = 0;
    GetWindowThreadProcessId(lv, &pid);
    HANDLE proc = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!proc) return "";
    const SIZE_T textSize = 1024, size = sizeof(LVITEMA) + textSize;
    char* remote = static_cast<char*>(VirtualAllocEx(proc, nullptr, size, MEM_COMMIT, PAGE_READWRITE));
    std::string text;
    if (remote) {
        std::vector<char> block(size, 0);
        LVITEMA item = in;
        item.pszText = remote + sizeof(LVITEMA);
        item.cchTextMax = static_cast<int>(textSize);
        std::memcpy(block.data(), &item, sizeof(item));
        WriteProcessMemory(proc, remote, block.data(), size, nullptr);
        SendMessageA(lv, msg, w, reinterpret_cast<LPARAM>(remote));
        SIZE_T got = 0;
        if (ReadProcessMemory(proc, remote + sizeof(LVITEMA), block.data(), textSize - 1, &got)) {
            block[textSize - 1] = 0;
            text = block.data();
        }
        VirtualFreeEx(proc, remote, 0, MEM_RELEASE);
    }
    CloseHandle(proc);
    return text;
}

}  // namespace

int ListControlCommand(const std::string& cmd, HWND top, int argc, char** argv) {
    if (cmd == "combo" && argc > 4) {  // combo CAPTION N ITEM: the user picks ITEM from the list
        HWND c = NthChild(top, "ComboBox", std::atoi(argv[3]));
        if (!c) return 1;
        int n = static_cast<int>(SendMessageA(c, CB_GETCOUNT, 0, 0)), found = -1;
        for (int i = 0; i < n && found < 0; ++i) {
            // Item texts cross processes as wide text, as list-box texts do.
            wchar_t wbuf[512] = {};
            char buf[1024] = {};
            if (SendMessageW(c, CB_GETLBTEXTLEN, i, 0) < 500) SendMessageW(c, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(wbuf));
            WideCharToMultiByte(CP_ACP, 0, wbuf, -1, buf, sizeof(buf), nullptr, nullptr);
            if (argv[4] == std::string(buf)) found = i;
        }
        if (found < 0) {
            std::fprintf(stderr, "no item \"%s\"\n", argv[4]);
            return 1;
        }
        SendMessageA(c, CB_SETCURSEL, found, 0);
        SendMessageA(GetParent(c), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(c), CBN_SELCHANGE), reinterpret_cast<LPARAM>(c));
        return 0;
    }
    if (cmd == "edittext" && argc > 4) {  // edittext CAPTION N TEXT: the edit box then tells its parent
        HWND c = NthChild(top, "Edit", std::atoi(argv[3]));
        if (!c) return 1;
        SendMessageA(c, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[4]));
        return 0;
    }
    if (cmd == "listview" || (cmd == "lvselect" && argc > 3)) {
        HWND lv = NthChild(top, WC_LISTVIEWA, 1);
        if (!lv) return 1;
        int rows = static_cast<int>(SendMessageA(lv, LVM_GETITEMCOUNT, 0, 0));
        if (cmd == "lvselect") {
            int row = std::atoi(argv[3]);
            if (row < 0 || row >= rows) return 1;
            LVITEMA item{};
            item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
            RemoteListViewItem(lv, LVM_SETITEMSTATE, row, item);
            return 0;
        }
        HWND header = reinterpret_cast<HWND>(SendMessageA(lv, LVM_GETHEADER, 0, 0));
        int cols = header ? static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 1;
        for (int r = 0; r < rows; ++r) {
            std::string line;
            for (int col = 0; col < cols; ++col) {
                LVITEMA item{};
                item.iSubItem = col;
                line += (col ? "|" : "") + RemoteListViewItem(lv, LVM_GETITEMTEXTA, r, item);
            }
            std::printf("%s\n", line.c_str());
        }
        return 0;
    }
    return -1;
}
