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
//   e2edriver keys CAPTION KEY...           post keys (down, up, right, enter, escape) to a window's thread
//   e2edriver menu CAPTION [MENU...] ITEM   choose a main-menu item by caption ("&" kept); with the
//                                          path of captions, by their mnemonics when the menu is not readable
//   e2edriver syscmd CAPTION minimize|restore|close
//   e2edriver statusbar CAPTION             print the status bar's panel texts, one a line
//   e2edriver listbox CAPTION               print the lines of the first list box
//   e2edriver waittext CAPTION TEXT [SECONDS]  wait until a child control shows TEXT
//   e2edriver dialog SECONDS                wait for a message box; print its caption and controls
//   e2edriver dialogbutton - TEXT           press the message box's button with this text
//   e2edriver timeserve ADDR PORT HEX SECS  answer one TIME request with the given bytes
//   e2edriver count CAPTION                 print how many top-level windows have the caption
//   e2edriver tops -                        print every top-level window: class|text|visible|handle
//   e2edriver sendall CAPTION MSG [W [L]]   send MSG to every top-level window of the process that
//                                          owns CAPTION, hidden ones too; print class|text|answer
//   e2edriver notify CAPTION CONTROL_TEXT   post the button's click notification to its parent,
//                                          whatever the focus (BM_CLICK needs the mouse capture)
// Exit codes: 0 done, 1 not found or timed out, 2 usage.
#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string TextOf(HWND h) {
    char buf[2048] = {};
    GetWindowTextA(h, buf, sizeof(buf));
    return buf;
}

std::string ClassOf(HWND h) {
    char buf[256] = {};
    GetClassNameA(h, buf, sizeof(buf));
    return buf;
}

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

BOOL CALLBACK ChildProc(HWND h, LPARAM l) {
    reinterpret_cast<std::vector<HWND>*>(l)->push_back(h);
    return TRUE;
}

std::vector<HWND> Children(HWND top) {
    std::vector<HWND> v;
    EnumChildWindows(top, ChildProc, reinterpret_cast<LPARAM>(&v));
    return v;
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

int Usage() {
    std::fprintf(stderr, "usage: e2edriver wait|waitgone|exists|visible|list|text|click|menu|syscmd|statusbar|listbox|count CAPTION ...\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return Usage();
    std::string cmd = argv[1], caption = argv[2];
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
        send(c, bytes.data(), static_cast<int>(bytes.size()), 0);
        closesocket(c);
        closesocket(l);
        std::printf("served\n");
        return 0;
    }
    if (cmd == "tops") {  // every top-level window: class|text|visible (CAPTION unused)
        std::vector<HWND> all;
        EnumWindows(ChildProc, reinterpret_cast<LPARAM>(&all));
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
    if (cmd == "sendall" && argc > 3) {  // sendall CAPTION MSG [W [L]]: what each window answers
        UINT msg = static_cast<UINT>(std::strtoul(argv[3], nullptr, 0));
        WPARAM w = argc > 4 ? static_cast<WPARAM>(std::strtoul(argv[4], nullptr, 0)) : 0;
        LPARAM l = argc > 5 ? static_cast<LPARAM>(std::strtol(argv[5], nullptr, 0)) : 0;
        DWORD pid = 0;
        GetWindowThreadProcessId(top, &pid);
        std::vector<HWND> all;
        EnumWindows(ChildProc, reinterpret_cast<LPARAM>(&all));
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
    if (cmd == "keys" && argc > 3) {  // keys CAPTION down|up|enter|escape...: keys for an open menu
        for (int i = 3; i < argc; ++i) {
            std::string k = argv[i];
            WPARAM vk = k == "down" ? VK_DOWN : k == "up" ? VK_UP : k == "enter" ? VK_RETURN : k == "escape" ? VK_ESCAPE
                      : k == "right" ? VK_RIGHT : 0;
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
