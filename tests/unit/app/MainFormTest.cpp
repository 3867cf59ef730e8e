// The main window as created: layout, texts and the minimise/restore rules.
#include "app/Main_F.h"
#include "app/Unit4.h"
#include "tests/unit/HeadlessFixture.h"

class MainFormTest : public HeadlessTest {
protected:
    MainFormTest() : form(&Application()) {
        Application().MainForm = &form;
        form.FormCreate();
    }
    TMainForm form;
};

TEST_F(MainFormTest, StartsOffLineWithTheStoredLayout) {
    EXPECT_EQ(form.Caption(), "Velmora ");
    EXPECT_EQ(form.ClientWidth(), 529);
    EXPECT_EQ(form.ClientHeight(), 302);
    EXPECT_EQ(form.Status2.Caption(), "Off-line");
    EXPECT_EQ(form.Label1.Caption(), "Status: ");
    EXPECT_EQ(form.SpeedButton1.Caption(), "Dial");
    EXPECT_FALSE(form.SpeedButton2.Enabled());
    // FormCreate moves the tool panel and enlarges the message list.
    EXPECT_EQ(form.Panel1.Left(), 89);
    EXPECT_EQ(form.HListBox2.Top(), 85);
    EXPECT_EQ(form.HListBox2.Height(), 141);
    EXPECT_EQ(form.Hint(), "Velmora 1.2d");
    EXPECT_EQ(form.PopupMenu1.BannerText, "Velmora 1.2d");
}

TEST_F(MainFormTest, PopupMenuPositionsAreFixed) {
    const char* expected[] = {"&Dial", "&Stay Online", "&Hang-up", "-", "Execute &Web Browser",
                              "Execute &Email Application", "-", "&Check For New Email", "&Adjust Computer Clock",
                              "&Favorites Internet", "-", "&Settings", "-", "&Close"};
    ASSERT_EQ(form.PopupMenu1.Count(), 14);
    for (int i = 0; i < 14; ++i) EXPECT_EQ(form.PopupMenu1.Items(i)->Caption(), expected[i]) << i;
    EXPECT_TRUE(form.PopupMenu1.Items(0)->Enabled());
    EXPECT_TRUE(form.PopupMenu1.Items(1)->Checked());
    for (int i : {2, 7, 8}) EXPECT_FALSE(form.PopupMenu1.Items(i)->Enabled()) << i;
}

TEST_F(MainFormTest, MinimiseHidesToTheNotificationAreaAndRestoreBringsItBack) {
    auto* app = headless::PeerOf(Application());
    form.Show();
    TMessage m{WM_SYSCOMMAND_, SC_MINIMIZE_, 0, 0, false};
    form.Dispatch(m);
    EXPECT_TRUE(m.Handled);
    EXPECT_EQ(m.Result, 1);
    EXPECT_FALSE(form.Visible());
    EXPECT_EQ(app->showCalls.back(), SW_HIDE_);

    TMessage r{WM_SYSCOMMAND_, SC_RESTORE_, 0, 0, false};
    EXPECT_TRUE(Application().RunHooks(r));  // the taskbar button's / second instance's restore
    EXPECT_TRUE(form.Visible());
    EXPECT_EQ(app->showCalls.back(), SW_SHOW_);

    TMessage other{WM_SYSCOMMAND_, 0xF030 /* maximise */, 0, 0, false};
    form.Dispatch(other);
    EXPECT_FALSE(other.Handled);
    EXPECT_FALSE(Application().RunHooks(other));
}

TEST_F(MainFormTest, PostedMessagesRunFromTheLoop) {
    struct Probe : TForm {
        using TForm::TForm;
        std::vector<uint32_t> seen;
        void WndProc(TMessage& m) override { seen.push_back(m.Msg); }
    } probe(nullptr, "Probe");
    probe.CreateHandle();
    probe.PostMsg(UM_RECONNECT);
    EXPECT_EQ(probe.Perform(UM_CHECKMAIL), 0);
    EXPECT_EQ(probe.seen, (std::vector<uint32_t>{UM_CHECKMAIL}));
    Application().ProcessMessages();
    EXPECT_EQ(probe.seen, (std::vector<uint32_t>{UM_CHECKMAIL, UM_RECONNECT}));
}

#include "settings/Ini.h"

TEST_F(MainFormTest, ReactToIniOptionsShowsTimeNoticeAndTimerSettings) {
    struct Case {
        int32_t h, m, s;
        const char* label;
    } cases[] = {{0, 5, 9, "0:05:09"}, {123, 0, 0, "123:00:00"}, {7, 59, 59, "7:59:59"}};
    for (auto& c : cases) {
        IniOptions.TimeOnLineHours = c.h;
        IniOptions.TimeOnLineMins = c.m;
        IniOptions.TimeOnLineSecs = c.s;
        form.ReactToIniOptions();
        EXPECT_EQ(form.Label3.Caption(), c.label);
    }

    IniOptions.AutoHangUp = true;
    IniOptions.HangUpHour = 7;
    IniOptions.HangUpMinutes = 5;
    form.ReactToIniOptions();
    EXPECT_EQ(form.MSOfficeCaption1.Hint(), "/ Scheduled to hang-up at (7:05)");
    EXPECT_EQ(form.TimerHangUp.Interval(), 20000u);
    IniOptions.HangUpHour = 0;
    IniOptions.HangUpMinutes = 0;
    form.ReactToIniOptions();
    EXPECT_EQ(form.MSOfficeCaption1.Hint(), "/ Scheduled to hang-up at (0:00)");
    IniOptions.AutoHangUp = false;
    form.ReactToIniOptions();
    EXPECT_EQ(form.MSOfficeCaption1.Hint(), "");
    EXPECT_EQ(form.TimerHangUp.Interval(), 0u);

    IniOptions.TimerDelay = 15;
    IniOptions.TimerEnabled = true;
    form.ReactToIniOptions();
    EXPECT_EQ(form.TimerCheckEmail.Interval(), 900000u);
    EXPECT_FALSE(form.TimerCheckEmail.Running());  // off-line: disabled
    Connected = true;
    form.ReactToIniOptions();
    EXPECT_TRUE(form.TimerCheckEmail.Running());
    IniOptions.TimerEnabled = false;
    form.ReactToIniOptions();
    EXPECT_EQ(form.TimerCheckEmail.Interval(), 0u);
    EXPECT_FALSE(form.TimerCheckEmail.Running());  // enabled, but an interval of 0 never fires
    Connected = false;

    IniOptions.StayOnline = false;
    form.ReactToIniOptions();
    EXPECT_FALSE(form.StayOnline1->Checked());
}

TEST_F(MainFormTest, TrayIconsAreSetUpAndDoubleClickRestores) {
    EXPECT_TRUE(form.MainTrayIcon.Visible());
    EXPECT_FALSE(form.SystemTrayIcon1.Visible());
    EXPECT_EQ(form.MainTrayIcon.Tip(), "Velmora v  1.2d");
    EXPECT_EQ(form.MainTrayIcon.MessageID, 1025u);
    EXPECT_EQ(form.SystemTrayIcon1.Tip(), "You have new emails !");
    form.Hide();
    form.MainTrayIcon.WndProc(1025, 1, 0x203);
    EXPECT_TRUE(form.Visible());
    EXPECT_EQ(headless::PeerOf(Application())->showCalls.back(), SW_SHOW_);
}

TEST_F(MainFormTest, ClosingWritesTheCumulativeTimeUnchangedWhileOffLine) {
    IniOptions.TimeOnLineHours = 3;
    IniOptions.TimeOnLineMins = 10;
    IniOptions.TimeOnLineSecs = 0;
    form.Quit2->Click();
    EXPECT_TRUE(form.Closed());
    EXPECT_EQ(profile.ReadString(IniFileName(), "Other", "TimeOnLineHours", ""), "3");
    EXPECT_EQ(profile.ReadString(IniFileName(), "Other", "TimeOnLineMins", ""), "10");
    EXPECT_EQ(profile.ReadString(IniFileName(), "Other", "TimeOnLineSecs", ""), "0");
}

TEST_F(MainFormTest, ARefusedWriteIsShownAndClosingGoesOn) {
    profile.refuseWrites = true;
    form.Quit2->Click();
    ASSERT_EQ(ui.boxes.size(), 3u);  // "&Quit", the close query and the close each write the time
    EXPECT_EQ(ui.boxes[0].text, "The settings could not be saved: Unable to write to " + IniFileName());
    EXPECT_TRUE(form.Closed());
}

TEST_F(MainFormTest, MessageListStartsTheEmailProgramOncePerClickOrDoubleClick) {
    IniInfo.EmailApp = "C:\\Mail\\mail.exe /check";
    auto starts = [&] { return programs.executed.size(); };
    form.HListBox2.Click();  // a double-click whose first click selects a line
    form.HListBox2.DblClick();
    EXPECT_EQ(starts(), 1u);
    clock.Advance(2000);
    form.HListBox2.DblClick();  // on the line already selected: no click comes first
    EXPECT_EQ(starts(), 2u);
    clock.Advance(2000);
    form.HListBox2.Click();
    EXPECT_EQ(starts(), 3u);
    EXPECT_EQ(programs.executed.back().file, "C:\\Mail\\mail.exe");
    EXPECT_EQ(programs.executed.back().params, "/check");
    IniInfo.EmailApp = "";
}

TEST_F(MainFormTest, OwnMessagesStartTheEmailProgramAndTheClockAdjustment) {
    IniInfo.EmailApp = "C:\\Mail\\mail.exe";
    form.Perform(UM_RUNEMAIL);
    ASSERT_EQ(programs.executed.size(), 1u);
    EXPECT_EQ(programs.executed[0].file, "C:\\Mail\\mail.exe");
    IniInfo.EmailApp = "";
    IniOptions.TimeServer = "time.example";
    sockets.hosts["time.example"] = {0x0200007Fu};
    TForm4 progress(&Application());  // the clock adjustment shows it
    form.Perform(UM_ADJUSTCLOCK);
    EXPECT_NE(std::find_if(sockets.calls.begin(), sockets.calls.end(),
                           [](const std::string& c) { return c.rfind("connect", 0) == 0; }),
              sockets.calls.end());
}

#include <fstream>

#include "app/Comabout.h"
#include "settings/Config.h"
#include "settings/IniLang.h"
#include "settings/schedule.h"

// The shipped French file has a translation for every fixed text of every window (menus
// and the tray menu, labels, buttons, pages, column heads, hints), and it takes effect.
TEST_F(MainFormTest, FrenchTranslatesEveryWindowText) {
    TForm2 settings(&Application());
    TForm3 schedule(&Application());
    TForm4 progress(&Application());
    TAboutComponent about(&Application());
    const std::string src = VELMORA_SOURCE_DIR "/resources/lang/French.ini";
    std::ifstream in(src, std::ios::binary);
    std::ofstream(dir + "/French.ini", std::ios::binary) << in.rdbuf();
    TIniFile french(dir + "/French.ini");
    std::string missing;
    int texts = 0;
    for (TForm* f : std::initializer_list<TForm*>{&form, &settings, &schedule, &progress, &about})
        for (const TWindowText& t : WindowTexts(*f, f == &form ? std::vector<TMenu*>{&form.PopupMenu1} : std::vector<TMenu*>{})) {
            ++texts;
            if (french.ReadString("Windows", t.key, "").empty()) missing += t.key + "=" + t.english + "\n";
        }
    EXPECT_GT(texts, 120);
    EXPECT_EQ(missing, "") << "not in French.ini";

    IniOptions.MenuLanguage = "French.ini";
    OpenLangFile();
    TranslateForm(form, {&form.PopupMenu1});
    TranslateForm(settings);
    EXPECT_EQ(form.Status2.Caption(), "Hors ligne");
    EXPECT_EQ(form.MainMenu1.Items(0)->Caption(), "&Fichier");
    EXPECT_EQ(form.PopupMenu1.Items(0)->Caption(), "&Appeler");
    // The dialog finds its mail page by the looked-up name.
    EXPECT_EQ(settings.TabMail.Caption(), GetLangText("Mail", "const_tab3"));
    EXPECT_NE(settings.TabMail.Caption(), "Mail");
    CloseLangFile();
}
