// The driver's commands on top-level windows and on a window's controls found by their
// text: waiting for windows, listing and clicking controls, keys, menus and the system menu,
// and reading the status bar, list box and rich-edit text of another process.
#include <windows.h>
#include <commctrl.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "Driver.h"
#include "WindowText.h"

namespace drv {
namespace {

HMENU FindMenuItem(HMENU m, const std::string& caption, UINT& id) {
    int n = GetMenuItemCount(m);
    for (int i = 0; i < n; ++i) {
        wchar_t wide[256] = {};
        GetMenuStringW(m, i, wide, 256, MF_BYPOSITION);
        const std::string buf = WideToUtf8(wide);
        if (HMENU sub = GetSubMenu(m, i)) {
            if (HMENU f = FindMenuItem(sub, caption, id)) return f;
        } else if (caption == buf) {
            id = GetMenuItemID(m, i);
            return m;
        }
    }
    return nullptr;
}

// Sends a message whose lParam points at a text buffer to a control of another process:
// the buffer is made in that process, since common-control messages are not marshalled.
std::string RemoteText(HWND ctl, UINT msg, WPARAM w) {
    DWORD pid = 0;
    GetWindowThreadProcessId(ctl, &pid);
    HANDLE proc = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!proc) return "";
    const SIZE_T size = 4096;
    void* remote = VirtualAllocEx(proc, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
    std::string text;
    if (remote) {
        char zero[size] = {};
        WriteProcessMemory(proc, remote, zero, size, nullptr);
        SendMessageW(ctl, msg, w, reinterpret_cast<LPARAM>(remote));
        wchar_t buf[size / 2] = {};
        SIZE_T got = 0;
        if (ReadProcessMemory(proc, remote, buf, size - 2, &got)) text = WideToUtf8(buf);
        VirtualFreeEx(proc, remote, 0, MEM_RELEASE);
    }
    CloseHandle(proc);
    return text;
}

// wait and waitgone: until a visible window has the caption, or none has.
int WaitFor(const Call& c, bool gone) {
    const std::string caption = c.argv[2];
    double secs = c.argc > 3 ? std::atof(c.argv[3]) : 20;
    DWORD end = GetTickCount() + static_cast<DWORD>(secs * 1000);
    for (;;) {
        bool present = !TopWindows(caption, true).empty();
        if (!gone && present) {
            std::printf("%p\n", static_cast<void*>(TopWindows(caption, true).front()));
            return 0;
        }
        if (gone && !present) return 0;
        if (static_cast<int>(GetTickCount() - end) > 0) return 1;
        Sleep(100);
    }
}

}  // namespace

int Wait(const Call& c) { return WaitFor(c, false); }
int WaitGone(const Call& c) { return WaitFor(c, true); }
int Exists(const Call& c) { return TopWindows(c.argv[2], false).empty() ? 1 : 0; }
int Visible(const Call& c) { return TopWindows(c.argv[2], true).empty() ? 1 : 0; }

int Count(const Call& c) {
    std::printf("%u\n", static_cast<unsigned>(TopWindows(c.argv[2], true).size()));
    return 0;
}

int Tops(const Call&) {  // every top-level window: class|text|visible (CAPTION unused)
    std::vector<HWND> all;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&all));
    for (HWND h : all)
        std::printf("%s|%s|%d|%p\n", ClassOf(h).c_str(), TextOf(h).c_str(), IsWindowVisible(h) ? 1 : 0,
                    static_cast<void*>(h));
    return 0;
}

int SendAll(const Call& c) {  // sendall CAPTION MSG [W [L]]: what each window answers
    UINT msg = static_cast<UINT>(std::strtoul(c.argv[3], nullptr, 0));
    WPARAM w = c.argc > 4 ? static_cast<WPARAM>(std::strtoul(c.argv[4], nullptr, 0)) : 0;
    LPARAM l = c.argc > 5 ? static_cast<LPARAM>(std::strtol(c.argv[5], nullptr, 0)) : 0;
    DWORD pid = 0;
    GetWindowThreadProcessId(c.top, &pid);
    std::vector<HWND> all;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&all));
    for (HWND h : all) {
        DWORD owner = 0;
        GetWindowThreadProcessId(h, &owner);
        if (owner != pid) continue;
        std::string cls = ClassOf(h), text = TextOf(h);  // before: the message may destroy it
        DWORD_PTR answer = 0;
        if (SendMessageTimeoutW(h, msg, w, l, SMTO_NORMAL, 15000, &answer))
            std::printf("%s|%s|%lu\n", cls.c_str(), text.c_str(), static_cast<unsigned long>(answer));
        else if (IsWindow(h))
            std::printf("%s|%s|timeout\n", cls.c_str(), text.c_str());
    }
    return 0;
}

int List(const Call& c) {
    for (HWND ch : Children(c.top)) {
        RECT r;
        GetWindowRect(ch, &r);
        MapWindowPoints(nullptr, c.top, reinterpret_cast<POINT*>(&r), 2);
        std::printf("%s|%s|%d|%d|%ld,%ld,%ld,%ld\n", ClassOf(ch).c_str(), TextOf(ch).c_str(), IsWindowVisible(ch) ? 1 : 0,
                    IsWindowEnabled(ch) ? 1 : 0, r.left, r.top, r.right - r.left, r.bottom - r.top);
    }
    RECT cr;
    GetClientRect(c.top, &cr);
    std::printf("client|%ld,%ld\n", cr.right, cr.bottom);
    // The window on the screen, and whether it lies wholly in its screen's work area.
    RECT wr;
    GetWindowRect(c.top, &wr);
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    GetMonitorInfoA(MonitorFromWindow(c.top, MONITOR_DEFAULTTONEAREST), &mi);
    bool inside = wr.left >= mi.rcWork.left && wr.top >= mi.rcWork.top && wr.right <= mi.rcWork.right &&
                  wr.bottom <= mi.rcWork.bottom;
    std::printf("frame|%d|%ld,%ld,%ld,%ld\n", inside ? 1 : 0, wr.left, wr.top, wr.right - wr.left, wr.bottom - wr.top);
    return 0;
}

int Text(const Call& c) {
    for (int i = 3; i < c.argc; ++i)
        if (!ChildByText(c.top, c.argv[i])) {
            std::fprintf(stderr, "no control \"%s\"\n", c.argv[i]);
            return 1;
        }
    return 0;
}

int WaitText(const Call& c) {  // waittext CAPTION TEXT [SECONDS]: a child shows TEXT (the
                                // window may show meanwhile)
    double secs = c.argc > 4 ? std::atof(c.argv[4]) : 20;
    DWORD end = GetTickCount() + static_cast<DWORD>(secs * 1000);
    HWND top = c.top;
    while (!ChildByText(top, c.argv[3])) {
        if (static_cast<int>(GetTickCount() - end) > 0) return 1;
        Sleep(100);
        if (std::strcmp(c.argv[2], "-") != 0) top = Top(c.argv[2]);
    }
    return 0;
}

int Click(const Call& c) {
    HWND ch = ChildByText(c.top, c.argv[3]);
    if (!ch) return 1;
    std::string cls = ClassOf(ch);
    if (_stricmp(cls.c_str(), "Button") == 0) {
        PostMessageW(ch, BM_CLICK, 0, 0);
    } else {
        // A static control with SS_NOTIFY tells its parent of a click.
        PostMessageW(GetParent(ch), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(ch), STN_CLICKED), reinterpret_cast<LPARAM>(ch));
    }
    return 0;
}

int ClickAt(const Call& c) {  // clickat CAPTION TEXT X Y: a click at a point of the control
    HWND ch = ChildByText(c.top, c.argv[3]);
    if (!ch) return 1;
    LPARAM at = MAKELPARAM(std::atoi(c.argv[4]), std::atoi(c.argv[5]));
    PostMessageW(ch, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(ch, WM_LBUTTONUP, 0, at);
    return 0;
}

int Notify(const Call& c) {  // whatever the focus: BM_CLICK needs the mouse capture
    HWND ch = ChildByText(c.top, c.argv[3]);
    if (!ch) return 1;
    PostMessageW(GetParent(ch), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(ch), BN_CLICKED), reinterpret_cast<LPARAM>(ch));
    return 0;
}

int Keys(const Call& c) {  // keys CAPTION down|up|tab|enter|escape...: keys for a menu or dialog
    for (int i = 3; i < c.argc; ++i) {
        std::string k = c.argv[i];
        WPARAM vk = k == "down" ? VK_DOWN : k == "up" ? VK_UP : k == "enter" ? VK_RETURN : k == "escape" ? VK_ESCAPE
                  : k == "right" ? VK_RIGHT : k == "tab" ? VK_TAB : 0;
        if (!vk) return Usage();
        PostMessageW(c.top, WM_KEYDOWN, vk, 1);
        PostMessageW(c.top, WM_KEYUP, vk, 0xC0000001);
        Sleep(200);
    }
    return 0;
}

// How many popup menus are open: a key for the next level is posted only once its popup
// shows, or the menu bar takes it (and a busy machine takes longer than any fixed pause).
BOOL CALLBACK CountPopup(HWND h, LPARAM p) {
    char cls[16];
    if (IsWindowVisible(h) && GetClassNameA(h, cls, sizeof cls) && std::strcmp(cls, "#32768") == 0)
        ++*reinterpret_cast<int*>(p);
    return TRUE;
}

int OpenPopups() {
    int n = 0;
    EnumWindows(CountPopup, reinterpret_cast<LPARAM>(&n));
    return n;
}

int Menu(const Call& c) {
    UINT id = 0;
    HMENU m = GetMenu(c.top);
    if (m && FindMenuItem(m, c.argv[c.argc - 1], id)) {
        PostMessageW(c.top, WM_COMMAND, MAKEWPARAM(id, 0), 0);
        return 0;
    }
    // Menus of another process cannot be read here (Wine keeps them in their process):
    // walk them with the keyboard instead, by the mnemonics of the captions given
    // ("menu CAPTION &File &Quit").
    if (c.argc < 5) {
        std::fprintf(stderr, "no menu item \"%s\"; give the path of mnemonics\n", c.argv[3]);
        return 1;
    }
    for (int i = 3; i < c.argc; ++i) {
        const char* amp = std::strchr(c.argv[i], '&');
        if (!amp || !amp[1]) return Usage();
        char key = static_cast<char>(tolower(static_cast<unsigned char>(amp[1])));
        if (i == 3) {
            PostMessageW(c.top, WM_SYSCOMMAND, SC_KEYMENU, key);
        } else {
            for (int t = 0; t < 100 && OpenPopups() < i - 3; ++t) Sleep(100);
            Sleep(200);
            HWND focus = GetForegroundWindow();
            PostMessageW(focus ? focus : c.top, WM_CHAR, key, 0);
        }
    }
    return 0;
}

int SysCmd(const Call& c) {
    std::string what = c.argv[3];
    WPARAM sc = what == "minimize" ? SC_MINIMIZE : what == "restore" ? SC_RESTORE : what == "close" ? SC_CLOSE : 0;
    if (!sc) return Usage();
    PostMessageW(c.top, WM_SYSCOMMAND, sc, 0);
    return 0;
}

int Press(const Call& c) {  // press CAPTION f1: typed as a user would (F1 becomes WM_HELP)
    if (std::string(c.argv[3]) != "f1") return Usage();
    SetForegroundWindow(c.top);
    Sleep(300);
    keybd_event(VK_F1, 0x3B, 0, 0);
    keybd_event(VK_F1, 0x3B, KEYEVENTF_KEYUP, 0);
    Sleep(300);
    return 0;
}

int StatusBar(const Call& c) {
    for (HWND ch : Children(c.top)) {
        if (_stricmp(ClassOf(ch).c_str(), STATUSCLASSNAMEA) != 0) continue;
        int n = static_cast<int>(SendMessageW(ch, SB_GETPARTS, 0, 0));
        for (int i = 0; i < n; ++i) std::printf("%s\n", RemoteText(ch, SB_GETTEXTW, i).c_str());
        return 0;
    }
    return 1;
}

int ListBox(const Call& c) {
    for (HWND ch : Children(c.top)) {
        if (_stricmp(ClassOf(ch).c_str(), "ListBox") != 0) continue;
        int n = static_cast<int>(SendMessageW(ch, LB_GETCOUNT, 0, 0));
        for (int i = 0; i < n; ++i)
            std::printf("%s\n", SendMessageW(ch, LB_GETTEXTLEN, i, 0) < 60000 ? SentText(ch, LB_GETTEXT, i).c_str() : "");
        return 0;
    }
    return 1;
}

int RichText(const Call& c) {  // GetWindowText of another process's control gives no contents
    for (HWND ch : Children(c.top)) {
        if (_strnicmp(ClassOf(ch).c_str(), "RichEdit", 8) != 0) continue;
        std::printf("%s\n", SentText(ch).c_str());
        return 0;
    }
    return 1;
}

}  // namespace drv
