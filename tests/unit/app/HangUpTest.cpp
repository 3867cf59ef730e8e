// The user's hang-up, cancel and quit, and Windows ending the session, in every state of a
// connection: dialing, online, and redialing after a dropped line. Virtual time over the
// simulated dial-up service.
#include "tests/unit/app/SimulatedLineFixture.h"

namespace {
// Records the service's calls, and lets a test act at a hang-up.
class HookedRas : public dialup_test::RecordingRas {
public:
    using RecordingRas::RecordingRas;
    uint32_t HangUp(ras::RasHandle h) override {
        if (onHangUp) onHangUp();
        return RecordingRas::HangUp(h);
    }
    std::function<void()> onHangUp;
};
}  // namespace

class HangUpTest : public SimulatedLineTest<HookedRas> {
protected:
    HangUpTest() {
        Open("[ISP]\nPhoneNumber=555-0100\nUser=joe\nPassword=pw\nStepDelay=10\nDropAfter=5\n");
        IniOptions.StayOnline = true;
        IniOptions.TimerEnabled = true;
        IniOptions.TimerDelay = 15;
        IniOptions.TimeOnLineHours = 2;
        IniOptions.TimeOnLineMins = 0;
        IniOptions.TimeOnLineSecs = 0;
        form->ReactToIniOptions();
    }
    bool Online() { return Connected && form->Status2.Caption() == "Connected."; }
    // Dials, connects, and lets the line drop until the redial is under way.
    void ConnectThenDrop() {
        form->SpeedButton1.Click();
        ASSERT_TRUE(AdvanceUntil([&] { return Online(); }));
        ASSERT_TRUE(AdvanceUntil([&] { return sim->DialledNumbers().size() == 2; }));
    }
    size_t ActiveLines() {
        LineSeen = false;
        form->DialUp.GetConnections();
        return LineSeen ? 1 : 0;
    }
    std::string Stored(const char* key) { return profile.ReadString(IniFileName(), "Other", key, ""); }
    // Fully off-line: nothing left of the online look, no timer that needs a line.
    void ExpectOffLine(const std::string& status) {
        EXPECT_FALSE(Connected);
        EXPECT_EQ(form->SpeedButton1.Caption(), "Dial");
        EXPECT_EQ(form->Status2.Caption(), status);
        EXPECT_FALSE(form->SpeedButton2.Enabled());
        EXPECT_TRUE(form->PopupMenu1.Items(0)->Enabled());
        for (int i : {2, 7, 8}) EXPECT_FALSE(form->PopupMenu1.Items(i)->Enabled()) << i;
        EXPECT_FALSE(form->TimerCheckEmail.Enabled());
        EXPECT_FALSE(form->TimerStillOnline.Enabled());
        EXPECT_FALSE(form->TimerTimeOnline.Enabled());
        EXPECT_FALSE(progress->Visible());
        EXPECT_EQ(ActiveLines(), 0u);
    }

};

TEST_F(HangUpTest, HangUpButtonWhileDialingCancelsTheDial) {
    form->SpeedButton1.Click();
    clock.Advance(50);
    ASSERT_EQ(form->SpeedButton1.Caption(), "Hang-Up");
    form->SpeedButton1.Click();
    clock.Advance(30000);
    EXPECT_EQ(sim->DialledNumbers().size(), 1u);
    ExpectOffLine("Connect Cancelled");
}

TEST_F(HangUpTest, HangUpDuringTheRedialAfterADropStopsIt) {
    // Pressed while the redial waits between its two hang-ups, handled when it next looks
    // at the queue.
    WriteBook("[ISP]\nPhoneNumber=555-0100\nStepDelay=10\nDropAfter=5\n");
    bool pressed = false;
    ras->onHangUp = [&] {
        if (Connected && !pressed) ui.Post([&] { form->SpeedButton1.Click(); }), pressed = true;
    };
    form->SpeedButton1.Click();
    clock.Advance(30000);
    ASSERT_TRUE(pressed);
    EXPECT_EQ(sim->DialledNumbers().size(), 1u);
    ExpectOffLine("Disconnected");
    EXPECT_EQ(Stored("TimeOnLineHours"), "2");
}

TEST_F(HangUpTest, PopupHangUpDuringTheRedialDialStopsIt) {
    ConnectThenDrop();
    ASSERT_TRUE(form->HangUp1->Enabled());
    form->HangUp1->Click();
    clock.Advance(30000);
    EXPECT_EQ(sim->DialledNumbers().size(), 2u);
    EXPECT_FALSE(Connected);
    EXPECT_EQ(form->SpeedButton1.Caption(), "Dial");
    EXPECT_FALSE(progress->Visible());
    EXPECT_EQ(ActiveLines(), 0u);
}

TEST_F(HangUpTest, RedialAfterADropThatIsCancelledOrRefusedGoesFullyOffLine) {
    ConnectThenDrop();
    progress->Button1.Click();
    clock.Advance(30000);
    EXPECT_EQ(sim->DialledNumbers().size(), 2u);
    ExpectOffLine("Connect Cancelled");

    // The provider refuses the password on the redial.
    form->SpeedButton1.Click();
    ASSERT_TRUE(AdvanceUntil([&] { return Online(); }));
    WriteBook("[ISP]\nPhoneNumber=555-0100\nUser=joe\nPassword=changed\nStepDelay=10\nDropAfter=5\n");
    auto explained = [&] {
        return std::any_of(ui.boxes.begin(), ui.boxes.end(), [](auto& b) { return b.helpContext == 501; });
    };
    ASSERT_TRUE(AdvanceUntil(explained));
    clock.Advance(30000);
    EXPECT_EQ(sim->DialledNumbers().size(), 4u);
    ExpectOffLine("Connect Cancelled");
    // The button now dials, rather than hanging up a line that is gone.
    WriteBook("[ISP]\nPhoneNumber=555-0100\nUser=joe\nPassword=pw\nStepDelay=10\nDropAfter=5\n");
    form->SpeedButton1.Click();
    ASSERT_TRUE(AdvanceUntil([&] { return Online(); }));

    // The entry is gone when the redial starts.
    WriteBook("[Other]\nPhoneNumber=555-0100\n");
    auto missing = [&] {
        return std::any_of(ui.boxes.begin(), ui.boxes.end(), [](auto& b) { return b.text.find("does'nt exist") != std::string::npos; });
    };
    ASSERT_TRUE(AdvanceUntil(missing));
    clock.Advance(30000);
    ExpectOffLine("");
}

TEST_F(HangUpTest, PopupDialDuringADialStartsNoSecondOne) {
    form->SpeedButton1.Click();
    clock.Advance(50);
    form->Dial1->Click();
    ASSERT_TRUE(AdvanceUntil([&] { return Online(); }));
    EXPECT_EQ(std::count(ras->calls.begin(), ras->calls.end(), "Dial async"), 1);
    EXPECT_EQ(form->SpeedButton1.Caption(), "Hang-Up");
}

TEST_F(HangUpTest, TheProgressWindowForgetsItselfWhenDestroyed) {
    progress.reset();
    EXPECT_EQ(Form4, nullptr);
}

TEST_F(HangUpTest, QuitDuringTheFirstDialCancelsItAndWritesTheTime) {
    form->SpeedButton1.Click();
    clock.Advance(50);
    form->Quit2->Click();
    EXPECT_TRUE(form->Closed());
    EXPECT_EQ(Stored("TimeOnLineHours"), "2");
    clock.Advance(30000);
    EXPECT_FALSE(Connected);
    EXPECT_EQ(sim->DialledNumbers().size(), 1u);
    EXPECT_EQ(ActiveLines(), 0u);
}

TEST_F(HangUpTest, WindowsEndingTheSessionHangsUpWritesTheTimeAndCloses) {
    WriteBook("[ISP]\nPhoneNumber=555-0100\nStepDelay=10\n");
    form->SpeedButton1.Click();
    ASSERT_TRUE(AdvanceUntil([&] { return Online(); }));
    clock.Advance(7000);
    EXPECT_EQ(form->Perform(WM_QUERYENDSESSION_), 1);  // logging off may go on
    EXPECT_FALSE(Connected);
    EXPECT_EQ(ActiveLines(), 0u);
    EXPECT_EQ(Stored("TimeOnLineSecs"), "7");
    EXPECT_FALSE(form->Closed());  // another program may still refuse the logoff
    form->Perform(WM_ENDSESSION_, 1);
    EXPECT_TRUE(form->Closed());
}

TEST_F(HangUpTest, TheDialUpHiddenWindowLeavesOtherMessagesToTheSystem) {
    struct Capture : headless::HeadlessUi {
        using HeadlessUi::HeadlessUi;
        std::unique_ptr<IMessageWindow> CreateMessageWindow(IMessageWindow::Handler h) override {
            auto w = HeadlessUi::CreateMessageWindow(std::move(h));
            made = w.get();
            return w;
        }
        IMessageWindow* made = nullptr;
    };
    {
        Capture capture(clock);
        platform::TSwapServices services([&](platform::Services& s) { s.ui = &capture; });
        TDialUp d(nullptr, ras.get());
        EXPECT_NE(capture.made, nullptr);
        // Logging off asks every window; a "no" from this one would stop Windows.
        if (capture.made) {
            EXPECT_EQ(capture.made->Send(WM_QUERYENDSESSION_, 0, 0), kMsgDefault);
            EXPECT_EQ(capture.made->Send(WM_ENDSESSION_, 1, 0), kMsgDefault);
        }
    }
    clock.SetUiPump([this] { ui.ProcessMessages(); });
}

TEST_F(HangUpTest, DisconnectWhileOffLineChangesNothingButTheStoredTime) {
    IniOptions.TimeOnLineSecs = 9;
    auto captions = [&] {
        std::vector<std::string> v{form->SpeedButton1.Caption(), form->Status2.Caption(), form->Label3.Caption(),
                                   form->StatusBar1.PanelText(0), form->StatusBar1.PanelText(1)};
        for (int i = 0; i < form->PopupMenu1.Count(); ++i)
            v.push_back(form->PopupMenu1.Items(i)->Enabled() ? "on" : "off");
        for (TTimer* t : {&form->TimerTimeOnline, &form->TimerStillOnline, &form->TimerHangUp, &form->TimerCheckEmail})
            v.push_back(t->Enabled() ? "on" : "off");
        v.push_back(form->SpeedButton2.Enabled() ? "on" : "off");
        return v;
    };
    auto before = captions();
    auto lines = form->HListBox2.Items();
    form->Disconnect();
    EXPECT_EQ(captions(), before);
    EXPECT_EQ(form->HListBox2.Items(), lines);
    EXPECT_FALSE(Connected);
    EXPECT_EQ(ConnectStartTick, 0u);
    EXPECT_TRUE(ras->calls.empty());  // no hang-up, no dial
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(Stored("TimeOnLineHours"), "2");
    EXPECT_EQ(Stored("TimeOnLineSecs"), "9");
}

TEST_F(HangUpTest, WhileOnlineTheTotalIsSavedEveryFiveMinutes) {
    WriteBook("[ISP]\nPhoneNumber=555-0100\nUser=joe\nPassword=pw\nStepDelay=10\n");
    form->SpeedButton1.Click();
    ASSERT_TRUE(AdvanceUntil([&] { return Online(); }));
    clock.Advance(295000);
    EXPECT_EQ(Stored("TimeOnLineMins"), "");
    clock.Advance(6000);
    EXPECT_EQ(Stored("TimeOnLineHours"), "2");
    EXPECT_EQ(Stored("TimeOnLineMins"), "5");
    EXPECT_EQ(IniOptions.TimeOnLineMins, 0);  // the base the connection's time is added to
    clock.Advance(300000);
    EXPECT_EQ(Stored("TimeOnLineMins"), "10");
    form->SpeedButton1.Click();  // the end of the connection stores it, counted once
    EXPECT_EQ(Stored("TimeOnLineMins"), "10");
}
