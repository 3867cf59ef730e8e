// Win32 clock, message queue, window timers, hidden message windows and message boxes.
#include "platform/win32/Win32Platform.h"

#include <windows.h>

#include <map>

#include "core/Utf16.h"

namespace win32 {

void* Instance() { return GetModuleHandleW(nullptr); }

void ShowException(const char* what) {
    MessageBoxW(reinterpret_cast<HWND>(WindowUserSees()), Utf8ToWide(what).c_str(), L"Velmora", MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

uint32_t Clock::TickCount() { return GetTickCount(); }
void Clock::Sleep(uint32_t ms) { ::Sleep(ms); }

namespace {
TDateTime FromSystemTime(const SYSTEMTIME& st) {
    TSystemTime t;
    t.Year = st.wYear;
    t.Month = st.wMonth;
    t.Day = st.wDay;
    t.Hour = st.wHour;
    t.Minute = st.wMinute;
    t.Second = st.wSecond;
    t.Milliseconds = st.wMilliseconds;
    return SystemTimeToDateTime(t);
}
}  // namespace

TDateTime Clock::Now() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return FromSystemTime(st);
}

TDateTime Clock::NowUtc() {
    SYSTEMTIME st;
    GetSystemTime(&st);
    return FromSystemTime(st);
}

uint32_t Clock::SetSystemTimeUtc(const TSystemTime& utc) {
    SYSTEMTIME st{};
    st.wYear = utc.Year;
    st.wMonth = utc.Month;
    st.wDayOfWeek = utc.DayOfWeek;
    st.wDay = utc.Day;
    st.wHour = utc.Hour;
    st.wMinute = utc.Minute;
    st.wSecond = utc.Second;
    st.wMilliseconds = utc.Milliseconds;
    return ::SetSystemTime(&st) ? 0 : GetLastError();
}

std::string SystemMessage(uint32_t code) {
    wchar_t text[512] = {};
    DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                             512, nullptr);
    std::string s = WideToUtf8(std::wstring_view(text, n));
    for (char& c : s)
        if (c == '\r' || c == '\n') c = ' ';
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

void* LoadSystemLibrary(const std::string& name, std::string& path) {
    wchar_t dir[MAX_PATH + 1] = {};
    const UINT n = GetSystemDirectoryW(dir, MAX_PATH);
    path.clear();
    if (n == 0 || n >= MAX_PATH) return nullptr;
    path = WideToUtf8(std::wstring_view(dir, n)) + "\\" + name;
    return LoadLibraryW(Utf8ToWide(path).c_str());
}

std::string HostToWinsock(const std::string& name) {
    bool ascii = true;
    for (char c : name) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii) return name;
    // IdnToAscii came with later systems: looked up, not linked.
    using ToAscii = int(WINAPI*)(DWORD, LPCWSTR, int, LPWSTR, int);
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    auto idn = kernel ? reinterpret_cast<ToAscii>(reinterpret_cast<void*>(GetProcAddress(kernel, "IdnToAscii"))) : nullptr;
    const std::wstring wide = Utf8ToWide(name);
    wchar_t ace[256];
    const int n = idn ? idn(0, wide.c_str(), static_cast<int>(wide.size()), ace, 256) : 0;
    std::string out;
    if (n > 0) return WideToUtf8(std::wstring_view(ace, static_cast<size_t>(n)));
    FileSystem().ToCodePage(name, out);
    return out;
}

std::string HostFromWinsock(const char* name) { return name ? FileSystem().FromCodePage(name) : std::string(); }

std::string Clock::ErrorText(uint32_t code) {
    std::string s = SystemMessage(code);
    return s.empty() ? "System error " + std::to_string(code) + "." : s;
}

// Windows of other threads are not waited for: a hung one must not hold the caller.
void Clock::BroadcastTimeChange() { SendNotifyMessageW(HWND_BROADCAST, WM_TIMECHANGE, 0, 0); }

void Ui::ProcessMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Leave the quit for the main loop to see.
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

namespace {
const wchar_t kMsgClass[] = L"VelmoraMessageWindow";

LRESULT CALLBACK MsgWndProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
    auto* handler = reinterpret_cast<IMessageWindow::Handler*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (handler && *handler) {
        intptr_t r = Guarded([&] { return (*handler)(msg, w, l); }, intptr_t{0});
        if (r != kMsgDefault) return r;
    }
    return DefWindowProcW(hwnd, msg, w, l);
}

// A hidden top-level window; its handler sees every message, and answers what it does
// not handle with DefWindowProc (through the handler's own choice).
class MessageWindow : public IMessageWindow {
public:
    explicit MessageWindow(Handler h) : handler_(std::move(h)) {
        static bool registered = false;
        if (!registered) {
            WNDCLASSW wc{};
            wc.lpfnWndProc = MsgWndProc;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = kMsgClass;
            RegisterClassW(&wc);
            registered = true;
        }
        hwnd_ = CreateWindowExW(WS_EX_TOOLWINDOW, kMsgClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&handler_));
    }
    ~MessageWindow() override {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
    uintptr_t Handle() const override { return reinterpret_cast<uintptr_t>(hwnd_); }
    bool Post(uint32_t msg, uintptr_t w, intptr_t l) override { return PostMessageW(hwnd_, msg, w, l) != 0; }
    intptr_t Send(uint32_t msg, uintptr_t w, intptr_t l) override { return SendMessageW(hwnd_, msg, w, l); }

private:
    HWND hwnd_;
    Handler handler_;
};

std::map<UINT_PTR, std::function<void()>>& Timers() {
    static std::map<UINT_PTR, std::function<void()>> t;
    return t;
}

VOID CALLBACK TimerProc(HWND, UINT, UINT_PTR id, DWORD) {
    auto it = Timers().find(id);
    if (it == Timers().end()) return;
    auto fn = it->second;  // the tick may stop its own timer
    Guarded([&] { fn(); return 0; }, 0);
}
}  // namespace

std::unique_ptr<IMessageWindow> Ui::CreateMessageWindow(IMessageWindow::Handler handler) {
    return std::make_unique<MessageWindow>(std::move(handler));
}

uintptr_t Ui::StartTimer(uint32_t ms, std::function<void()> onTick) {
    UINT_PTR id = SetTimer(nullptr, 0, ms, TimerProc);
    if (id) Timers()[id] = std::move(onTick);
    return id;
}

void Ui::StopTimer(uintptr_t id) {
    KillTimer(nullptr, id);
    Timers().erase(id);
}

namespace {
int g_openBoxContext = 0;
}

int OpenBoxHelpContext() { return g_openBoxContext; }

int Ui::MsgBox(const std::string& text, const std::string& caption, uint32_t flags, int helpContext) {
    MSGBOXPARAMSW p{};
    p.cbSize = sizeof(p);
    // Owned by the window the user looks at, so a click there cannot bury the box.
    p.hwndOwner = reinterpret_cast<HWND>(WindowUserSees());
    p.hInstance = GetModuleHandleW(nullptr);
    const std::wstring wideText = Utf8ToWide(text), wideCaption = Utf8ToWide(caption);
    p.lpszText = wideText.c_str();
    p.lpszCaption = wideCaption.c_str();
    p.dwStyle = (flags & MB_STAYBEHIND_) ? (flags & ~MB_STAYBEHIND_) : (flags | MB_SETFOREGROUND);
    p.dwContextHelpId = static_cast<DWORD_PTR>(helpContext);
    const int outer = g_openBoxContext;  // a box may open while another waits
    g_openBoxContext = helpContext;
    const int answer = MessageBoxIndirectW(&p);
    g_openBoxContext = outer;
    return answer;
}

void Ui::SetBusyCursor(bool busy) { SetCursor(LoadCursorW(nullptr, busy ? IDC_WAIT : IDC_ARROW)); }
uint32_t Ui::MessageTick() { return static_cast<uint32_t>(GetMessageTime()); }

}  // namespace win32
