// The driver's probes of what another program can learn from or do to ours: how quickly the
// window answers, which button of a message box Enter would press, whether a password box
// gives its text away, and whether any window of the process shows a given text.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Driver.h"
#include "WindowText.h"

namespace drv {
namespace {

// Every line of a list or combo box.
std::vector<std::string> Lines(HWND h) {
    std::vector<std::string> lines;
    std::string cls = ClassOf(h);
    bool combo = _stricmp(cls.c_str(), "ComboBox") == 0;
    if (!combo && _stricmp(cls.c_str(), "ListBox") != 0) return lines;
    int n = static_cast<int>(SendMessageW(h, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0));
    for (int i = 0; i < n && i < 5000; ++i) {
        const bool fits = SendMessageW(h, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, i, 0) < 60000;
        lines.push_back(fits ? SentText(h, combo ? CB_GETLBTEXT : LB_GETTEXT, i) : "");
    }
    return lines;
}

}  // namespace

// responsive CAPTION SECONDS: for that long, asks the window every 100 ms for an empty
// message; prints the longest wait for an answer in milliseconds (5000: none came).
int Responsive(const Call& c) {
    DWORD end = GetTickCount() + static_cast<DWORD>(std::atof(c.argv[3]) * 1000);
    DWORD longest = 0;
    while (static_cast<int>(GetTickCount() - end) < 0) {
        DWORD start = GetTickCount();
        DWORD_PTR ignored = 0;
        if (!SendMessageTimeoutW(c.top, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored)) {
            if (!IsWindow(c.top)) break;
        }
        longest = std::max(longest, GetTickCount() - start);
        Sleep(100);
    }
    std::printf("%lu\n", static_cast<unsigned long>(longest));
    return 0;
}

// defbutton SECONDS: waits for a message box and prints the text of its default button.
int DefButton(const Call& c) {
    DWORD end = GetTickCount() + static_cast<DWORD>(std::atof(c.argv[2]) * 1000);
    for (;;) {
        HWND box = FindWindowW(L"#32770", nullptr);
        if (box && IsWindowVisible(box)) {
            // The default button is the one drawn as such (the box's DM_GETDEFID is not
            // answered everywhere).
            for (HWND b : Children(box))
                if (_stricmp(ClassOf(b).c_str(), "Button") == 0 &&
                    (GetWindowLongW(b, GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON) {
                    std::printf("%s\n", TextOf(b).c_str());
                    return 0;
                }
            return 1;
        }
        if (static_cast<int>(GetTickCount() - end) > 0) return 1;
        Sleep(100);
    }
}

// unmask CAPTION NAME: what a hostile program would do to a password box: switch its
// password character off, then ask for its text; prints what it got.
int Unmask(const Call& c) {
    HWND box = NamedControl(c.top, c.argv[3]);
    if (!box) return 1;
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(box, EM_SETPASSWORDCHAR, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
    std::printf("%s\n", SentText(box).c_str());
    return 0;
}

// holds CAPTION TEXT: exit 0, naming the window, when any window of the process that owns
// CAPTION (its top-level windows and all their controls, list lines included) holds TEXT.
int Holds(const Call& c) {
    DWORD pid = 0;
    GetWindowThreadProcessId(c.top, &pid);
    std::vector<HWND> tops;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&tops));
    const std::string text = c.argv[3];
    for (HWND top : tops) {
        DWORD owner = 0;
        GetWindowThreadProcessId(top, &owner);
        if (owner != pid) continue;
        std::vector<HWND> all = Children(top);
        all.insert(all.begin(), top);
        for (HWND h : all) {
            std::vector<std::string> texts = Lines(h);
            texts.push_back(SentText(h));
            for (const std::string& t : texts)
                if (t.find(text) != std::string::npos) {
                    std::printf("%s|%s|%s\n", ClassOf(h).c_str(), NameOf(h).c_str(), TextOf(top).c_str());
                    return 0;
                }
        }
    }
    return 1;
}

}  // namespace drv
