// The settings file: defaults, encodings, lists, the conversion of the older mailbox layout,
// what each write routine touches, and the scrambled passwords.
#include "settings/Ini.h"

#include <gtest/gtest.h>

#include "SettingsFixture.h"
#include "TypedValues.h"
#include "core/SysUtils.h"

namespace {

using IniFileTest = SettingsTest;

TEST_F(IniFileTest, MissingFileGivesEveryDefaultAndCreatesNothing) {
    ReadIniFile();
    EXPECT_EQ(IniInfo.Pop3Server, "");
    EXPECT_EQ(IniInfo.Pop3Port, 110);
    EXPECT_EQ(IniInfo.EmailApp, "");
    EXPECT_EQ(IniInfo.SoundFile, dir + "man.wav");
    EXPECT_EQ(IniInfo.DialUpConnection, "");
    EXPECT_EQ(IniInfo.PasswordDUN, "");
    EXPECT_FALSE(IniOptions.AutoDial);
    EXPECT_TRUE(IniOptions.AutoStartUp);
    EXPECT_FALSE(IniOptions.TimerEnabled);
    EXPECT_EQ(IniOptions.TimerDelay, 15);
    EXPECT_FALSE(IniOptions.AutoHangUp);
    EXPECT_EQ(IniOptions.HangUpHour, 0);
    EXPECT_EQ(IniOptions.TimeOnLineSecs, 0);
    EXPECT_TRUE(IniOptions.AutoAdjustClock);
    EXPECT_FALSE(IniOptions.AutoExecEmailApp);
    EXPECT_FALSE(IniOptions.TimeServer.empty());
    EXPECT_TRUE(IniOptions.StayOnline);
    EXPECT_EQ(IniOptions.MaxClockStepHours, 15);
    EXPECT_EQ(IniOptions.MenuLanguage, "English.ini");
    for (auto* l : {&PasswordList, &ApplicationList, &PhoneNumberList, &MailList, &PopServerList})
        EXPECT_TRUE(l->empty());
    EXPECT_FALSE(std::filesystem::exists(Ini()));
    EXPECT_EQ(profile.writes, 0);
}

TEST_F(IniFileTest, NumbersAndSwitchesAreReadLeniently) {
    struct Row {
        const char* text;
        int32_t asInteger;  // "Other"/"TimerDelay", default 15, also for minutes outside 1 to 99
        bool asBool;        // "Other"/"AutoStartUp", default true; "AutoDial", default false
        bool asBoolDefFalse;
    };
    const Row rows[] = {
        {"7", 7, true, true},          {"2", 2, true, true},       {"0", 15, false, false},
        {"-3", 15, true, true},        {" 12", 12, true, true},    {"$10", 16, true, true},
        {"100", 15, true, true},
        {"0x1F", 31, true, true},      {"0x", 15, true, false},    {"word", 15, true, false},
        {"12abc", 15, true, false},    {"", 15, true, false},      {"99999999999", 15, true, false},
    };
    for (const auto& r : rows) {
        ResetSettings();
        std::filesystem::remove(Ini());
        Lay("velmora.ini", std::string("[Other]\nTimerDelay=") + r.text + "\nAutoStartUp=" + r.text +
                               "\nAutoDial=" + r.text + "\n");
        ReadIniFile();
        EXPECT_EQ(IniOptions.TimerDelay, r.asInteger) << r.text;
        EXPECT_EQ(IniOptions.AutoStartUp, r.asBool) << r.text;
        EXPECT_EQ(IniOptions.AutoDial, r.asBoolDefFalse) << r.text;
    }
}

TEST_F(IniFileTest, ListWithAGapCountsItsKeysAndLeavesTheHoleEmpty) {
    Lay("velmora.ini", "[PhoneNumber]\nm0=555-1\nm1=555-2\nm3=555-4\n[Applications]\nfoo=x\n");
    ReadIniFile();
    EXPECT_EQ(PhoneNumberList, (std::vector<std::string>{"555-1", "555-2", ""}));
    EXPECT_EQ(ApplicationList, (std::vector<std::string>{""}));  // one key, but no "m0"
}

TEST_F(IniFileTest, OlderMailboxLayoutIsConvertedByOneRead) {
    Lay("velmora.ini",
        "[POP3]\nServer=pop.old.example\n"
        "[Mailboxes]\nm0=alice\nm1=bob\n"
        "[Mail]\nm0=stale\nm1=stale\nm2=stale\n"
        "[POPS]\nm0=stale.example\n"
        "[Password]\nm0=" + ScramblePassword("pa") + "\nm1=" + ScramblePassword("pb") + "\n");
    ReadIniFile();
    EXPECT_EQ(MailList, (std::vector<std::string>{"alice", "bob"}));
    EXPECT_EQ(PopServerList, (std::vector<std::string>{"pop.old.example", "pop.old.example"}));
    EXPECT_EQ(PasswordList, (std::vector<std::string>{"pa", "pb"}));
    EXPECT_EQ(IniInfo.Pop3Server, "pop.old.example");

    EXPECT_EQ(profile.ReadKeys(Ini(), "Mail"), (std::vector<std::string>{"m0", "m1"}));
    EXPECT_EQ(Get("Mail", "m1"), "bob");
    EXPECT_EQ(profile.ReadKeys(Ini(), "POPS"), (std::vector<std::string>{"m0", "m1"}));
    EXPECT_EQ(Get("POPS", "m1"), "pop.old.example");
    EXPECT_TRUE(profile.ReadKeys(Ini(), "Mailboxes").empty());
    EXPECT_EQ(Slurp("velmora.ini").find("[Mailboxes]"), std::string::npos);

    // A second start finds nothing left to convert.
    int writes = profile.writes;
    ResetSettings();
    ReadIniFile();
    EXPECT_EQ(profile.writes, writes);
    EXPECT_EQ(MailList, (std::vector<std::string>{"alice", "bob"}));
}

TEST_F(IniFileTest, OlderLayoutInAFileThatRefusesWritesStillReadsConverted) {
    const std::string text = "[POP3]\nServer=s.example\n[Mailboxes]\nm0=alice\n[Other]\nTimerDelay=30\n";
    Lay("velmora.ini", text);
    profile.refuseWrites = true;
    EXPECT_NO_THROW(ReadIniFile());
    EXPECT_EQ(MailList, (std::vector<std::string>{"alice"}));
    EXPECT_EQ(PopServerList, (std::vector<std::string>{"s.example"}));
    EXPECT_EQ(PasswordList, (std::vector<std::string>{""}));
    EXPECT_EQ(IniOptions.TimerDelay, 30);
    EXPECT_EQ(Slurp("velmora.ini"), text);  // converted again at the next start that may write
}

TEST_F(IniFileTest, MailboxListsOfDifferentLengthsAreAlignedToTheAccounts) {
    Lay("velmora.ini", "[Mail]\nm0=a\nm1=b\nm2=c\n[POPS]\nm0=s0\n[Password]\n");
    ReadIniFile();
    ASSERT_EQ(MailList.size(), 3u);
    EXPECT_EQ(PopServerList, (std::vector<std::string>{"s0", "", ""}));
    EXPECT_EQ(PasswordList, (std::vector<std::string>{"", "", ""}));

    // More servers than accounts: kept as they are (nothing is thrown away).
    ResetSettings();
    Lay("velmora.ini", "[Mail]\nm0=a\n[POPS]\nm0=s0\nm1=s1\n");
    ReadIniFile();
    EXPECT_EQ(PopServerList.size(), 2u);
    EXPECT_EQ(PasswordList.size(), 1u);
}

void FillEverything() {
    IniInfo = {"mail.exe", "browser.exe", "C:\\snd\\ding.wav", "pop.example", 1110, "My ISP", "joe", "s3cret!"};
    IniOptions.AutoDial = true;
    IniOptions.AutoStartUp = false;
    IniOptions.TimerEnabled = true;
    IniOptions.AutoAdjustClock = false;
    IniOptions.AutoExecEmailApp = true;
    IniOptions.TimerDelay = 42;
    IniOptions.AutoHangUp = true;
    IniOptions.HangUpHour = 23;
    IniOptions.HangUpMinutes = 55;
    IniOptions.TimeServer = "time.example";
    IniOptions.StayOnline = false;
    IniOptions.MaxClockStepHours = 48;
    PasswordList = {"first", "", "a much longer password than nine"};
    ApplicationList = {"C:\\a.exe", "C:\\b.exe"};
    PhoneNumberList = {"555-0100"};
    MailList = {"alice", "bob", "carol"};
    PopServerList = {"p1", "p2", "p3"};
}

TEST_F(IniFileTest, WrittenSettingsReadBackTheSame) {
    FillEverything();
    const TIniInfo info = IniInfo;
    const TIniOptions opts = IniOptions;
    WriteIniFile();
    ResetSettings();
    ReadIniFile();

    EXPECT_EQ(IniInfo.EmailApp, info.EmailApp);
    EXPECT_EQ(IniInfo.WebBrowser, info.WebBrowser);
    EXPECT_EQ(IniInfo.SoundFile, info.SoundFile);
    EXPECT_EQ(IniInfo.Pop3Server, info.Pop3Server);
    EXPECT_EQ(IniInfo.Pop3Port, info.Pop3Port);
    EXPECT_EQ(IniInfo.DialUpConnection, info.DialUpConnection);
    EXPECT_EQ(IniInfo.UsernameDUN, info.UsernameDUN);
    EXPECT_EQ(IniInfo.PasswordDUN, info.PasswordDUN);
    EXPECT_EQ(IniOptions.AutoDial, opts.AutoDial);
    EXPECT_EQ(IniOptions.AutoStartUp, opts.AutoStartUp);
    EXPECT_EQ(IniOptions.TimerEnabled, opts.TimerEnabled);
    EXPECT_EQ(IniOptions.AutoAdjustClock, opts.AutoAdjustClock);
    EXPECT_EQ(IniOptions.AutoExecEmailApp, opts.AutoExecEmailApp);
    EXPECT_EQ(IniOptions.TimerDelay, opts.TimerDelay);
    EXPECT_EQ(IniOptions.AutoHangUp, opts.AutoHangUp);
    EXPECT_EQ(IniOptions.HangUpHour, opts.HangUpHour);
    EXPECT_EQ(IniOptions.HangUpMinutes, opts.HangUpMinutes);
    EXPECT_EQ(IniOptions.TimeServer, opts.TimeServer);
    EXPECT_EQ(IniOptions.StayOnline, opts.StayOnline);
    EXPECT_EQ(IniOptions.MaxClockStepHours, opts.MaxClockStepHours);
    EXPECT_EQ(PasswordList, (std::vector<std::string>{"first", "", "a much longer password than nine"}));
    EXPECT_EQ(ApplicationList, (std::vector<std::string>{"C:\\a.exe", "C:\\b.exe"}));
    EXPECT_EQ(PhoneNumberList, (std::vector<std::string>{"555-0100"}));
    EXPECT_EQ(MailList, (std::vector<std::string>{"alice", "bob", "carol"}));
    EXPECT_EQ(PopServerList, (std::vector<std::string>{"p1", "p2", "p3"}));

    // Passwords never stand in the file in clear.
    std::string text = Slurp("velmora.ini");
    EXPECT_EQ(text.find("s3cret"), std::string::npos);
    EXPECT_EQ(text.find("first"), std::string::npos);
    EXPECT_EQ(Get("Other", "AutoDial"), "1");
    EXPECT_EQ(Get("Other", "StayOnline"), "0");
}

TEST_F(IniFileTest, WriteIniFileLeavesTheTimeOnlineAndTheLanguageAlone) {
    Lay("velmora.ini", "[Other]\nMenuLanguage=Deutsch.ini\nTimeOnLineHours=12\nTimeOnLineMins=34\nTimeOnLineSecs=56\n");
    ReadIniFile();
    IniOptions.MenuLanguage = "changed.ini";
    IniOptions.TimeOnLineHours = 99;
    WriteIniFile();
    EXPECT_EQ(Get("Other", "MenuLanguage"), "Deutsch.ini");
    EXPECT_EQ(Get("Other", "TimeOnLineHours"), "12");
    EXPECT_EQ(Get("Other", "TimeOnLineMins"), "34");
    EXPECT_EQ(Get("Other", "TimeOnLineSecs"), "56");

    WriteTimeOnLine();
    EXPECT_EQ(Get("Other", "TimeOnLineHours"), "99");
    EXPECT_EQ(Get("Other", "TimeOnLineMins"), "34");
    EXPECT_EQ(Get("Other", "MenuLanguage"), "Deutsch.ini");
}

TEST_F(IniFileTest, WriteTimeOnLineTouchesOnlyItsThreeKeys) {
    IniOptions.TimeOnLineHours = 1;
    IniOptions.TimeOnLineMins = 2;
    IniOptions.TimeOnLineSecs = 3;
    WriteTimeOnLine();
    EXPECT_EQ(profile.writes, 3);
    EXPECT_EQ(profile.ReadKeys(Ini(), "Other"),
              (std::vector<std::string>{"TimeOnLineHours", "TimeOnLineMins", "TimeOnLineSecs"}));
}

TEST_F(IniFileTest, EveryListSectionHoldsExactlyItsListAfterWriting) {
    Lay("velmora.ini",
        "[Mail]\nm0=x\nm1=y\nm2=z\nm7=stray\n[Applications]\nm0=old.exe\n[PhoneNumber]\nM0=1\n[PhoneNumber]\nm5=dup\n");
    MailList = {"only"};
    PopServerList = {"s"};
    PasswordList = {"p"};
    ApplicationList.clear();
    PhoneNumberList = {"a", "b"};
    WriteIniFile();
    EXPECT_EQ(profile.ReadKeys(Ini(), "Mail"), (std::vector<std::string>{"m0"}));
    EXPECT_EQ(Get("Mail", "m0"), "only");
    EXPECT_EQ(profile.ReadKeys(Ini(), "PhoneNumber"), (std::vector<std::string>{"m0", "m1"}));
    EXPECT_EQ(Slurp("velmora.ini").find("[Applications]"), std::string::npos);  // empty list, no section
    EXPECT_EQ(Slurp("velmora.ini").find("dup"), std::string::npos);
}

TEST_F(IniFileTest, ARefusedWriteNamesTheFile) {
    profile.refuseWrites = true;
    for (auto write : {&WriteIniFile, &WriteTimeOnLine}) {
        try {
            write();
            ADD_FAILURE() << "no error";
        } catch (const EIniFileException& e) {
            EXPECT_EQ(e.Message(), "Unable to write to " + Ini());
        }
    }
}

TEST_F(IniFileTest, EveryTypedValueReadsBackAsWritten) { ExpectSettingsKeepTypedValues(ResetSettings); }

// A value the file cannot hold whole (or that would split into lines) stops the write before
// anything is written, with a message that names it; the file stays as it was.
TEST_F(IniFileTest, AValueTheFileCannotHoldIsRefusedBeforeAnythingIsWritten) {
    const struct {
        std::string value;
        std::string why;
    } rows[] = {
        {std::string(1024, 'x'), "is longer than the 1023 characters the file can keep of it."},
        // Blanks at the ends are kept by quotes, which leave one character less.
        {" " + std::string(1022, 'y'), "is longer than the 1022 characters the file can keep of it."},
        {"mail.exe\r\nAutoDial=1", "holds a line break."},
    };
    for (const auto& r : rows) {
        Lay("velmora.ini", "[Browser]\r\nWeb browser=old.exe\r\n");
        FillEverything();
        ApplicationList = {"a.exe", r.value};
        try {
            WriteIniFile();
            ADD_FAILURE() << "no error";
        } catch (const EIniFileException& e) {
            EXPECT_EQ(e.Message(), "Nothing was saved to " + Ini() + ": the value of \"m1\" in [Applications] " + r.why);
        }
        EXPECT_EQ(Slurp("velmora.ini"), "[Browser]\r\nWeb browser=old.exe\r\n");
    }
}

TEST_F(IniFileTest, SettingsFileLivesBesideTheExecutable) {
    EXPECT_EQ(ExtractFilePath("C:\\Program Files\\Velmora\\velmora.exe"), "C:\\Program Files\\Velmora\\");
    EXPECT_EQ(ExtractFilePath("/opt/v/velmora.exe"), "/opt/v/");
    EXPECT_EQ(ExtractFilePath("C:velmora.exe"), "C:");
    EXPECT_EQ(ExtractFilePath("velmora.exe"), "");
    EXPECT_EQ(IniFileName(), dir + "velmora.ini");
}

// ---- passwords ----

TEST(ScramblePassword, LengthOfTheDigitsFollowsTheTextLength) {
    headless::VirtualClock clock;
    platform::TSwapServices services([&](platform::Services& s) { s.clock = &clock; });
    const struct {
        size_t chars;
        size_t digits;
    } rows[] = {{0, 25}, {1, 25}, {9, 25}, {10, 30}, {11, 30}, {12, 35}, {254, 640}, {255, 640}, {300, 640}};
    for (const auto& r : rows) {
        std::string clear(r.chars, 'k');
        std::string s = ScramblePassword(clear);
        EXPECT_EQ(s.size(), r.digits) << r.chars;
        EXPECT_EQ(s.find_first_not_of("0123456789"), std::string::npos);
        EXPECT_EQ(UnscramblePassword(s), clear.substr(0, 255)) << r.chars;
    }
}

TEST(ScramblePassword, KeepsItsStoredFormat) {
    // Length byte 1 and "a" (doubled to 16 characters), as little-endian words + 21739.
    EXPECT_EQ(ScramblePassword("a"), "46572" "46668" "46668" "46668" "46668");
    EXPECT_EQ(UnscramblePassword("46572466684666846668466684"), "a");  // a cut last group still reads
}

TEST(ScramblePassword, SamePasswordSameDigitsEvenPastNineCharacters) {
    for (const std::string p : {"x", "abcdefghi", "abcdefghij", "abcdefghijkl", "with spaces and ÄÖ bytes"}) {
        EXPECT_EQ(ScramblePassword(p), ScramblePassword(p)) << p;
        EXPECT_EQ(UnscramblePassword(ScramblePassword(p)), p);
    }
    // The byte after a text of even length is zero: "j" then 0 in the last word.
    EXPECT_EQ(ScramblePassword("abcdefghij").substr(25), IntToStr('j' + 21739));
}

TEST(ScramblePassword, EmptyPasswordVariesWithTheTickCountAndReadsBackEmpty) {
    headless::VirtualClock clock(123456);
    platform::TSwapServices services([&](platform::Services& s) { s.clock = &clock; });
    std::string first = ScramblePassword("");
    clock.Advance(1);
    std::string second = ScramblePassword("");
    EXPECT_NE(first, second);
    EXPECT_EQ(first.size(), 25u);
    EXPECT_EQ(UnscramblePassword(first), "");
    EXPECT_EQ(UnscramblePassword(second), "");
    EXPECT_EQ(UnscramblePassword(""), "");
}

TEST(UnscramblePassword, TextsOutsideTheFormatGiveWhatTheyCarry) {
    // Length byte 255 but only one more group: the three characters really there.
    std::string announcesMore = IntToStr(255 + 256 * 'a' + 21739) + IntToStr('b' + 256 * 'c' + 21739);
    EXPECT_EQ(UnscramblePassword(announcesMore), "abc");
    // 200 groups: only the 128 that fit the buffer count.
    std::string clear(255, 'z');
    std::string tooLong = ScramblePassword(clear) + std::string(72 * 5, '9');
    EXPECT_EQ(UnscramblePassword(tooLong), clear);
    // A group that is no number: no password rather than an error.
    EXPECT_EQ(UnscramblePassword("46572abcde46668"), "");
}

TEST_F(IniFileTest, AMangledPasswordDoesNotStopTheRead) {
    Lay("velmora.ini",
        "[DUN]\nUsernameDUN=joe\nPasswordDUN=12x45678901234567890123456\n[Browser]\nWeb browser=web.exe\n"
        "[Other]\nTimerDelay=5\n[Password]\nm0=garbage!\nm1=" + ScramblePassword("ok") + "\n[Mail]\nm0=a\nm1=b\n");
    ASSERT_NO_THROW(ReadIniFile());
    EXPECT_EQ(IniInfo.UsernameDUN, "joe");
    EXPECT_EQ(IniInfo.PasswordDUN, "");
    EXPECT_EQ(IniInfo.WebBrowser, "web.exe");
    EXPECT_EQ(IniOptions.TimerDelay, 5);
    EXPECT_TRUE(IniOptions.StayOnline);
    EXPECT_EQ(PasswordList, (std::vector<std::string>{"", "ok"}));
    EXPECT_EQ(MailList, (std::vector<std::string>{"a", "b"}));
}

}  // namespace
