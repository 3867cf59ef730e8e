// The driver's commands on message boxes and on dialog controls. A dialog control is found
// by its component name (the window property "VelmoraName") and worked as the user works
// it; common-control messages whose pointers are not marshalled use memory in its process.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "Driver.h"
#include "WindowText.h"

namespace drv {
namespace {

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

// The control argv[3] names in the window; null (and said so) when there is none.
HWND Named(const Call& c) {
    if (HWND ch = NamedControl(c.top, c.argv[3])) return ch;
    std::fprintf(stderr, "no control named \"%s\"\n", c.argv[3]);
    return nullptr;
}

// The window that takes typing: a combo box's edit part, or the control itself.
HWND TypingWindow(HWND c) {
    HWND edit = FindWindowExW(c, nullptr, L"Edit", nullptr);
    return edit ? edit : c;
}

std::string WideText(HWND c, UINT lenMsg, UINT textMsg, WPARAM i) {
    return SendMessageW(c, lenMsg, i, 0) < 60000 ? SentText(c, textMsg, i) : "";
}

bool IsCombo(HWND c) { return _stricmp(ClassOf(c).c_str(), "ComboBox") == 0; }

std::string Line(HWND c, bool combo, int i) {
    return combo ? WideText(c, CB_GETLBTEXTLEN, CB_GETLBTEXT, i) : WideText(c, LB_GETTEXTLEN, LB_GETTEXT, i);
}

// select and choose: the line by its index, or by its text.
int SelectLine(const Call& call, bool byText) {
    HWND c = Named(call);
    if (!c) return 1;
    bool combo = IsCombo(c);
    int i = std::atoi(call.argv[4]);
    if (byText) {
        int n = static_cast<int>(SendMessageW(c, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0));
        for (i = 0; i < n; ++i)
            if (Line(c, combo, i) == call.argv[4]) break;
        if (i == n) {
            std::fprintf(stderr, "no item \"%s\"\n", call.argv[4]);
            return 1;
        }
    }
    SendMessageW(c, combo ? CB_SETCURSEL : LB_SETCURSEL, i, 0);
    WORD code = combo ? CBN_SELCHANGE : LBN_SELCHANGE;
    PostMessageW(GetParent(c), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(c), code), reinterpret_cast<LPARAM>(c));
    return 0;
}

}  // namespace

int Dialog(const Call& c) {  // dialog SECONDS: wait for a message box, print caption and texts
    double secs = std::atof(c.argv[2]);
    DWORD end = GetTickCount() + static_cast<DWORD>(secs * 1000);
    for (;;) {
        HWND box = FindWindowW(L"#32770", nullptr);
        if (box && IsWindowVisible(box)) {
            std::printf("caption|%s\n", TextOf(box).c_str());
            std::printf("owner|%s\n", TextOf(GetWindow(box, GW_OWNER)).c_str());
            for (HWND ch : Children(box)) std::printf("%s|%s\n", ClassOf(ch).c_str(), TextOf(ch).c_str());
            // Whether each text shows whole: laid out as the box's static control lays it
            // out (words wrapped in its width, in the system's message font), it fits.
            NONCLIENTMETRICSA ncm{};
            ncm.cbSize = sizeof ncm;
            SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
            HFONT font = CreateFontIndirectA(&ncm.lfMessageFont);
            HDC dc = GetDC(nullptr);
            HGDIOBJ old = SelectObject(dc, font);
            for (HWND ch : Children(box)) {
                std::string text = TextOf(ch);
                if (_stricmp(ClassOf(ch).c_str(), "Static") != 0 || text.empty()) continue;
                RECT client, need{0, 0, 0, 0};
                GetClientRect(ch, &client);
                need.right = client.right;
                DrawTextA(dc, text.c_str(), -1, &need, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
                std::printf("fits|%d\n", need.right <= client.right && need.bottom <= client.bottom ? 1 : 0);
            }
            SelectObject(dc, old);
            ReleaseDC(nullptr, dc);
            DeleteObject(font);
            return 0;
        }
        if (static_cast<int>(GetTickCount() - end) > 0) return 1;
        Sleep(100);
    }
}

int DialogButton(const Call& c) {  // dialogbutton - TEXT: press a button of the message box
    HWND box = FindWindowW(L"#32770", nullptr);
    if (!box) return 1;
    HWND b = ChildByText(box, c.argv[3]);
    if (!b) return 1;
    PostMessageW(b, BM_CLICK, 0, 0);
    return 0;
}

int Tab(const Call& call) {
    for (HWND c : Children(call.top)) {
        if (_stricmp(ClassOf(c).c_str(), WC_TABCONTROLA) != 0) continue;
        Remote mem(c, sizeof(TCITEMW) + 512);
        if (!mem.ok()) return 1;
        int n = static_cast<int>(SendMessageW(c, TCM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) {
            TCITEMW item{};
            item.mask = TCIF_TEXT;
            item.pszText = reinterpret_cast<wchar_t*>(mem.at(sizeof item));
            item.cchTextMax = 250;
            mem.write(0, &item, sizeof item);
            SendMessageW(c, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(mem.at(0)));
            wchar_t text[256] = {};
            mem.read(sizeof item, text, 500);
            if (WideToUtf8(text) != call.argv[3]) continue;
            SendMessageW(c, TCM_GETITEMRECT, i, reinterpret_cast<LPARAM>(mem.at(0)));
            RECT r{};
            mem.read(0, &r, sizeof r);
            LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
            PostMessageW(c, WM_LBUTTONDOWN, MK_LBUTTON, at);
            PostMessageW(c, WM_LBUTTONUP, 0, at);
            return 0;
        }
    }
    return 1;
}

int State(const Call& call) {
    HWND c = Named(call);
    if (!c) return 1;
    std::printf("%d %d\n", IsWindowVisible(c) ? 1 : 0, IsWindowEnabled(c) ? 1 : 0);
    return 0;
}

// Asked of the control itself: another process's edit text is not stored with its window.
int GetText(const Call& call) {
    HWND c = Named(call);
    if (!c) return 1;
    std::printf("%s\n", SentText(c).c_str());
    return 0;
}

int SetText(const Call& call) {  // typed: the old text selected, replaced key by key
    HWND c = Named(call);
    if (!c) return 1;
    HWND typing = TypingWindow(c);
    PostMessageW(typing, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    PostMessageW(typing, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    Sleep(300);
    SendMessageW(typing, EM_SETSEL, 0, -1);
    const std::wstring text = Utf8ToWide(call.argv[4]);
    if (text.empty()) PostMessageW(typing, WM_CHAR, VK_BACK, 1);
    for (wchar_t ch : text) {
        PostMessageW(typing, WM_CHAR, ch, 1);
        PostMessageW(typing, WM_KEYUP, VkKeyScanW(ch) & 0xFF, 0xC0000001);
    }
    Sleep(300 + 20 * static_cast<DWORD>(text.size()));
    return 0;
}

// What assistive tools and automation do: the text set from outside, with no key typed, so
// the box sends no change notification.
int WmSetText(const Call& call) {
    HWND c = Named(call);
    if (!c) return 1;
    SendMessageW(c, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Utf8ToWide(call.argv[4]).c_str()));
    return 0;
}

// The edit box's own Paste (its context menu's): TEXT on the clipboard, then WM_PASTE; no
// key is typed.
int Paste(const Call& call) {
    HWND c = Named(call);
    // The clipboard takes data only from a window that holds it open.
    HWND holder = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (!c || !holder || !OpenClipboard(holder)) return 1;
    EmptyClipboard();
    const std::string text = call.argv[4];
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    if (mem) {
        std::memcpy(GlobalLock(mem), text.c_str(), text.size() + 1);
        GlobalUnlock(mem);
        if (!SetClipboardData(CF_TEXT, mem)) GlobalFree(mem);
    }
    CloseClipboard();
    SendMessageA(TypingWindow(c), EM_SETSEL, 0, -1);
    SendMessageA(TypingWindow(c), WM_PASTE, 0, 0);
    DestroyWindow(holder);
    return 0;
}

int Items(const Call& call) {
    HWND c = Named(call);
    if (!c) return 1;
    bool combo = IsCombo(c);
    int n = static_cast<int>(SendMessageW(c, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) std::printf("%s\n", Line(c, combo, i).c_str());
    return 0;
}

int Select(const Call& call) { return SelectLine(call, false); }
int Choose(const Call& call) { return SelectLine(call, true); }

int Rows(const Call& call) {
    HWND c = Named(call);
    if (!c) return 1;
    Remote mem(c, sizeof(LVITEMW) + 512);
    if (!mem.ok()) return 1;
    int n = static_cast<int>(SendMessageW(c, LVM_GETITEMCOUNT, 0, 0));
    HWND header = reinterpret_cast<HWND>(SendMessageW(c, LVM_GETHEADER, 0, 0));
    int cols = header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 1;
    for (int i = 0; i < n; ++i) {
        std::string line;
        for (int col = 0; col < cols; ++col) {
            LVITEMW item{};
            item.iSubItem = col;
            item.pszText = reinterpret_cast<wchar_t*>(mem.at(sizeof item));
            item.cchTextMax = 250;
            char zero[512] = {};
            mem.write(sizeof item, zero, sizeof zero);
            mem.write(0, &item, sizeof item);
            SendMessageW(c, LVM_GETITEMTEXTW, i, reinterpret_cast<LPARAM>(mem.at(0)));
            wchar_t text[256] = {};
            mem.read(sizeof item, text, 500);
            line += (col ? "|" : "") + WideToUtf8(text);
        }
        std::printf("%s\n", line.c_str());
    }
    return 0;
}

// balloon SECONDS: the text of a balloon notice shown by any program (Wine's notification
// area shows it in a tooltip window of the tray's process).
int Balloon(const Call& c) {
    const DWORD end = GetTickCount() + static_cast<DWORD>(std::atof(c.argv[2]) * 1000);
    for (;;) {
        for (HWND tip = nullptr; (tip = FindWindowExW(nullptr, tip, TOOLTIPS_CLASSW, nullptr)) != nullptr;) {
            if (!IsWindowVisible(tip) || !(GetWindowLongW(tip, GWL_STYLE) & TTS_BALLOON)) continue;
            Remote mem(tip, sizeof(TOOLINFOW) + 2048);
            if (!mem.ok()) continue;
            TOOLINFOW ti{};
            ti.cbSize = sizeof ti;
            ti.lpszText = reinterpret_cast<wchar_t*>(mem.at(sizeof ti));
            mem.write(0, &ti, sizeof ti);
            wchar_t text[1024] = {};
            mem.write(sizeof ti, text, sizeof text);
            if (!SendMessageW(tip, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(mem.at(0)))) continue;
            mem.read(sizeof ti, text, sizeof text - 2);
            std::printf("%s\n", WideToUtf8(text).c_str());
            return 0;
        }
        if (static_cast<int>(GetTickCount() - end) > 0) return 1;
        Sleep(100);
    }
}

int Row(const Call& call) {
    HWND c = Named(call);
    if (!c) return 1;
    Remote mem(c, sizeof(LVITEMW));
    if (!mem.ok()) return 1;
    int i = std::atoi(call.argv[4]);
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = i >= 0 ? LVIS_SELECTED | LVIS_FOCUSED : 0;
    mem.write(0, &item, sizeof item);
    SendMessageW(c, LVM_SETITEMSTATE, i >= 0 ? i : -1, reinterpret_cast<LPARAM>(mem.at(0)));
    return 0;
}

}  // namespace drv
