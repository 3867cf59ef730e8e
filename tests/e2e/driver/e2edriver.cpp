// The end-to-end driver: run under the same Wine prefix as the program, it finds the
// program's windows and works them as a user would, and prints what it sees.
//
//   e2edriver wait CAPTION [SECONDS]        wait for a visible top-level window, print its handle
//   e2edriver waitgone CAPTION [SECONDS]    wait until no visible top-level window has the caption
//   e2edriver exists CAPTION                exit 0 if a top-level window (visible or not) has it
//   e2edriver visible CAPTION               exit 0 if such a window is visible
//   e2edriver list CAPTION                  print each child window: class|text|visible|enabled|x,y,w,h
//   e2edriver text CAPTION CONTROL_TEXT...  exit 0 if a child with this exact text exists
//   e2edriver click CAPTION CONTROL_TEXT    click the child control with this exact text
//   e2edriver clickat CAPTION TEXT X Y      press and release the left button at a point of a control
//   e2edriver keys CAPTION KEY...           post keys (down, up, right, tab, enter, escape) to a window's thread
//   e2edriver menu CAPTION [MENU...] ITEM   choose a main-menu item by caption ("&" kept); with the
//                                          path of captions, by their mnemonics when the menu is not readable
//   e2edriver syscmd CAPTION minimize|restore|close
//   e2edriver statusbar CAPTION             print the status bar's panel texts, one a line
//   e2edriver listbox CAPTION               print the lines of the first list box
//   e2edriver waittext CAPTION TEXT [SECONDS]  wait until a child control shows TEXT
//   e2edriver dialog SECONDS                wait for a message box; print its caption, owner and controls
//   e2edriver dialogbutton - TEXT           press the message box's button with this text
//   e2edriver timeserve ADDR PORT HEX SECS  answer one TIME request with the given bytes ("now": the time)
//   e2edriver count CAPTION                 print how many top-level windows have the caption
//   e2edriver tops -                        print every top-level window: class|text|visible|handle
//   e2edriver press CAPTION f1              bring the window to the front and type the key
//   e2edriver richtext CAPTION              print the text of the window's first rich-edit control
//   focus, activation, ownership and typed keys: see focus.cpp
//   e2edriver trayicon EXE NAME...          for each notification-area icon, print which of EXE's
//                                          icon resources NAME... it shows (TrayIcon.cpp)
// Dialog controls, found by their component name (the window property "VelmoraName"):
//   e2edriver settext CAPTION NAME TEXT     click into an edit or combo box and type TEXT over its text
//   e2edriver gettext CAPTION NAME          print the text of the named control
//   e2edriver items CAPTION NAME            print the lines of a combo or list box
//   e2edriver select CAPTION NAME INDEX     choose a line of a combo or list box as the user does
//   e2edriver choose CAPTION NAME ITEM      choose the line with this text, likewise
//   e2edriver rows CAPTION NAME             print a list view's rows, cells joined by "|"
//   e2edriver row CAPTION NAME INDEX        select a list-view row (-1: none) as the keyboard does
//   e2edriver tab CAPTION TABTEXT           click the tab with this text
//   e2edriver checked CAPTION TEXT          print 1 or 0: the check box with this text is checked
//   e2edriver state CAPTION NAME            print "visible enabled" (1 or 0 each) of the named control
//   e2edriver sendall CAPTION MSG [W [L]]   send MSG to every top-level window of the process that
//                                          owns CAPTION, hidden ones too; print class|text|answer
//   e2edriver notify CAPTION CONTROL_TEXT   post the button's click notification to its parent,
//                                          whatever the focus (BM_CLICK needs the mouse capture)
//   e2edriver busy CAPTION [SECONDS]        wait until the window's thread stops answering messages
//   e2edriver localtime -                   print the local time as Wine tells it, HH:MM:SS
// Exit codes: 0 done, 1 not found or timed out, 2 usage.
#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

// The icon the notification area shows (TrayIcon.cpp); -1 when cmd is not that.
int TrayIconCommand(const std::string& cmd, int argc, char** argv);
#include "WindowText.h"
#include "focus.h"

using drv::Children;
using drv::ClassOf;
using drv::TextOf;

namespace {

struct Find {
    std::string caption;
    bool visibleOnly;
    std::vector<HWND> found;
};

BOOL CALLBACK TopProc(HWND h, LPARAM l) {
    auto* f = reinterpret_cast<Find*>(l);
    if (TextOf(h) == f->caption && (!f->visibleOnly || IsWindowVisible(h))) f->found.push_back(h);
    return TRUE;
}

std::vector<HWND> TopWindows(const std::string& caption, bool visibleOnly) {
    Find f{caption, visibleOnly, {}};
    EnumWindows(TopProc, reinterpret_cast<LPARAM>(&f));
    return f.found;
}

HWND Top(const std::string& caption) {
    auto v = TopWindows(caption, true);
    if (v.empty()) v = TopWindows(caption, false);
    return v.empty() ? nullptr : v.front();
}

HWND ChildByText(HWND top, const std::string& text) {
    for (HWND c : Children(top))
        if (TextOf(c) == text) return c;
    return nullptr;
}

HMENU FindMenuItem(HMENU m, const std::string& caption, UINT& id) {
    int n = GetMenuItemCount(m);
    for (int i = 0; i < n; ++i) {
        char buf[256] = {};
        GetMenuStringA(m, i, buf, sizeof(buf), MF_BYPOSITION);
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
    const SIZE_T size = 2048;
    void* remote = VirtualAllocEx(proc, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
    std::string text;
    if (remote) {
        char zero[size] = {};
        WriteProcessMemory(proc, remote, zero, size, nullptr);
        SendMessageA(ctl, msg, w, reinterpret_cast<LPARAM>(remote));
        char buf[size] = {};
        SIZE_T got = 0;
        if (ReadProcessMemory(proc, remote, buf, size - 1, &got)) text = buf;
        VirtualFreeEx(proc, remote, 0, MEM_RELEASE);
    }
    CloseHandle(proc);
    return text;
}

// "now" as a TIME answer: the next whole second, sent as it begins, so the answer is
// within a few milliseconds of this machine's clock.
std::string TimeNow() {
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    unsigned long long t = (static_cast<unsigned long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    Sleep(static_cast<DWORD>(1000 - (t / 10000) % 1000));
    unsigned long long secs = t / 10000000 + 1 - 9435484800ull;  // 1601 to 1900
    std::string b;
    for (int shift = 24; shift >= 0; shift -= 8) b += static_cast<char>((secs >> shift) & 0xFF);
    return b;
}

// A block of memory in the process that owns a window, for messages whose pointers are not
// marshalled across processes (common controls).
class Remote {
public:
    Remote(HWND ctl, SIZE_T size) : size_(size) {
        DWORD pid = 0;
        GetWindowThreadProcessId(ctl, &pid);
        proc_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (proc_) base_ = static_cast<char*>(VirtualAllocEx(proc_, nullptr, size, MEM_COMMIT, PAGE_READWRITE));
    }
    ~Remote() {
        if (base_) VirtualFreeEx(proc_, base_, 0, MEM_RELEASE);
        if (proc_) CloseHandle(proc_);
    }
    bool ok() const { return base_ != nullptr; }
    char* at(SIZE_T offset) const { return base_ + offset; }
    void write(SIZE_T offset, const void* data, SIZE_T n) { WriteProcessMemory(proc_, base_ + offset, data, n, nullptr); }
    void read(SIZE_T offset, void* data, SIZE_T n) { ReadProcessMemory(proc_, base_ + offset, data, n, nullptr); }

private:
    HANDLE proc_ = nullptr;
    char* base_ = nullptr;
    SIZE_T size_;
};

std::string NameOf(HWND h) {
    ATOM a = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(GetPropA(h, "VelmoraName")));
    char buf[256] = {};
    if (a) GlobalGetAtomNameA(a, buf, sizeof buf);
    return buf;
}

HWND ChildByName(HWND top, const std::string& name) {
    for (HWND c : Children(top))
        if (NameOf(c) == name) return c;
    return nullptr;
}

// The window that takes typing: a combo box's edit part, or the control itself.
HWND TypingWindow(HWND c) {
    HWND edit = FindWindowExA(c, nullptr, "Edit", nullptr);
    return edit ? edit : c;
}

std::string WideText(HWND c, UINT lenMsg, UINT textMsg, WPARAM i) {
    wchar_t wbuf[2048] = {};
    char buf[4096] = {};
    if (SendMessageW(c, lenMsg, i, 0) < 2000) SendMessageW(c, textMsg, i, reinterpret_cast<LPARAM>(wbuf));
    WideCharToMultiByte(CP_ACP, 0, wbuf, -1, buf, sizeof(buf), nullptr, nullptr);
    return buf;
}

// The dialog-control commands; -1 when cmd is none of them.
int DialogCommand(const std::string& cmd, HWND top, int argc, char** argv) {
    if (cmd == "checked" && argc > 3) {
        HWND c = ChildByText(top, argv[3]);
        if (!c) return 1;
        std::printf("%d\n", SendMessageA(c, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0);
        return 0;
    }
    if (cmd == "tab" && argc > 3) {
        for (HWND c : Children(top)) {
            if (_stricmp(ClassOf(c).c_str(), WC_TABCONTROLA) != 0) continue;
            Remote mem(c, sizeof(TCITEMA) + 512);
            if (!mem.ok()) return 1;
            int n = static_cast<int>(SendMessageA(c, TCM_GETITEMCOUNT, 0, 0));
            for (int i = 0; i < n; ++i) {
                TCITEMA item{};
                item.mask = TCIF_TEXT;
                item.pszText = mem.at(sizeof item);
                item.cchTextMax = 500;
                mem.write(0, &item, sizeof item);
                SendMessageA(c, TCM_GETITEMA, i, reinterpret_cast<LPARAM>(mem.at(0)));
                char text[512] = {};
                mem.read(sizeof item, text, 500);
                if (std::string(text) != argv[3]) continue;
                SendMessageA(c, TCM_GETITEMRECT, i, reinterpret_cast<LPARAM>(mem.at(0)));
                RECT r{};
                mem.read(0, &r, sizeof r);
                LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
                PostMessageA(c, WM_LBUTTONDOWN, MK_LBUTTON, at);
                PostMessageA(c, WM_LBUTTONUP, 0, at);
                return 0;
            }
        }
        return 1;
    }
    if (argc < 4) return -1;
    HWND c = ChildByName(top, argv[3]);
    bool known = cmd == "settext" || cmd == "gettext" || cmd == "items" || cmd == "select" || cmd == "choose" ||
                 cmd == "rows" || cmd == "row" || cmd == "state";
    if (!known) return -1;
    if (!c) {
        std::fprintf(stderr, "no control named \"%s\"\n", argv[3]);
        return 1;
    }
    std::string cls = ClassOf(c);
    bool combo = _stricmp(cls.c_str(), "ComboBox") == 0;
    if (cmd == "state") {
        std::printf("%d %d\n", IsWindowVisible(c) ? 1 : 0, IsWindowEnabled(c) ? 1 : 0);
        return 0;
    }
    if (cmd == "gettext") {  // asked of the control itself: another process's edit text is not stored with its window
        char buf[2048] = {};
        SendMessageA(c, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf));
        std::printf("%s\n", buf);
        return 0;
    }
    if (cmd == "settext" && argc > 4) {  // typed: the old text selected, replaced key by key
        HWND typing = TypingWindow(c);
        PostMessageA(typing, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
        PostMessageA(typing, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
        Sleep(300);
        SendMessageA(typing, EM_SETSEL, 0, -1);
        std::string text = argv[4];
        if (text.empty()) PostMessageA(typing, WM_CHAR, VK_BACK, 1);
        for (unsigned char ch : text) {
            PostMessageA(typing, WM_CHAR, ch, 1);
            PostMessageA(typing, WM_KEYUP, VkKeyScanA(static_cast<char>(ch)) & 0xFF, 0xC0000001);
        }
        Sleep(300 + 20 * static_cast<DWORD>(text.size()));
        return 0;
    }
    if (cmd == "items") {
        int n = static_cast<int>(SendMessageA(c, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0));
        for (int i = 0; i < n; ++i)
            std::printf("%s\n", (combo ? WideText(c, CB_GETLBTEXTLEN, CB_GETLBTEXT, i) : WideText(c, LB_GETTEXTLEN, LB_GETTEXT, i)).c_str());
        return 0;
    }
    if ((cmd == "select" || cmd == "choose") && argc > 4) {
        int i = std::atoi(argv[4]);
        if (cmd == "choose") {
            int n = static_cast<int>(SendMessageA(c, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0));
            for (i = 0; i < n; ++i)
                if ((combo ? WideText(c, CB_GETLBTEXTLEN, CB_GETLBTEXT, i) : WideText(c, LB_GETTEXTLEN, LB_GETTEXT, i)) == argv[4])
                    break;
            if (i == n) {
                std::fprintf(stderr, "no item \"%s\"\n", argv[4]);
                return 1;
            }
        }
        SendMessageA(c, combo ? CB_SETCURSEL : LB_SETCURSEL, i, 0);
        WORD code = combo ? CBN_SELCHANGE : LBN_SELCHANGE;
        PostMessageA(GetParent(c), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(c), code), reinterpret_cast<LPARAM>(c));
        return 0;
    }
    if (cmd == "rows") {
        Remote mem(c, sizeof(LVITEMA) + 512);
        if (!mem.ok()) return 1;
        int n = static_cast<int>(SendMessageA(c, LVM_GETITEMCOUNT, 0, 0));
        HWND header = reinterpret_cast<HWND>(SendMessageA(c, LVM_GETHEADER, 0, 0));
        int cols = header ? static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 1;
        for (int i = 0; i < n; ++i) {
            std::string line;
            for (int col = 0; col < cols; ++col) {
                LVITEMA item{};
                item.iSubItem = col;
                item.pszText = mem.at(sizeof item);
                item.cchTextMax = 500;
                char zero[512] = {};
                mem.write(sizeof item, zero, sizeof zero);
                mem.write(0, &item, sizeof item);
                SendMessageA(c, LVM_GETITEMTEXTA, i, reinterpret_cast<LPARAM>(mem.at(0)));
                char text[512] = {};
                mem.read(sizeof item, text, 500);
                line += (col ? "|" : "") + std::string(text);
            }
            std::printf("%s\n", line.c_str());
        }
        return 0;
    }
    if (cmd == "row" && argc > 4) {
        Remote mem(c, sizeof(LVITEMA));
        if (!mem.ok()) return 1;
        int i = std::atoi(argv[4]);
        LVITEMA item{};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = i >= 0 ? LVIS_SELECTED | LVIS_FOCUSED : 0;
        mem.write(0, &item, sizeof item);
        SendMessageA(c, LVM_SETITEMSTATE, i >= 0 ? i : -1, reinterpret_cast<LPARAM>(mem.at(0)));
        return 0;
    }
    return -1;
}

int Usage() {
    std::fprintf(stderr, "usage: e2edriver wait|waitgone|exists|visible|list|text|click|menu|syscmd|statusbar|listbox|count CAPTION ...\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return Usage();
    std::string cmd = argv[1], caption = argv[2];
    UseDesktopFromEnvironment();
    if (int rc = FocusCommand(cmd, argc, argv); rc >= 0) return rc;
    if (int rc = TrayIconCommand(cmd, argc, argv); rc >= 0) return rc;
    if (cmd == "wait" || cmd == "waitgone") {
        double secs = argc > 3 ? std::atof(argv[3]) : 20;
        DWORD end = GetTickCount() + static_cast<DWORD>(secs * 1000);
        for (;;) {
            bool present = !TopWindows(caption, true).empty();
            if (cmd == "wait" && present) {
                std::printf("%p\n", static_cast<void*>(TopWindows(caption, true).front()));
                return 0;
            }
            if (cmd == "waitgone" && !present) return 0;
            if (static_cast<int>(GetTickCount() - end) > 0) return 1;
            Sleep(100);
        }
    }
    if (cmd == "timeserve") {  // timeserve ADDR PORT HEXBYTES SECONDS: a one-answer TIME server
        if (argc < 6) return Usage();
        WSADATA wsa;
        WSAStartup(MAKEWORD(1, 1), &wsa);
        SOCKET l = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<u_short>(std::atoi(argv[3])));
        a.sin_addr.s_addr = inet_addr(argv[2]);
        BOOL yes = TRUE;
        setsockopt(l, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&yes), sizeof(yes));
        if (bind(l, reinterpret_cast<sockaddr*>(&a), sizeof(a)) != 0 || listen(l, 4) != 0) {
            std::fprintf(stderr, "cannot listen on %s:%s (%d)\n", argv[2], argv[3], WSAGetLastError());
            return 1;
        }
        std::string hex = argv[4], bytes;
        for (size_t i = 0; i + 1 < hex.size(); i += 2) bytes += static_cast<char>(std::strtol(hex.substr(i, 2).c_str(), nullptr, 16));
        std::printf("listening\n");
        std::fflush(stdout);
        fd_set set;
        FD_ZERO(&set);
        FD_SET(l, &set);
        timeval tv{std::atoi(argv[5]), 0};
        if (select(0, &set, nullptr, nullptr, &tv) != 1) return 1;
        SOCKET c = accept(l, nullptr, nullptr);
        if (hex == "now") bytes = TimeNow();
        send(c, bytes.data(), static_cast<int>(bytes.size()), 0);
        closesocket(c);
        closesocket(l);
        std::printf("served\n");
        return 0;
    }
    if (cmd == "tops") {  // every top-level window: class|text|visible (CAPTION unused)
        std::vector<HWND> all;
        EnumWindows(drv::CollectWindow, reinterpret_cast<LPARAM>(&all));
        for (HWND h : all)
            std::printf("%s|%s|%d|%p\n", ClassOf(h).c_str(), TextOf(h).c_str(), IsWindowVisible(h) ? 1 : 0,
                        static_cast<void*>(h));
        return 0;
    }
    if (cmd == "dialog") {  // dialog SECONDS: wait for a message box, print caption and texts
        double secs = std::atof(argv[2]);
        DWORD end = GetTickCount() + static_cast<DWORD>(secs * 1000);
        for (;;) {
            HWND box = FindWindowA("#32770", nullptr);
            if (box && IsWindowVisible(box)) {
                std::printf("caption|%s\n", TextOf(box).c_str());
                std::printf("owner|%s\n", TextOf(GetWindow(box, GW_OWNER)).c_str());
                for (HWND c : Children(box)) std::printf("%s|%s\n", ClassOf(c).c_str(), TextOf(c).c_str());
                return 0;
            }
            if (static_cast<int>(GetTickCount() - end) > 0) return 1;
            Sleep(100);
        }
    }
    if (cmd == "dialogbutton" && argc > 3) {  // dialogbutton - TEXT: press a button of the message box
        HWND box = FindWindowA("#32770", nullptr);
        if (!box) return 1;
        HWND b = ChildByText(box, argv[3]);
        if (!b) return 1;
        PostMessageA(b, BM_CLICK, 0, 0);
        return 0;
    }
    if (cmd == "localtime") {
        SYSTEMTIME t;
        GetLocalTime(&t);
        std::printf("%02u:%02u:%02u\n", t.wHour, t.wMinute, t.wSecond);
        return 0;
    }
    if (cmd == "count") {
        std::printf("%u\n", static_cast<unsigned>(TopWindows(caption, true).size()));
        return 0;
    }
    if (cmd == "exists") return TopWindows(caption, false).empty() ? 1 : 0;
    if (cmd == "visible") return TopWindows(caption, true).empty() ? 1 : 0;
    HWND top = Top(caption);
    if (!top) {
        std::fprintf(stderr, "no window \"%s\"\n", caption.c_str());
        return 1;
    }
    if (int rc = DialogCommand(cmd, top, argc, argv); rc >= 0) return rc;
    if (cmd == "sendall" && argc > 3) {  // sendall CAPTION MSG [W [L]]: what each window answers
        UINT msg = static_cast<UINT>(std::strtoul(argv[3], nullptr, 0));
        WPARAM w = argc > 4 ? static_cast<WPARAM>(std::strtoul(argv[4], nullptr, 0)) : 0;
        LPARAM l = argc > 5 ? static_cast<LPARAM>(std::strtol(argv[5], nullptr, 0)) : 0;
        DWORD pid = 0;
        GetWindowThreadProcessId(top, &pid);
        std::vector<HWND> all;
        EnumWindows(drv::CollectWindow, reinterpret_cast<LPARAM>(&all));
        for (HWND h : all) {
            DWORD owner = 0;
            GetWindowThreadProcessId(h, &owner);
            if (owner != pid) continue;
            std::string cls = ClassOf(h), text = TextOf(h);  // before: the message may destroy it
            DWORD_PTR answer = 0;
            if (SendMessageTimeoutA(h, msg, w, l, SMTO_NORMAL, 15000, &answer))
                std::printf("%s|%s|%lu\n", cls.c_str(), text.c_str(), static_cast<unsigned long>(answer));
            else if (IsWindow(h))
                std::printf("%s|%s|timeout\n", cls.c_str(), text.c_str());
        }
        return 0;
    }
    if (cmd == "notify" && argc > 3) {
        HWND c = ChildByText(top, argv[3]);
        if (!c) return 1;
        PostMessageA(GetParent(c), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(c), BN_CLICKED), reinterpret_cast<LPARAM>(c));
        return 0;
    }
    if (cmd == "list") {
        for (HWND c : Children(top)) {
            RECT r;
            GetWindowRect(c, &r);
            MapWindowPoints(nullptr, top, reinterpret_cast<POINT*>(&r), 2);
            std::printf("%s|%s|%d|%d|%ld,%ld,%ld,%ld\n", ClassOf(c).c_str(), TextOf(c).c_str(), IsWindowVisible(c) ? 1 : 0,
                        IsWindowEnabled(c) ? 1 : 0, r.left, r.top, r.right - r.left, r.bottom - r.top);
        }
        RECT cr;
        GetClientRect(top, &cr);
        std::printf("client|%ld,%ld\n", cr.right, cr.bottom);
        return 0;
    }
    if (cmd == "waittext" && argc > 3) {  // waittext CAPTION TEXT [SECONDS]: a child shows TEXT
        double secs = argc > 4 ? std::atof(argv[4]) : 20;
        DWORD end = GetTickCount() + static_cast<DWORD>(secs * 1000);
        while (!ChildByText(top, argv[3])) {
            if (static_cast<int>(GetTickCount() - end) > 0) return 1;
            Sleep(100);
        }
        return 0;
    }
    if (cmd == "text") {
        for (int i = 3; i < argc; ++i)
            if (!ChildByText(top, argv[i])) {
                std::fprintf(stderr, "no control \"%s\"\n", argv[i]);
                return 1;
            }
        return 0;
    }
    if (cmd == "clickat" && argc > 5) {  // clickat CAPTION TEXT X Y: a click at a point of the control
        HWND c = ChildByText(top, argv[3]);
        if (!c) return 1;
        LPARAM at = MAKELPARAM(std::atoi(argv[4]), std::atoi(argv[5]));
        PostMessageA(c, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(c, WM_LBUTTONUP, 0, at);
        return 0;
    }
    if (cmd == "keys" && argc > 3) {  // keys CAPTION down|up|tab|enter|escape...: keys for a menu or dialog
        for (int i = 3; i < argc; ++i) {
            std::string k = argv[i];
            WPARAM vk = k == "down" ? VK_DOWN : k == "up" ? VK_UP : k == "enter" ? VK_RETURN : k == "escape" ? VK_ESCAPE
                      : k == "right" ? VK_RIGHT : k == "tab" ? VK_TAB : 0;
            if (!vk) return Usage();
            PostMessageA(top, WM_KEYDOWN, vk, 1);
            PostMessageA(top, WM_KEYUP, vk, 0xC0000001);
            Sleep(200);
        }
        return 0;
    }
    if (cmd == "click" && argc > 3) {
        HWND c = ChildByText(top, argv[3]);
        if (!c) return 1;
        std::string cls = ClassOf(c);
        if (_stricmp(cls.c_str(), "Button") == 0) {
            PostMessageA(c, BM_CLICK, 0, 0);
        } else {
            // A static control with SS_NOTIFY tells its parent of a click.
            PostMessageA(GetParent(c), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(c), STN_CLICKED), reinterpret_cast<LPARAM>(c));
        }
        return 0;
    }
    if (cmd == "menu" && argc > 3) {
        UINT id = 0;
        HMENU m = GetMenu(top);
        if (m && FindMenuItem(m, argv[argc - 1], id)) {
            PostMessageA(top, WM_COMMAND, MAKEWPARAM(id, 0), 0);
            return 0;
        }
        // Menus of another process cannot be read here (Wine keeps them in their process):
        // walk them with the keyboard instead, by the mnemonics of the captions given
        // ("menu CAPTION &File &Quit").
        if (argc < 5) {
            std::fprintf(stderr, "no menu item \"%s\"; give the path of mnemonics\n", argv[3]);
            return 1;
        }
        for (int i = 3; i < argc; ++i) {
            const char* amp = std::strchr(argv[i], '&');
            if (!amp || !amp[1]) return Usage();
            char key = static_cast<char>(tolower(static_cast<unsigned char>(amp[1])));
            if (i == 3) {
                PostMessageA(top, WM_SYSCOMMAND, SC_KEYMENU, key);
            } else {
                Sleep(400);
                HWND focus = GetForegroundWindow();
                PostMessageA(focus ? focus : top, WM_CHAR, key, 0);
            }
        }
        return 0;
    }
    if (cmd == "syscmd" && argc > 3) {
        std::string what = argv[3];
        WPARAM sc = what == "minimize" ? SC_MINIMIZE : what == "restore" ? SC_RESTORE : what == "close" ? SC_CLOSE : 0;
        if (!sc) return Usage();
        PostMessageA(top, WM_SYSCOMMAND, sc, 0);
        return 0;
    }
    if (cmd == "press" && argc > 3) {  // press CAPTION f1: typed as a user would (F1 becomes WM_HELP)
        if (std::string(argv[3]) != "f1") return Usage();
        SetForegroundWindow(top);
        Sleep(300);
        keybd_event(VK_F1, 0x3B, 0, 0);
        keybd_event(VK_F1, 0x3B, KEYEVENTF_KEYUP, 0);
        Sleep(300);
        return 0;
    }
    if (cmd == "richtext") {  // GetWindowText of another process's control gives no contents
        for (HWND c : Children(top)) {
            if (_strnicmp(ClassOf(c).c_str(), "RichEdit", 8) != 0) continue;
            static char buf[65536];
            buf[0] = 0;
            SendMessageA(c, WM_GETTEXT, sizeof(buf), reinterpret_cast<LPARAM>(buf));
            std::printf("%s\n", buf);
            return 0;
        }
        return 1;
    }
    if (cmd == "statusbar") {
        for (HWND c : Children(top)) {
            if (_stricmp(ClassOf(c).c_str(), STATUSCLASSNAMEA) != 0) continue;
            int n = static_cast<int>(SendMessageA(c, SB_GETPARTS, 0, 0));
            for (int i = 0; i < n; ++i) std::printf("%s\n", RemoteText(c, SB_GETTEXTA, i).c_str());
            return 0;
        }
        return 1;
    }
    if (cmd == "listbox") {
        for (HWND c : Children(top)) {
            if (_stricmp(ClassOf(c).c_str(), "ListBox") != 0) continue;
            int n = static_cast<int>(SendMessageA(c, LB_GETCOUNT, 0, 0));
            // List-box text crosses processes marshalled as wide characters.
            for (int i = 0; i < n; ++i) {
                wchar_t wbuf[2048] = {};
                char buf[4096] = {};
                if (SendMessageW(c, LB_GETTEXTLEN, i, 0) < 2000) SendMessageW(c, LB_GETTEXT, i, reinterpret_cast<LPARAM>(wbuf));
                WideCharToMultiByte(CP_ACP, 0, wbuf, -1, buf, sizeof(buf), nullptr, nullptr);
                std::printf("%s\n", buf);
            }
            return 0;
        }
        return 1;
    }
    return Usage();
}
