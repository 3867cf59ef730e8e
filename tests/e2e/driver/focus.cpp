// The driver's commands about focus, activation, ownership and the keyboard: what a user
// sees as the active window and the focused control, keys typed as a user types them
// through the system's input queue, the mouse pointer, and the buttons of the desktop's
// taskbar. With VELMORA_DESKTOP set, every command works in that desktop of Wine's (a
// program started with "explorer /desktop=NAME,...") rather than the default one.
#include <windows.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Driver.h"
#include "WindowText.h"

namespace drv {
namespace {

void Print(HWND h) { std::printf("%s|%s\n", ClassOf(h).c_str(), TextOf(h).c_str()); }

HWND VisibleBox() {
    for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT))
        if (IsWindowVisible(h) && ClassOf(h) == "#32770") return h;
    return nullptr;
}

void Key(WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, 0));
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &in, sizeof(in));
}

// "shift+tab" -> {VK_SHIFT, VK_TAB}; empty when a name is unknown.
std::vector<WORD> Chord(std::string k) {
    std::vector<WORD> keys;
    for (;;) {
        size_t plus = k.find('+');
        std::string part = k.substr(0, plus);
        WORD vk = part == "shift" ? VK_SHIFT : part == "alt" ? VK_MENU : part == "ctrl" ? VK_CONTROL
                : part == "tab" ? VK_TAB : part == "space" ? VK_SPACE : part == "enter" ? VK_RETURN
                : part == "escape" ? VK_ESCAPE : part == "down" ? VK_DOWN : part == "up" ? VK_UP
                : part == "f4" ? VK_F4 : 0;
        if (!vk && part.size() == 1 && std::isalnum(static_cast<unsigned char>(part[0])))
            vk = static_cast<WORD>(std::toupper(static_cast<unsigned char>(part[0])));
        if (!vk) return {};
        keys.push_back(vk);
        if (plus == std::string::npos) return keys;
        k = k.substr(plus + 1);
    }
}

}  // namespace

void UseDesktopFromEnvironment() {
    wchar_t name[256] = {};
    if (!GetEnvironmentVariableW(L"VELMORA_DESKTOP", name, 256) || !name[0]) return;
    if (HDESK d = OpenDesktopW(name, 0, FALSE, GENERIC_ALL)) SetThreadDesktop(d);
}

int Active(const Call&) {
    Print(GetForegroundWindow());
    return 0;
}

int Focus(const Call&) {
    HWND fg = GetForegroundWindow();
    GUITHREADINFO gi{};
    gi.cbSize = sizeof(gi);
    if (!fg || !GetGUIThreadInfo(GetWindowThreadProcessId(fg, nullptr), &gi)) return 1;
    Print(gi.hwndFocus);
    return 0;
}

int BoxOwner(const Call& c) {
    DWORD end = GetTickCount() + static_cast<DWORD>(std::atof(c.argv[2]) * 1000);
    for (;;) {
        if (HWND box = VisibleBox()) {
            Print(GetWindow(box, GW_OWNER));
            return 0;
        }
        if (static_cast<int>(GetTickCount() - end) > 0) return 1;
        Sleep(100);
    }
}

int ZOrder(const Call&) {
    for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT))
        if (IsWindowVisible(h)) Print(h);
    return 0;
}

int Raise(const Call& c) {
    HWND h = nullptr;
    for (HWND w = GetTopWindow(nullptr); w && !h; w = GetWindow(w, GW_HWNDNEXT))
        if (IsWindowVisible(w) && TextOf(w) == c.argv[2]) h = w;
    if (!h) return 1;
    SetWindowPos(h, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(h);
    return 0;
}

int Pointer(const Call& c) {
    SetCursorPos(std::atoi(c.argv[2]), std::atoi(c.argv[3]));
    return 0;
}

int RClick(const Call& c) {
    SetCursorPos(std::atoi(c.argv[2]), std::atoi(c.argv[3]));
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_MOUSE;
    in[0].mi.dwFlags = MOUSEEVENTF_RIGHTDOWN;
    in[1].mi.dwFlags = MOUSEEVENTF_RIGHTUP;
    Sleep(200);
    SendInput(2, in, sizeof(INPUT));
    return 0;
}

// Wine's taskbar draws its buttons itself (they carry no window text): count the shown
// ones, less the Start button at the left-hand end.
int Taskbar(const Call&) {
    HWND bar = FindWindowW(L"Shell_TrayWnd", nullptr);
    if (!bar) return 1;
    int shown = 0;
    for (HWND h : Children(bar))
        if (IsWindowVisible(h) && ClassOf(h) == "Button") ++shown;
    std::printf("%d\n", shown > 0 ? shown - 1 : 0);
    return 0;
}

int Type(const Call& c) {
    for (int i = 2; i < c.argc; ++i) {
        std::vector<WORD> keys = Chord(c.argv[i]);
        if (keys.empty()) return 2;
        for (WORD vk : keys) Key(vk, false);
        for (auto it = keys.rbegin(); it != keys.rend(); ++it) Key(*it, true);
        Sleep(300);
    }
    return 0;
}

}  // namespace drv
