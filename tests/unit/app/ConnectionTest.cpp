// The connection controller and the online timers, driven on virtual time over the
// simulated dial-up service: what the user sees, what is dialled, and what is stored.
#include "settings/Config.h"
#include "settings/schedule.h"
#include "tests/unit/app/SimulatedLineFixture.h"

namespace {
// Records when each hang-up happened, in virtual milliseconds.
class TimedRas : public dialup_test::RecordingRas {
public:
    TimedRas(ras::IRasApi& inner, headless::VirtualClock& clock) : RecordingRas(inner), clock_(clock) {}
    uint32_t HangUp(ras::RasHandle h) override {
        hangUpTimes.push_back(clock_.Elapsed());
        if (onHangUp) onHangUp();
        return RecordingRas::HangUp(h);
    }
    std::vector<uint64_t> hangUpTimes;
    std::function<void()> onHangUp;

private:
    headless::VirtualClock& clock_;
};
}  // namespace

class ConnectionTest : public SimulatedLineTest<TimedRas> {
protected:
    ConnectionTest() { Open("[ISP]\nPhoneNumber=555-0100\nUser=joe\nPassword=pw\nStepDelay=10\n", clock); }
    std::vector<std::string> Lines() const { return form->HListBox2.Items(); }
    bool HasLine(const std::string& l) const {
        auto v = Lines();
        return std::find(v.begin(), v.end(), l) != v.end();
    }
    std::vector<std::string> StatusHistory() { return headless::PeerOf(form->Status2)->captions; }
    std::string Stored(const char* key) { return profile.ReadString(IniFileName(), "Other", key, ""); }

    TForm2 settings{nullptr};
};

TEST_F(ConnectionTest, DialConnectsAndHangUpReturnsToTheOffLineLook) {
    form->SpeedButton1.Click();
    EXPECT_EQ(form->SpeedButton1.Caption(), "Hang-Up");
    EXPECT_EQ(form->SpeedButton1.Glyph(), "HANGUP");
    EXPECT_TRUE(progress->Visible());
    EXPECT_EQ(progress->Caption(), "Dialing......ISP");
    EXPECT_EQ(progress->Animate1.ResName(), "PHONE_ANI");
    ASSERT_TRUE(AdvanceUntil([&] { return form->Status2.Caption() == "Connected."; }));
    EXPECT_TRUE(Connected);
    EXPECT_FALSE(progress->Visible());
    EXPECT_TRUE(HasLine("Opening Port"));
    EXPECT_TRUE(HasLine("Authenticated"));
    EXPECT_TRUE(HasLine("Connected"));
    auto h = StatusHistory();
    EXPECT_NE(std::find(h.begin(), h.end(), "Dialing..."), h.end());
    EXPECT_EQ(form->StatusBar1.PanelText(0), "Host: pc1.example");
    EXPECT_EQ(form->StatusBar1.PanelText(1), "IP: 10.0.0.7");
    EXPECT_TRUE(form->SpeedButton2.Enabled());
    EXPECT_FALSE(form->PopupMenu1.Items(0)->Enabled());
    for (int i : {2, 7, 8}) EXPECT_TRUE(form->PopupMenu1.Items(i)->Enabled());
    EXPECT_EQ(programs.executed.at(0).file, "C:\\windows\\system32\\rasmon.exe");

    form->SpeedButton1.Click();
    EXPECT_FALSE(Connected);
    EXPECT_EQ(form->SpeedButton1.Caption(), "Dial");
    EXPECT_EQ(form->SpeedButton1.Glyph(), "PHONE");
    EXPECT_EQ(form->Status2.Caption(), "Disconnected");
    EXPECT_TRUE(form->PopupMenu1.Items(0)->Enabled());
    for (int i : {2, 7, 8}) EXPECT_FALSE(form->PopupMenu1.Items(i)->Enabled());
}

TEST_F(ConnectionTest, UnresolvableHostLeavesTheStatusBarAloneAndNoAddressSaysSo) {
    programs.hostKnown = false;
    form->ShowIpAddress();
    EXPECT_EQ(form->StatusBar1.PanelText(0), "Host :");
    EXPECT_EQ(form->StatusBar1.PanelText(1), "IP address :");
    programs.hostKnown = true;
    programs.hostAddress = "";
    form->ShowIpAddress();
    EXPECT_EQ(form->StatusBar1.PanelText(1), "IP:address unknown");
}

TEST_F(ConnectionTest, RedialCyclesThroughTheAlternateNumbersWithoutLimit) {
    WriteBook("[ISP]\nPhoneNumber=555-0100\nNoAnswer=555-0100,A,B\nStepDelay=10\n");
    PhoneNumberList = {"A", "B"};
    form->SpeedButton1.Click();
    ASSERT_TRUE(AdvanceUntil([&] { return sim->DialledNumbers().size() >= 4; }, 60000));
    EXPECT_EQ(sim->DialledNumbers(), (std::vector<std::string>{"555-0100", "A", "B", "A"}));
    EXPECT_TRUE(HasLine("Dialing alternate number : A"));
    EXPECT_TRUE(HasLine("Dialing alternate number : B"));
    EXPECT_TRUE(HasLine("Reconnecting automatically"));
    EXPECT_TRUE(HasLine("678"));
    EXPECT_TRUE(HasLine("In state no:8193"));
    // The first alternate number comes before the first redial's other lines.
    auto l = Lines();
    auto a = std::find(l.begin(), l.end(), "Dialing alternate number : A");
    auto r = std::find(l.begin(), l.end(), "Reconnecting automatically");
    EXPECT_LT(a - l.begin(), r - l.begin());
    EXPECT_EQ(form->Status2.Caption(), "Dialing...");
}

TEST_F(ConnectionTest, WithoutAlternateNumbersEveryRedialUsesTheEntrysOwnNumber) {
    WriteBook("[ISP]\nPhoneNumber=555-0100\nBusy=555-0100\nStepDelay=10\n");
    form->SpeedButton1.Click();
    ASSERT_TRUE(AdvanceUntil([&] { return sim->DialledNumbers().size() >= 3; }, 60000));
    EXPECT_EQ(sim->DialledNumbers(), (std::vector<std::string>{"555-0100", "555-0100", "555-0100"}));
}

TEST_F(ConnectionTest, RefusedPasswordCancelsOnceExplainsAndDialsNoMore) {
    IniInfo.PasswordDUN = "wrong";
    form->SpeedButton1.Click();
    ASSERT_TRUE(AdvanceUntil([&] { return !ui.boxes.empty(); }));
    clock.Advance(30000);
    EXPECT_EQ(sim->DialledNumbers().size(), 1u);
    EXPECT_EQ(form->Status2.Caption(), "Connect Cancelled");
    EXPECT_EQ(form->SpeedButton1.Caption(), "Dial");
    EXPECT_FALSE(progress->Visible());
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].helpContext, 501);
    EXPECT_EQ(ui.boxes[0].flags, MB_OK_ | MB_ICONERROR_);
    EXPECT_EQ(ui.boxes[0].text,
              "Your username and or password for accessing the internet is wrong.\r\n\r\n"
              "Go in the Settings and then verify that your account is configured properly \r\n"
              "check for typo in your username and password.\r\n\r\n"
              "If the problem persist, please contact your ISP (Internet Service Provider) \r\nfor assistance.");
    // Dial begins with a hang-up; the cancel adds two, one second apart.
    auto& t = ras->hangUpTimes;
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[2] - t[1], 1000u);
}

TEST_F(ConnectionTest, NoDialToneShowsItsWarning) {
    WriteBook("[ISP]\nPhoneNumber=555-0100\nDialTone=0\nStepDelay=10\n");
    form->SpeedButton1.Click();
    ASSERT_TRUE(AdvanceUntil([&] { return !ui.boxes.empty(); }));
    clock.Advance(10000);
    EXPECT_EQ(sim->DialledNumbers().size(), 1u);
    EXPECT_EQ(ui.boxes[0].helpContext, 500);
    EXPECT_EQ(ui.boxes[0].text, "Error, there is NO dial tone !\r\n\r\nCheck your phone line it may be disconnected or "
                                "already in use by someone else.");
}

TEST_F(ConnectionTest, CancelPressedDuringTheRedialWaitStopsTheSeries) {
    WriteBook("[ISP]\nPhoneNumber=555-0100\nBusy=555-0100\nStepDelay=10\n");
    // The dial's own hang-up is the first; the redial hangs up, then waits 2 s. A click on
    // Cancel during that wait sits in the queue until the redial processes messages.
    ras->onHangUp = [&] {
        if (ras->hangUpTimes.size() == 2) ui.Post([&] { progress->Button1.Click(); });
    };
    form->SpeedButton1.Click();
    clock.Advance(30000);
    EXPECT_EQ(sim->DialledNumbers().size(), 1u);
    EXPECT_EQ(form->Status2.Caption(), "Connect Cancelled");
    EXPECT_FALSE(HasLine("Reconnecting automatically"));
    EXPECT_FALSE(progress->Visible());
}

TEST_F(ConnectionTest, MissingEntryExplainsOpensTheSettingsAndClearsTheStatus) {
    IniInfo.DialUpConnection = "Nowhere";
    std::vector<std::string> statusAtBox;
    ui.onBox = [&](const headless::AskedBox&) {
        statusAtBox.push_back(form->Status2.Caption());
        EXPECT_FALSE(settings.Visible());  // the settings dialog opens after the box
    };
    form->SpeedButton1.Click();
    clock.Advance(10000);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text,
              "Error, this DialUp networking entry does'nt exist !!\rPlease configure it and select an existing entry");
    EXPECT_EQ(ui.boxes[0].flags, MB_OK_ | MB_ICONWARNING_);
    EXPECT_EQ(statusAtBox, (std::vector<std::string>{"Error, this DialUp networking entry does not exist"}));
    EXPECT_TRUE(settings.Visible());
    EXPECT_EQ(form->Status2.Caption(), "");
    EXPECT_EQ(form->SpeedButton1.Caption(), "Dial");
    EXPECT_FALSE(progress->Visible());
    auto h = StatusHistory();
    EXPECT_NE(std::find_if(h.begin(), h.end(), [](auto& s) { return s.rfind("Error # 623-->", 0) == 0; }), h.end());
    EXPECT_TRUE(sim->DialledNumbers().empty());
}

TEST_F(ConnectionTest, DialButtonNeedsCredentialsButThePopupDialDialsAnyway) {
    IniInfo.PasswordDUN = "";
    settings.ShowSettings("Mail");
    settings.Hide();
    form->SpeedButton1.Click();
    EXPECT_TRUE(settings.Visible());
    // The page and the box where the missing value goes, whatever page was last in front.
    EXPECT_EQ(settings.TabbedNotebook1.Page(settings.TabbedNotebook1.ActivePageIndex()), &settings.TabDialUp);
    EXPECT_EQ(headless::FocusedControl(), &settings.edt_passwordDUN);
    settings.Hide();
    IniInfo.UsernameDUN = "";
    form->SpeedButton1.Click();
    EXPECT_EQ(headless::FocusedControl(), &settings.edt_usernameDUN);
    EXPECT_EQ(form->SpeedButton1.Caption(), "Dial");
    clock.Advance(5000);
    EXPECT_TRUE(sim->DialledNumbers().empty());
    settings.Hide();
    form->Dial1->Click();
    clock.Advance(5000);
    EXPECT_EQ(sim->DialledNumbers().size(), 1u);
}

TEST_F(ConnectionTest, TimeOnlineIsAddedToTheStoredTotal) {
    IniOptions.TimeOnLineHours = 1;
    IniOptions.TimeOnLineMins = 59;
    IniOptions.TimeOnLineSecs = 50;
    form->SpeedButton1.Click();
    ASSERT_TRUE(AdvanceUntil([&] { return Connected; }));
    clock.Advance(15000);
    EXPECT_EQ(form->Label3.Caption(), "2:00:05");
    form->SpeedButton1.Click();
    EXPECT_EQ(Stored("TimeOnLineHours"), "2");
    EXPECT_EQ(Stored("TimeOnLineMins"), "0");
    EXPECT_EQ(Stored("TimeOnLineSecs"), "5");
}

TEST_F(ConnectionTest, HangUpBeforeTheFirstTickKeepsTheTotal) {
    IniOptions.TimeOnLineHours = 3;
    IniOptions.TimeOnLineMins = 10;
    IniOptions.TimeOnLineSecs = 0;
    form->SpeedButton1.Click();
    ASSERT_TRUE(AdvanceUntil([&] { return Connected; }));
    clock.Advance(500);
    form->SpeedButton1.Click();
    EXPECT_EQ(Stored("TimeOnLineHours"), "3");
    EXPECT_EQ(Stored("TimeOnLineMins"), "10");
    EXPECT_EQ(Stored("TimeOnLineSecs"), "0");
}

TEST_F(ConnectionTest, TickCountWrappingDuringAConnectionIsCountedRight) {
    clock.SetTickCount(0xFFFFFFFFu - 5000);
    form->SpeedButton1.Click();
    ASSERT_TRUE(AdvanceUntil([&] { return Connected; }));
    clock.Advance(10000);  // wraps meanwhile
    EXPECT_EQ(form->Label3.Caption(), "0:00:10");
}

TEST_F(ConnectionTest, ResetShowsZerosThenCountsAgain) {
    IniOptions.TimeOnLineHours = 5;
    form->SpeedButton1.Click();
    ASSERT_TRUE(AdvanceUntil([&] { return Connected; }));
    clock.Advance(3000);
    form->Label3.Click();
    EXPECT_EQ(form->Label3.Caption(), "00:00:00");
    EXPECT_EQ(Stored("TimeOnLineHours"), "0");
    clock.Advance(1000);
    EXPECT_EQ(form->Label3.Caption(), "0:00:00");
    clock.Advance(1000);
    EXPECT_EQ(form->Label3.Caption(), "0:00:01");
}

// Connects so that the connected actions run at the given local time, then lets `ms` pass.
class DailyHangUpTest : public ConnectionTest {
protected:
    bool ConnectAt(int h, int m, int s, uint32_t thenMs) {
        IniOptions.AutoHangUp = true;
        IniOptions.HangUpHour = 23;
        IniOptions.HangUpMinutes = 55;
        form->ReactToIniOptions();
        form->SpeedButton1.Click();
        if (!AdvanceUntil([&] { return form->Status2.Caption() == "Connected."; })) return false;
        clock.SetLocalTime(EncodeDate(2026, 12, 7) + EncodeTime(h, m, s, 0));
        clock.Advance(thenMs);
        return true;
    }
};

TEST_F(DailyHangUpTest, UpAt235500IsHungUpBy235520) {
    ASSERT_TRUE(ConnectAt(23, 55, 0, 20500));
    EXPECT_FALSE(Connected);
}

TEST_F(DailyHangUpTest, UpAt235530IsHungUpAtItsFirstTick) {
    ASSERT_TRUE(ConnectAt(23, 55, 30, 19000));
    EXPECT_TRUE(Connected);
    clock.Advance(1500);
    EXPECT_FALSE(Connected);
}

TEST_F(DailyHangUpTest, UpAt235545StaysUntilTheNextDay) {
    ASSERT_TRUE(ConnectAt(23, 55, 45, 21000));
    EXPECT_TRUE(Connected);
    clock.Advance(24u * 3600 * 1000 - 62000);  // 23:55:04 the next day
    EXPECT_TRUE(Connected);
    clock.Advance(60000);
    EXPECT_FALSE(Connected);
}

TEST_F(ConnectionTest, DroppedLineWithStayOnlineRedialsWithoutAskingAndKeepsItsTime) {
    WriteBook("[ISP]\nPhoneNumber=555-0100\nDropAfter=10\nStepDelay=10\n");
    IniOptions.StayOnline = true;
    form->SpeedButton1.Click();
    ASSERT_TRUE(AdvanceUntil([&] { return Connected; }));
    ASSERT_TRUE(AdvanceUntil([&] { return sim->DialledNumbers().size() == 2; }));
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_TRUE(HasLine("Reconnecting automatically"));
    // The dropped connection's ten seconds reached the stored total when the redial began.
    EXPECT_EQ(Stored("TimeOnLineSecs"), "10");
    ASSERT_TRUE(AdvanceUntil([&] { return form->Status2.Caption() == "Connected." && Connected; }));
    clock.Advance(3000);
    form->SpeedButton1.Click();
    EXPECT_EQ(Stored("TimeOnLineSecs"), "13");  // every connection counted once
}

TEST_F(ConnectionTest, DroppedLineWithoutStayOnlineAsksYesRedials) {
    WriteBook("[ISP]\nPhoneNumber=555-0100\nDropAfter=5\nStepDelay=10\n");
    IniOptions.StayOnline = false;
    form->ReactToIniOptions();
    ui.answers = {IDYES_};
    bool offLineWhenAsked = false;
    ui.onBox = [&](const headless::AskedBox&) { offLineWhenAsked = !Connected && form->Status2.Caption() == "Disconnected"; };
    form->SpeedButton1.Click();
    ASSERT_TRUE(AdvanceUntil([&] { return !ui.boxes.empty(); }));
    EXPECT_TRUE(offLineWhenAsked);
    EXPECT_EQ(ui.boxes[0].flags, MB_YESNOCANCEL_ | MB_ICONQUESTION_);
    EXPECT_TRUE(form->StayOnline1->Checked());
    EXPECT_EQ(Stored("StayOnline"), "1");
    ASSERT_TRUE(AdvanceUntil([&] { return sim->DialledNumbers().size() == 2; }));
}

TEST_F(ConnectionTest, DroppedLineWithoutStayOnlineAsksNoStaysOffLine) {
    WriteBook("[ISP]\nPhoneNumber=555-0100\nDropAfter=5\nStepDelay=10\n");
    IniOptions.StayOnline = false;
    form->ReactToIniOptions();
    ui.answers = {IDNO_};
    form->SpeedButton1.Click();
    ASSERT_TRUE(AdvanceUntil([&] { return !ui.boxes.empty(); }));
    clock.Advance(20000);
    EXPECT_FALSE(Connected);
    EXPECT_FALSE(form->StayOnline1->Checked());
    EXPECT_EQ(sim->DialledNumbers().size(), 1u);
    EXPECT_EQ(form->Status2.Caption(), "Disconnected");
}

TEST_F(ConnectionTest, AnotherActiveConnectionHidesTheLossOfOurs) {
    WriteBook("[ISP]\nPhoneNumber=555-0100\nDropAfter=5\nStepDelay=10\n[Other]\nPhoneNumber=555-0199\nStepDelay=10\n");
    TDialUp other(nullptr, sim.get());
    other.SetEntry("Other");
    other.Dial();  // connected first, so ours is the dial being followed
    clock.Advance(2000);
    IniOptions.StayOnline = true;
    form->SpeedButton1.Click();
    ASSERT_TRUE(AdvanceUntil([&] { return Connected; }));
    clock.Advance(20000);
    EXPECT_TRUE(Connected);
    EXPECT_EQ(sim->DialledNumbers().size(), 2u);
    EXPECT_TRUE(ui.boxes.empty());
    // The line check was looking all along: once the other line goes, our loss shows.
    other.HangUp();
    EXPECT_TRUE(AdvanceUntil([&] { return sim->DialledNumbers().size() == 3; }, 5000));
}

TEST_F(ConnectionTest, StayOnlineItemTogglesAndSaves) {
    IniOptions.StayOnline = true;
    form->ReactToIniOptions();
    form->StayOnline1->Click();
    EXPECT_FALSE(IniOptions.StayOnline);
    EXPECT_EQ(Stored("StayOnline"), "0");
    form->StayOnline1->Click();
    EXPECT_EQ(Stored("StayOnline"), "1");
}

TEST(CommandLine, SplitsIntoProgramAndParameters) {
    struct Case {
        const char *line, *program, *params;
    } cases[] = {
        {"\"C:\\Program Files\\Mail\\mail.exe\" -check", "C:\\Program Files\\Mail\\mail.exe", "-check"},
        {"C:\\Program Files\\Mail\\mail.exe", "C:\\Program Files\\Mail\\mail.exe", ""},
        {"C:\\Apps\\tool.exe /q /x", "C:\\Apps\\tool.exe", "/q /x"},
        {"\"C:\\Apps\\tool.exe", "C:\\Apps\\tool.exe", ""},
        {"notepad c:\\x.txt", "notepad c:\\x.txt", ""},
    };
    for (auto& c : cases) {
        std::string program, params;
        SplitCommandLine(c.line, program, params);
        EXPECT_EQ(program, c.program) << c.line;
        EXPECT_EQ(params, c.params) << c.line;
    }
}

TEST_F(ConnectionTest, FailedProgramStartBeepsAndExplains) {
    programs.executeResult = 2;
    form->RunProgram("notepad c:\\x.txt", "");
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(sound.beeps, 1);
    EXPECT_EQ(ui.boxes[0].caption, "Warning");
    EXPECT_EQ(ui.boxes[0].text, "The specified file was not found.\ntrying to execute 'notepad c:\\x.txt'");
    programs.executeResult = 14;
    form->RunProgram("x.exe", "");
    EXPECT_EQ(ui.boxes[1].text, "ShellExecute failed with error #14\ntrying to execute 'x.exe'");
    programs.executeResult = 32;  // the last failure code
    form->RunProgram("x.exe", "");
    EXPECT_EQ(ui.boxes[2].text, "The specified dynamic-link library was not found.\ntrying to execute 'x.exe'");
    form->RunProgram("", "");
    EXPECT_EQ(ui.boxes.size(), 3u);
}

TEST_F(ConnectionTest, ScheduledDialStartsItsProgramsAndArmsItsHangUpOnly) {
    TForm3 schedule(&Application());
    schedule.ListView1.AddRow({"C:\\nightly.exe /fetch", "C:\\work"});
    ScheduledRun = true;
    form->ConnectToInternet();
    ASSERT_TRUE(AdvanceUntil([&] { return Connected; }));
    clock.Advance(3000);
    ScheduledRun = false;
    EXPECT_EQ(form->SpeedButton1.Caption(), "Dial");
    EXPECT_NE(form->Status2.Caption(), "Connected.");
    EXPECT_TRUE(form->PopupMenu1.Items(0)->Enabled());
    EXPECT_FALSE(form->TimerStillOnline.Enabled());
    EXPECT_TRUE(schedule.TimerScheduledHangUp.Enabled());
    ASSERT_EQ(programs.executed.size(), 1u);  // the program, and no dial-up monitor
    EXPECT_EQ(programs.executed[0].file, "C:\\nightly.exe");
    EXPECT_EQ(programs.executed[0].params, "/fetch");
    EXPECT_EQ(programs.executed[0].dir, "C:\\work");
}

TEST_F(ConnectionTest, WebTargetFallsBackThroughTwoBrowsersThenSaysSo) {
    programs.executeResult = 32;  // nothing starts
    OpenWebTarget("http://x.example/");
    ASSERT_EQ(programs.executed.size(), 3u);
    EXPECT_EQ(programs.executed[0].file, "http://x.example/");
    EXPECT_EQ(programs.executed[1].file, "netscape.exe");
    EXPECT_EQ(programs.executed[1].params, "http://x.example/");
    EXPECT_EQ(programs.executed[2].file, "iexplore.exe");
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "Sorry your Web browser could not be found, please specify it in the Settings menu");
    programs.executed.clear();
    programs.executeResult = 33;  // the first attempt works
    OpenWebTarget("http://x.example/");
    EXPECT_EQ(programs.executed.size(), 1u);
}

TEST_F(ConnectionTest, BrowserButtonWithoutABrowserTriesTheBlankPageThenTwoBrowsers) {
    IniInfo.WebBrowser = "";
    programs.executeResult = 32;  // nothing starts
    form->SpeedButton4.Click();
    ASSERT_EQ(programs.executed.size(), 3u);
    EXPECT_EQ(programs.executed[0].file, "blank.htm");
    EXPECT_EQ(programs.executed[1].file, "netscape.exe");
    EXPECT_EQ(programs.executed[2].file, "iexplore.exe");
    for (auto& e : programs.executed) EXPECT_EQ(e.params, "");
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "Sorry your Web browser could not be found, please specify it in the Settings menu");
    programs.executed.clear();
    programs.executeResult = 33;  // the blank page opens
    form->RunWebBrowser1->Click();
    EXPECT_EQ(programs.executed.size(), 1u);
    EXPECT_EQ(ui.boxes.size(), 1u);
}
