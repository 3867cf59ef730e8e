// The schedule dialog on virtual time over the simulated line: arming, the dial and hang-up
// minutes, the programs it starts, and disarming.
#include <algorithm>

#include "core/DateTime.h"
#include "settings/schedule.h"
#include "tests/unit/app/SimulatedLineFixture.h"

class ScheduleTest : public SimulatedLineTest<dialup_test::RecordingRas> {
protected:
    ScheduleTest() {
        Open("[ISP]\nPhoneNumber=555-0100\nStepDelay=10\n");
        schedule = std::make_unique<TForm3>(&Application(), form.get());
        IniOptions.TimerEnabled = false;
    }
    ~ScheduleTest() override { schedule.reset(); }
    void SetTime(int h, int m, int s) { clock.SetLocalTime(EncodeDate(2026, 3, 2) + EncodeTime(h, m, s, 0)); }
    std::string TimeOfDay() {
        int h, m, s, ms;
        DecodeTime(clock.Now(), h, m, s, ms);
        return Pad2(h) + ":" + Pad2(m);
    }
    // Chooses the four times as the user does, then presses "Ok".
    void Arm(int dialH, int dialM, int hangH, int hangM) {
        schedule->Show();
        schedule->ComboBox1.SelectedByUser(dialH);
        schedule->ComboBox2.SelectedByUser(dialM / 5);
        schedule->ComboBox3.SelectedByUser(hangH);
        schedule->ComboBox4.SelectedByUser(hangM / 5);
        schedule->Button2.Click();
    }
    void AddRow(const std::string& program, const std::string& directory) {
        schedule->Edit1.TextChangedByUser(program);
        schedule->Edit2.TextChangedByUser(directory);
        schedule->Button5.Click();
    }
    size_t Dials() const { return static_cast<size_t>(std::count(ras->calls.begin(), ras->calls.end(), "Dial async")); }
    // Advances until a dial starts (at most `ms`); returns the time of day it started at.
    std::string AdvanceToDial(uint32_t ms) {
        const size_t before = Dials();
        for (uint32_t t = 0; t < ms; t += 1000) {
            clock.Advance(1000);
            if (Dials() > before) return TimeOfDay();
        }
        return "no dial";
    }
    std::vector<std::string> Started() const {
        std::vector<std::string> v;
        for (const auto& e : programs.executed) v.push_back(e.file + "|" + e.params + "|" + e.dir);
        return v;
    }

    std::unique_ptr<TForm3> schedule;
    static constexpr uint32_t kDay = 86400000;
};

TEST_F(ScheduleTest, OkNeedsAllFourTimesAndNeverTouchesATimerWhenOneIsMissing) {
    EXPECT_EQ(schedule->ComboBox1.Items().size(), 24u);
    EXPECT_EQ(schedule->ComboBox4.Items().back(), "55");
    for (TListBox* l : {&schedule->ComboBox1, &schedule->ComboBox2, &schedule->ComboBox3, &schedule->ComboBox4})
        EXPECT_EQ(l->ItemIndex(), -1);
    EXPECT_FALSE(schedule->Button4.Enabled());

    schedule->Show();
    schedule->ComboBox1.SelectedByUser(7);
    schedule->ComboBox2.SelectedByUser(6);
    schedule->ComboBox3.SelectedByUser(8);
    schedule->Button2.Click();
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "Error, Missing or bad values. Verify your inputs");
    EXPECT_EQ(ui.boxes[0].flags, MB_OK_ | MB_ICONERROR_);
    EXPECT_FALSE(schedule->Timer1.Enabled());
    EXPECT_FALSE(schedule->Button4.Enabled());
    EXPECT_TRUE(schedule->Visible());

    schedule->ComboBox4.SelectedByUser(0);
    schedule->Button2.Click();
    EXPECT_TRUE(schedule->Timer1.Enabled());
    EXPECT_EQ(form->HListBox2.Items(), std::vector<std::string>{"Scheduled to execute at 07:30"});
    EXPECT_TRUE(schedule->Button4.Enabled());
    EXPECT_FALSE(schedule->Visible());

    // An armed dial survives a later "Ok" that finds a time missing.
    schedule->ComboBox3.SetItemIndex(-1);
    schedule->Button2.Click();
    EXPECT_EQ(ui.boxes.size(), 2u);
    EXPECT_TRUE(schedule->Timer1.Enabled());
}

TEST_F(ScheduleTest, OkWithinTheDialMinuteDialsAtThatMinuteOnTheNextDayAndOnlyOnce) {
    SetTime(10, 30, 40);
    Arm(10, 30, 11, 0);
    EXPECT_EQ(AdvanceToDial(60000), "no dial");
    clock.Advance(kDay - 120000);
    EXPECT_EQ(AdvanceToDial(120000), "10:30");
    EXPECT_TRUE(ScheduledRun);
    EXPECT_FALSE(schedule->Timer1.Enabled());
    form->Disconnect();
    EXPECT_EQ(AdvanceToDial(kDay), "no dial");
}

TEST_F(ScheduleTest, EveryPhaseOfTheTimerDialsInTheChosenMinuteAndLaterChoicesMoveIt) {
    for (int second : {0, 1, 12, 24, 25, 36, 48, 59}) {
        SetTime(9, 54, second);
        Arm(9, 55, 12, 0);
        EXPECT_EQ(AdvanceToDial(120000), "09:55") << "armed at 09:54:" << second;
        clock.Advance(2000);
        form->Disconnect();
        schedule->TimerScheduledHangUp.SetEnabled(false);
        ScheduledRun = false;
    }
    SetTime(9, 58, 0);
    Arm(10, 0, 12, 0);
    schedule->ComboBox2.SelectedByUser(2);  // 10:10, chosen after "Ok"
    EXPECT_EQ(AdvanceToDial(15 * 60000), "10:10");
}

TEST_F(ScheduleTest, ScheduledSessionStartsTheSortedRowsInTheirFoldersAndHangsUpAtTheChosenMinute) {
    AddRow("C:\\zeta.exe /q", "C:\\z");
    AddRow("c:\\Alpha.exe", "C:\\a");
    SetTime(9, 59, 50);
    Arm(10, 0, 10, 5);
    ASSERT_EQ(AdvanceToDial(60000), "10:00");
    clock.Advance(3000);
    ASSERT_TRUE(Connected);
    EXPECT_EQ(Started(), (std::vector<std::string>{"c:\\Alpha.exe||C:\\a", "C:\\zeta.exe|/q|C:\\z"}));
    EXPECT_TRUE(schedule->TimerScheduledHangUp.Enabled());
    EXPECT_NE(form->Status2.Caption(), "Connected.");

    clock.Advance(4 * 60000);
    EXPECT_TRUE(Connected);
    clock.Advance(60000);
    EXPECT_FALSE(Connected);
    EXPECT_FALSE(ScheduledRun);
    EXPECT_FALSE(schedule->TimerScheduledHangUp.Enabled());
    EXPECT_EQ(form->Status2.Caption(), "Disconnected");
}

TEST_F(ScheduleTest, AfterTheDialResetAndAManualHangUpLeaveTheScheduledHangUpInForce) {
    AddRow("C:\\fetch.exe", "C:\\work");
    SetTime(9, 59, 50);
    Arm(10, 0, 10, 10);
    ASSERT_EQ(AdvanceToDial(60000), "10:00");
    clock.Advance(3000);
    ASSERT_TRUE(Connected);

    schedule->Show();
    schedule->Button4.Click();
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "The scheduling has been removed and turned off.");
    EXPECT_EQ(ui.boxes[0].flags, MB_OK_);
    EXPECT_EQ(ui.boxes[0].caption, Application().Title());
    EXPECT_FALSE(schedule->Button4.Enabled());
    EXPECT_FALSE(schedule->Visible());
    EXPECT_TRUE(form->HListBox2.Items().empty());
    EXPECT_TRUE(schedule->TimerScheduledHangUp.Enabled());

    form->SpeedButton1.Click();  // the user hangs up early
    EXPECT_FALSE(Connected);
    EXPECT_TRUE(ScheduledRun);
    EXPECT_TRUE(schedule->TimerScheduledHangUp.Enabled());

    clock.Advance(60000);
    form->Dial1->Click();  // and dials again: still the scheduled session
    clock.Advance(3000);
    ASSERT_TRUE(Connected);
    EXPECT_EQ(Started(), (std::vector<std::string>{"C:\\fetch.exe||C:\\work", "C:\\fetch.exe||C:\\work"}));
    EXPECT_NE(form->Status2.Caption(), "Connected.");

    clock.Advance(9 * 60000);
    EXPECT_FALSE(Connected);
    EXPECT_FALSE(ScheduledRun);
}

TEST_F(ScheduleTest, ResetBeforeTheDialMinutePreventsTheDial) {
    SetTime(9, 59, 0);
    Arm(10, 0, 10, 5);
    schedule->Show();
    schedule->Button4.Click();
    EXPECT_FALSE(schedule->Timer1.Enabled());
    EXPECT_EQ(AdvanceToDial(3 * 60000), "no dial");
    EXPECT_FALSE(ScheduledRun);
}

TEST_F(ScheduleTest, ALineAlreadyUpAtTheDialMinuteBecomesTheScheduledSessionWithoutRedialing) {
    AddRow("C:\\fetch.exe", "");
    SetTime(9, 58, 0);
    form->SpeedButton1.Click();
    clock.Advance(3000);
    ASSERT_TRUE(Connected);
    const uint32_t startTick = ConnectStartTick;
    Arm(10, 0, 10, 5);
    EXPECT_EQ(AdvanceToDial(3 * 60000), "no dial");
    EXPECT_TRUE(Connected);
    EXPECT_EQ(ConnectStartTick, startTick);  // the time online so far still counts
    EXPECT_TRUE(ScheduledRun);
    EXPECT_TRUE(schedule->TimerScheduledHangUp.Enabled());
    const auto started = Started();
    EXPECT_EQ(std::count(started.begin(), started.end(), "C:\\fetch.exe||"), 1);
}

TEST_F(ScheduleTest, ProgramListTakesBrowsedAndEmptyRowsAndRemovesOnlyASelectedOne) {
    schedule->Button6.Click();
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "Select an Application to delete in the list at right, and then click on the remove button");
    EXPECT_EQ(ui.boxes[0].flags, MB_OK_ | MB_ICONWARNING_);

    schedule->Edit1.TextChangedByUser("typed.exe");
    schedule->Button1.Click();  // cancelled: the typed text stays
    EXPECT_EQ(schedule->Edit1.Caption(), "typed.exe");
    factory.openDialogAnswer = [](TOpenDialog& d) {
        d.FileName = "C:\\Program Files\\Tool\\tool.exe";
        return true;
    };
    schedule->Button1.Click();
    ASSERT_EQ(factory.openDialogs.size(), 2u);
    EXPECT_EQ(factory.openDialogs[1].Filter, "Application|*.exe;*.com");
    EXPECT_EQ(schedule->Edit1.Caption(), "C:\\Program Files\\Tool\\tool.exe");

    schedule->Button5.Click();
    AddRow("", "");
    ASSERT_EQ(schedule->ListView1.RowCount(), 2);
    EXPECT_EQ(schedule->ListView1.Row(0), (std::vector<std::string>{"", ""}));
    schedule->ListView1.SelectedByUser(1);
    schedule->Button6.Click();
    ASSERT_EQ(schedule->ListView1.RowCount(), 1);
    EXPECT_EQ(schedule->ListView1.Row(0)[0], "");
}
