// The settings unit over the Windows profile service, as the program runs it.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <string>

#include "platform/Platform.h"
#include "platform/headless/Headless.h"
#include "settings/Ini.h"
#include "settings/IniLang.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/Win32Profile.h"
#include "tests/unit/settings/TypedValues.h"

namespace {

class IniOverWin32 : public ::testing::Test {
protected:
    IniOverWin32() {
        char buf[MAX_PATH];
        DWORD n = GetTempPathA(MAX_PATH, buf);
        dir = std::string(buf, n) + "velmora-ini-" + std::to_string(GetCurrentProcessId()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name() + "\\";
        CreateDirectoryA(dir.c_str(), nullptr);
        DeleteFileA((dir + "velmora.ini").c_str());
        services.emplace([this](platform::Services& s) {
            s.exePath = dir + "velmora.exe";
            s.profile = &profile;
            s.files = &files;
            s.clock = &clock;
        });
        Reset();
    }
    ~IniOverWin32() override {
        Reset();
        DeleteFileA((dir + "velmora.ini").c_str());
        RemoveDirectoryA(dir.c_str());
        services.reset();
    }
    static void Reset() {
        IniInfo = {};
        IniOptions = {};
        for (auto* l : {&PasswordList, &ApplicationList, &PhoneNumberList, &MailList, &PopServerList,
                        &LegacyMailboxList})
            l->clear();
        CloseLangFile();
    }
    std::string Get(const char* section, const char* key) {
        return profile.ReadString(dir + "velmora.ini", section, key, "<missing>");
    }
    std::string dir;
    Win32Profile profile;
    win32::FileSystem files;
    headless::VirtualClock clock;
    std::optional<platform::TSwapServices> services;
};

TEST_F(IniOverWin32, DefaultsThenRoundTrip) {
    ReadIniFile();
    EXPECT_EQ(IniInfo.SoundFile, dir + "man.wav");
    EXPECT_EQ(IniOptions.TimerDelay, 15);
    EXPECT_TRUE(IniOptions.StayOnline);

    IniInfo.PasswordDUN = "dial pw";
    IniOptions.TimerDelay = 7;
    MailList = {"alice", "bob"};
    PopServerList = {"p1", "p2"};
    PasswordList = {"one", ""};
    PhoneNumberList = {"555"};
    WriteIniFile();
    IniOptions.TimeOnLineHours = 3;
    WriteTimeOnLine();

    Reset();
    ReadIniFile();
    EXPECT_EQ(IniInfo.PasswordDUN, "dial pw");
    EXPECT_EQ(IniOptions.TimerDelay, 7);
    EXPECT_EQ(IniOptions.TimeOnLineHours, 3);
    EXPECT_EQ(MailList, (std::vector<std::string>{"alice", "bob"}));
    EXPECT_EQ(PasswordList, (std::vector<std::string>{"one", ""}));
    EXPECT_EQ(Get("Other", "MenuLanguage"), "<missing>");  // read, never written
}

TEST_F(IniOverWin32, EveryTypedValueReadsBackAsWritten) { ExpectSettingsKeepTypedValues(Reset); }

TEST_F(IniOverWin32, OlderMailboxLayoutIsConverted) {
    std::ofstream(dir + "velmora.ini", std::ios::binary)
        << "[POP3]\r\nServer=pop.example\r\n[Mailboxes]\r\nm0=alice\r\nm1=bob\r\n[Mail]\r\nm5=stale\r\n";
    ReadIniFile();
    EXPECT_EQ(MailList, (std::vector<std::string>{"alice", "bob"}));
    EXPECT_EQ(PopServerList, (std::vector<std::string>{"pop.example", "pop.example"}));
    EXPECT_TRUE(profile.ReadKeys(dir + "velmora.ini", "Mailboxes").empty());
    EXPECT_EQ(profile.ReadKeys(dir + "velmora.ini", "Mail"), (std::vector<std::string>{"m0", "m1"}));
    EXPECT_EQ(Get("POPS", "m1"), "pop.example");
}

// In the code page (as shipped) or in UTF-8 after a byte-order mark.
TEST_F(IniOverWin32, LanguageFileTranslates) {
    for (const char* text : {"D\xE9\x63onnect\xE9", "\xEF\xBB\xBF[Misc]\r\nconst_disc=D\xC3\xA9\x63onnect\xC3\xA9"}) {
        std::ofstream(dir + "Francais.ini", std::ios::binary | std::ios::trunc)
            << (text[0] == 'D' ? "[Misc]\r\nconst_disc=" + std::string(text) : std::string(text)) << "*|*fin\r\n";
        IniOptions.MenuLanguage = "Francais.ini";
        OpenLangFile();
        EXPECT_EQ(GetLangText("Disconnected", "const_disc"), "D\xC3\xA9\x63onnect\xC3\xA9\r\nfin") << text;
        CloseLangFile();
    }
    DeleteFileA((dir + "Francais.ini").c_str());
}

}  // namespace
