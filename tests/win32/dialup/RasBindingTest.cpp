// The real dial-up service bound at run time (under Wine: an empty stub), the record
// sizes, and the simulated service's entry dialog as a real window.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>

#include "dialup/DialUp.h"
#include "dialup/win32/DefaultRas.h"
#include "dialup/win32/RasBinding.h"
#include "dialup/win32/SimEntryDialog.h"
#include "platform/Platform.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/Win32Profile.h"

namespace {

TEST(RasBinding, RecordSizesAreThoseOfTheFirst32BitReleases) {
    EXPECT_EQ(sizeof(ras::RasDialParams), 1052u);
    EXPECT_EQ(sizeof(ras::RasEntryName), 264u);
    EXPECT_EQ(sizeof(ras::RasConn), 412u);
    EXPECT_EQ(sizeof(ras::RasConnStatus), 160u);
    EXPECT_EQ(offsetof(ras::RasConn, szEntryName), 8u);
    EXPECT_EQ(offsetof(ras::RasDialParams, szDomain), 1033u);
}

TEST(RasBinding, LoadsFromTheSystemDirectoryListsNothingAndFailsADial) {
    ras::RasBinding ras;
    char dir[MAX_PATH] = {};
    GetSystemDirectoryA(dir, MAX_PATH);
    EXPECT_EQ(ras.LibraryPath(), std::string(dir) + "\\rasapi32.dll");
    if (!ras.Loaded()) {
        // Degraded: every call gives the loader's code, none crashes.
        EXPECT_NE(ras.LoadError(), 0u);
        ras::RasHandle h = 0;
        EXPECT_EQ(ras.Dial(ras::RasDialParams{}, nullptr, h), ras.LoadError());
        return;
    }
    std::vector<ras::RasEntryName> names(ras::MaxListed);
    std::memset(names.data(), 0, names.size() * sizeof names[0]);
    names[0].dwSize = sizeof names[0];
    uint32_t bytes = static_cast<uint32_t>(names.size() * sizeof names[0]), count = 99;
    uint32_t r = ras.EnumEntries(names.data(), bytes, count);
    EXPECT_EQ(count, 0u) << "result " << r;

    std::vector<ras::RasConn> conns(ras::MaxListed);
    std::memset(conns.data(), 0, conns.size() * sizeof conns[0]);
    conns[0].dwSize = sizeof conns[0];
    bytes = static_cast<uint32_t>(conns.size() * sizeof conns[0]);
    count = 99;
    r = ras.EnumConnections(conns.data(), bytes, count);
    EXPECT_EQ(count, 0u) << "result " << r;

    char text[ras::ErrorTextBuffer];
    EXPECT_EQ(ras.GetErrorString(680, text, sizeof text), 0u);
    EXPECT_STRNE(text, "Dial-up error 680.");  // the service's text, or our own wording
    EXPECT_GT(std::strlen(text), 0u);
    EXPECT_LT(std::strlen(text), 100u);
}

// The component over the real service: no entries, and an asynchronous dial that fails
// reports the service's code through OnError.
TEST(RasBinding, ComponentOverTheRealService) {
    win32::Ui ui;
    platform::TSwapServices services([&](platform::Services& s) { s.ui = &ui; });
    ras::RasBinding ras;
    TDialUp dialUp(nullptr, &ras);
    std::vector<std::string> entries;
    dialUp.OnEntryGet = [&](TObject*, const char* name) { entries.push_back(name); };
    dialUp.GetEntries();
    EXPECT_TRUE(entries.empty());
    EXPECT_TRUE(dialUp.Entries().empty());

    std::vector<int> codes;
    std::vector<std::string> texts;
    dialUp.OnError = [&](TObject*, int code, const std::string& text) {
        codes.push_back(code);
        texts.push_back(text);
    };
    dialUp.SetEntry("Velmora test entry that does not exist");
    dialUp.SetUsername("nobody");
    dialUp.SetPassword("nothing");
    uint32_t r = dialUp.Dial();
    EXPECT_NE(r, 0u);
    ASSERT_EQ(codes.size(), 1u);
    EXPECT_EQ(static_cast<uint32_t>(codes[0]), r);
    EXPECT_FALSE(texts[0].empty());
    dialUp.HangUp();  // whatever handle came back: must not crash
}

// The program's own arrangement when VELMORA_PHONEBOOK is set: the simulated service on
// its own thread, the Windows profile service, notifications through a real hidden window.
TEST(SimulatedRasOnWindows, NotificationsReachTheUiThreadInOrder) {
    char dir[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, dir);
    std::string book = std::string(dir) + "velmora-dialup-test.ini";
    DeleteFileA(book.c_str());
    Win32Profile profile;
    win32::Ui ui;
    platform::TSwapServices services([&](platform::Services& s) {
        s.ui = &ui;
        s.profile = &profile;
    });
    ASSERT_TRUE(profile.WriteString(book, "Net", "StepDelay", "0"));
    ASSERT_TRUE(profile.WriteString(book, "Busy Line", "PhoneNumber", "555"));
    ASSERT_TRUE(profile.WriteString(book, "Busy Line", "Busy", "555"));
    ASSERT_TRUE(profile.WriteString(book, "Busy Line", "StepDelay", "0"));
    {
        SetEnvironmentVariableA("VELMORA_PHONEBOOK", book.c_str());
        auto service = ras::MakeDefaultRasApi();
        SetEnvironmentVariableA("VELMORA_PHONEBOOK", nullptr);
        TDialUp dialUp(nullptr, service.get());
        ASSERT_EQ(dialUp.GetEntries(), 0u);
        EXPECT_EQ(dialUp.Entries(), (std::vector<std::string>{"Net", "Busy Line"}));
        DWORD uiThread = GetCurrentThreadId();
        std::vector<std::pair<int, uint32_t>> seen;
        dialUp.OnAsyncEvent = [&](TObject*, int state, int error, const std::string&) {
            EXPECT_EQ(GetCurrentThreadId(), uiThread);
            seen.emplace_back(state, dialUp.LastError());
        };
        auto waitFor = [&](int finalState) {
            DWORD start = GetTickCount();
            while ((seen.empty() || seen.back().first != finalState) && GetTickCount() - start < 10000) {
                ui.ProcessMessages();
                Sleep(1);
            }
        };
        dialUp.SetEntry("Net");
        ASSERT_EQ(dialUp.Dial(), 0u);
        waitFor(8192);
        ASSERT_EQ(seen.size(), 16u);
        for (int i = 0; i < 15; ++i) EXPECT_EQ(seen[i], std::make_pair(i, 0u));
        seen.clear();
        dialUp.SetEntry("Busy Line");
        ASSERT_EQ(dialUp.Dial(), 0u);
        waitFor(8193);
        ASSERT_EQ(seen.size(), 4u);
        EXPECT_EQ(seen.back(), std::make_pair(8193, 676u));
    }
    DeleteFileA(book.c_str());
}

TEST(DefaultRas, PhonebookVariableChoosesTheSimulation) {
    SetEnvironmentVariableA("VELMORA_PHONEBOOK", "demo-phonebook.ini");
    auto sim = ras::MakeDefaultRasApi();
    SetEnvironmentVariableA("VELMORA_PHONEBOOK", nullptr);
    auto* s = dynamic_cast<ras::SimulatedRas*>(sim.get());
    ASSERT_NE(s, nullptr);
    char cwd[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, cwd);
    std::string want = std::string(cwd) + (cwd[std::strlen(cwd) - 1] == '\\' ? "" : "\\") + "demo-phonebook.ini";
    EXPECT_EQ(s->PhonebookFile(), want);
    auto real = ras::MakeDefaultRasApi();
    EXPECT_NE(dynamic_cast<ras::RasBinding*>(real.get()), nullptr);
}

// Drives the entry dialog from a timer of the thread's own modal loop: the first tick that
// finds it fills it in and presses OK; a later tick that still finds it presses Cancel.
struct DialogDriver {
    static inline const char* caption;
    static inline const char* name;
    static inline const char* number;
    static inline int ticks;
    static inline bool pressedOk;
    static inline std::string seenName, seenNumber;
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) {
        HWND dlg = FindWindowA("#32770", caption);
        if (!dlg || !IsWindowVisible(dlg)) {
            if (pressedOk || ++ticks > 200) KillTimer(nullptr, id);  // done, or about 10 s
            return;
        }
        if (pressedOk) {
            SendMessageA(dlg, WM_COMMAND, IDCANCEL, 0);  // OK was refused
            return;
        }
        char buf[300] = {};
        GetDlgItemTextA(dlg, ras::IDC_SIMENTRY_NAME, buf, sizeof buf);
        seenName = buf;
        GetDlgItemTextA(dlg, ras::IDC_SIMENTRY_NUMBER, buf, sizeof buf);
        seenNumber = buf;
        SetDlgItemTextA(dlg, ras::IDC_SIMENTRY_NAME, name);
        SetDlgItemTextA(dlg, ras::IDC_SIMENTRY_NUMBER, number);
        pressedOk = true;
        SendMessageA(dlg, WM_COMMAND, IDOK, 0);
    }
    static bool Run(bool creating, ras::SimEntryFields& f, const char* n, const char* num) {
        caption = creating ? ras::kSimEntryNewCaption : ras::kSimEntryEditCaption;
        name = n;
        number = num;
        ticks = 0;
        pressedOk = false;
        UINT_PTR id = SetTimer(nullptr, 0, 50, &Tick);
        bool r = ras::RunSimEntryDialog(0, creating, f);
        KillTimer(nullptr, id);
        return r;
    }
};

TEST(SimEntryDialog, ShowsAndReturnsTheFields) {
    ras::SimEntryFields f{"Old", "123"};
    EXPECT_TRUE(DialogDriver::Run(false, f, "Renamed", "555-0199"));
    EXPECT_EQ(DialogDriver::seenName, "Old");
    EXPECT_EQ(DialogDriver::seenNumber, "123");
    EXPECT_EQ(f.name, "Renamed");
    EXPECT_EQ(f.phoneNumber, "555-0199");

    ras::SimEntryFields empty;
    EXPECT_FALSE(DialogDriver::Run(true, empty, "", "1"));  // no name: OK refused
    EXPECT_EQ(empty.phoneNumber, "");
}

}  // namespace
