// The Win32 backends under Wine: message windows, window timers, and real child windows
// whose window text is their caption.
#include <windows.h>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "app/Main_F.h"
#include "platform/Platform.h"
#include "platform/win32/Win32Platform.h"
#include "net/win32/WinsockBinding.h"
#include "settings/Ini.h"
#include "platform/win32/Win32Profile.h"
#include "platform/win32/WinsockSocket.h"
#include "widgets/win32/Win32Widgets.h"

namespace {
win32::Clock g_clock;
win32::Ui g_ui;
win32::Tray g_tray;
win32::Programs g_programs;
win32::Sound g_sound;
win32::WidgetFactory g_factory;
Win32Profile g_profile;
win32::Registry g_registry;
win32::FileSystem g_files;

class Win32Backend : public ::testing::Test {
protected:
    void SetUp() override {
        // The main window reads its settings beside the "program": a scratch folder.
        char tmp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, tmp);
        std::string dir = std::string(tmp) + "velmora-backend-test";
        CreateDirectoryA(dir.c_str(), nullptr);
        DeleteFileA((dir + "\\velmora.ini").c_str());
        platform::Install({.clock = &g_clock, .ui = &g_ui, .profile = &g_profile, .registry = &g_registry,
                           .files = &g_files, .tray = &g_tray, .programs = &g_programs, .sound = &g_sound,
                           .blockingSockets = &platform::WinsockBlockingSockets(),
                           .asyncSockets = &net::win32::Winsock(), .widgets = &g_factory,
                           .exePath = dir + "\\velmora.exe"});
        Application().Initialize();
    }
    // Pumps messages until pred() holds or the time is up.
    template <class P>
    bool PumpUntil(P pred, DWORD ms = 5000) {
        DWORD end = GetTickCount() + ms;
        while (!pred()) {
            if (static_cast<int>(GetTickCount() - end) > 0) return false;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
            g_ui.ProcessMessages();
        }
        return true;
    }
};

std::string TextOf(uintptr_t h) {
    char buf[512] = {};
    GetWindowTextA(reinterpret_cast<HWND>(h), buf, sizeof(buf));
    return buf;
}
}  // namespace

TEST_F(Win32Backend, PostsFromAnotherThreadArriveInOrderOnTheUiThread) {
    DWORD uiThread = GetCurrentThreadId();
    std::vector<uintptr_t> got;
    bool wrongThread = false;
    auto win = g_ui.CreateMessageWindow([&](uint32_t msg, uintptr_t w, intptr_t) -> intptr_t {
        if (msg != WM_USER + 7) return 0;
        if (GetCurrentThreadId() != uiThread) wrongThread = true;
        got.push_back(w);
        return 0;
    });
    std::thread t([&] {
        for (uintptr_t i = 0; i < 50; ++i) win->Post(WM_USER + 7, i, 0);
    });
    t.join();
    ASSERT_TRUE(PumpUntil([&] { return got.size() == 50; }));
    EXPECT_FALSE(wrongThread);
    for (uintptr_t i = 0; i < 50; ++i) EXPECT_EQ(got[i], i);
}

TEST_F(Win32Backend, WindowTimerTicksInTheLoopAndStops) {
    TTimer t(nullptr, 30, true);
    int n = 0;
    t.OnTimer = [&](TObject*) {
        if (++n == 3) t.SetEnabled(false);
    };
    ASSERT_TRUE(PumpUntil([&] { return n >= 3; }));
    PumpUntil([] { return false; }, 150);
    EXPECT_EQ(n, 3);
}

TEST_F(Win32Backend, MainWindowControlsAreRealWindowsWithTheirCaptions) {
    {
        TMainForm form(&Application());
        Application().MainForm = &form;
        form.FormCreate();
        HWND h = reinterpret_cast<HWND>(form.Handle());
        ASSERT_TRUE(IsWindow(h));
        EXPECT_EQ(TextOf(form.Handle()), "Velmora ");
        RECT r;
        GetClientRect(h, &r);
        EXPECT_EQ(r.right, 529);
        EXPECT_EQ(r.bottom, 302);
        EXPECT_EQ(TextOf(form.Status2.Handle()), "Off-line");
        EXPECT_EQ(TextOf(form.SpeedButton1.Handle()), "Dial");
        EXPECT_EQ(GetParent(reinterpret_cast<HWND>(form.SpeedButton1.Handle())),
                  reinterpret_cast<HWND>(form.Panel1.Handle()));
        form.Status2.SetCaption("Connected.");
        EXPECT_EQ(TextOf(form.Status2.Handle()), "Connected.");
        EXPECT_FALSE(IsWindowEnabled(reinterpret_cast<HWND>(form.SpeedButton2.Handle())));

        // A click on the real button reaches the control's handler.
        int clicks = 0;
        form.SpeedButton3.OnClick = [&](TObject*) { ++clicks; };
        SendMessageA(reinterpret_cast<HWND>(form.SpeedButton3.Handle()), BM_CLICK, 0, 0);
        EXPECT_EQ(clicks, 1);

        form.HListBox2.Add("Opening Port");
        HWND lb = reinterpret_cast<HWND>(form.HListBox2.Handle());
        EXPECT_EQ(SendMessageA(lb, LB_GETCOUNT, 0, 0), 2);
        Application().MainForm = nullptr;
    }
}

namespace {
BOOL CALLBACK CollectOwnTops(HWND h, LPARAM l) {
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    if (pid == GetCurrentProcessId()) reinterpret_cast<std::vector<HWND>*>(l)->push_back(h);
    return TRUE;
}
}  // namespace

TEST_F(Win32Backend, LoggingOffIsAnsweredYesByEveryWindowAndRunsTheClosePath) {
    TMainForm form(&Application());
    Application().MainForm = &form;
    form.FormCreate();
    IniOptions.TimeOnLineHours = 4;
    IniOptions.TimeOnLineMins = 3;
    IniOptions.TimeOnLineSecs = 2;
    // Every top-level window of the program, the hidden ones included (the dial-up
    // component's, the application window), is asked, as Windows does.
    std::vector<HWND> tops;
    EnumWindows(CollectOwnTops, reinterpret_cast<LPARAM>(&tops));
    ASSERT_GE(tops.size(), 3u);
    for (HWND h : tops) {
        char cls[64] = {};
        GetClassNameA(h, cls, sizeof cls);
        EXPECT_NE(SendMessageA(h, WM_QUERYENDSESSION, 0, 0), 0) << cls;
    }
    char buf[32] = {};
    GetPrivateProfileStringA("Other", "TimeOnLineHours", "", buf, sizeof buf, IniFileName().c_str());
    EXPECT_STREQ(buf, "4");  // the close query wrote the time
    EXPECT_FALSE(form.Closed());
    SendMessageA(reinterpret_cast<HWND>(form.Handle()), WM_ENDSESSION, TRUE, 0);
    EXPECT_TRUE(form.Closed());
    MSG quit;
    PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);  // the closed main window's
    Application().MainForm = nullptr;
}

// A window whose thread has stopped handling messages must not hold the time-change
// broadcast; the clock's error text is the system's, on one line.
TEST_F(Win32Backend, TimeChangeBroadcastDoesNotWaitForAHungWindow) {
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread hung([ready] {
        HWND w = CreateWindowA("STATIC", "hung", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        SetEvent(ready);
        Sleep(4000);  // no message loop meanwhile
        DestroyWindow(w);
    });
    WaitForSingleObject(ready, 5000);
    DWORD start = GetTickCount();
    g_clock.BroadcastTimeChange();
    EXPECT_LT(GetTickCount() - start, 2000u);
    hung.join();
    CloseHandle(ready);
    std::string text = g_clock.ErrorText(ERROR_PRIVILEGE_NOT_HELD);
    EXPECT_FALSE(text.empty());
    EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos);
}

// The favorites walk tells a folder it has been in by its identity, whatever path led there.
TEST(Win32FolderIdentity, EveryPathToAFolderGivesTheSameIdentity) {
    char tmp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, tmp);
    const std::string dir = std::string(tmp) + "velmora-folder-id";
    CreateDirectoryA(dir.c_str(), nullptr);
    CreateDirectoryA((dir + "\\Sub").c_str(), nullptr);
    win32::FileSystem files;
    auto identity = [&](const std::string& path) { return files.FolderIdentity(path); };
    const std::string id = identity(dir);
    EXPECT_NE(id, dir);  // a real identity, not the path
    EXPECT_EQ(identity(dir + "\\Sub\\.."), id);
    EXPECT_EQ(identity(dir + "\\SUB\\..\\"), id);
    EXPECT_NE(identity(dir + "\\Sub"), id);
    EXPECT_EQ(identity(dir + "\\missing"), dir + "\\missing");
    RemoveDirectoryA((dir + "\\Sub").c_str());
    RemoveDirectoryA(dir.c_str());
}
