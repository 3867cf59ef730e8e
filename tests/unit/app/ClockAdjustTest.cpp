// Setting the clock from a TIME server, over the scripted socket library: what is asked,
// what the clock is set to, and what the user sees when the server cannot be had.
#include <cmath>
#include <utility>

#include "app/Main_F.h"
#include "app/Unit4.h"
#include "net/SocketErrors.h"
#include "settings/Ini.h"
#include "tests/unit/HeadlessFixture.h"

class ClockAdjustTest : public HeadlessTest {
protected:
    ClockAdjustTest() : form(&Application()), progress(&Application()) {
        Application().MainForm = &form;
        form.FormCreate();
        IniOptions.TimeServer = "time.example";
        sockets.hosts["time.example"] = {0x0200007Fu};  // 127.0.0.2
        clock.SetLocalTime(TimeProtocolToDateTime(0xE66E4E00u));  // within hours of the answers below
    }
    // Starts an adjustment and lets the server connect and answer.
    void Answer(const std::string& bytes, bool userAsked = false) {
        form.AdjustClock(userAsked);
        sockets.Notify(sockets.Last(), net::FD_CONNECT_);
        ui.ProcessMessages();
        sockets.Arrive(sockets.Last(), bytes);
        ui.ProcessMessages();
    }
    void PeerCloses() {
        sockets.Notify(sockets.Last(), net::FD_CLOSE_);
        ui.ProcessMessages();
    }
    TMainForm form;
    TForm4 progress;
};

TEST_F(ClockAdjustTest, TheServersSecondsSetTheClockInUtc) {
    Answer(std::string("\xE6\x6E\x4E\x00", 4));
    ASSERT_EQ(clock.clockSets.size(), 1u);
    const TSystemTime& t = clock.clockSets[0];
    EXPECT_EQ(t.Year, 2022);
    EXPECT_EQ(t.Month, 7);
    EXPECT_EQ(t.Day, 5);
    EXPECT_EQ(t.Hour, 5);
    EXPECT_EQ(t.Minute, 43);
    EXPECT_EQ(t.Second, 28);
    EXPECT_EQ(clock.timeChanges, 1);
    EXPECT_FALSE(progress.Visible());
    EXPECT_FALSE(ui.busyCursor);
    EXPECT_EQ(progress.Animate1.ResName(), "TIME_ANI");
    EXPECT_EQ(form.WSTimeClient1.Port(), "37");
}

TEST_F(ClockAdjustTest, ExtraBytesAreIgnoredAndAShortAnswerSetsNothing) {
    Answer(std::string("\xE6\x6E\x4E\x00\x01\x02", 6));
    EXPECT_EQ(clock.clockSets.size(), 1u);
    PeerCloses();
    Answer(std::string("\xE6\x6E\x4E", 3));
    EXPECT_EQ(clock.clockSets.size(), 1u);
}

TEST_F(ClockAdjustTest, AnAnswerInPiecesIsGathered) {
    Answer(std::string("\xE6\x6E", 2));
    EXPECT_TRUE(clock.clockSets.empty());
    sockets.Arrive(sockets.Last(), std::string("\x4E\x00", 2));
    ui.ProcessMessages();
    ASSERT_EQ(clock.clockSets.size(), 1u);
    EXPECT_EQ(clock.clockSets[0].Second, 28);
}

TEST_F(ClockAdjustTest, ASetThatWorkedIsListedWithHowFarTheClockMoved) {
    clock.SetLocalTime(TimeProtocolToDateTime(0xE66E4E00u) - 2.5 / 86400);  // 2.5 s slow
    const size_t before = form.HListBox2.Items().size();
    Answer(std::string("\xE6\x6E\x4E\x00", 4));
    ASSERT_EQ(form.HListBox2.Items().size(), before + 1);
    EXPECT_EQ(form.HListBox2.Items().back(), "Computer clock adjusted by +2.5 s");
    clock.setTimeResult = 1314;  // refused: the line says how far off and why, not that it was set
    PeerCloses();
    Answer(std::string("\xE6\x6E\x4E\x00", 4));
    ASSERT_EQ(form.HListBox2.Items().size(), before + 2);
    EXPECT_EQ(form.HListBox2.Items().back(), "Computer clock is 2.5 s behind time.example: this account may not set the clock");
}

// The answer waited 1.5 s between its arrival and being handled (a window being hidden):
// the clock is set to the answer plus that time.
TEST_F(ClockAdjustTest, TheTimeSinceTheAnswerArrivedIsAdded) {
    form.AdjustClock();
    sockets.Notify(sockets.Last(), net::FD_CONNECT_);
    ui.ProcessMessages();
    sockets.Arrive(sockets.Last(), std::string("\xE6\x6E\x4E\x00", 4));
    clock.SetTickCount(clock.TickCount() + 1500);
    ui.ProcessMessages();
    ASSERT_EQ(clock.clockSets.size(), 1u);
    EXPECT_EQ(clock.clockSets[0].Second, 29);
    EXPECT_EQ(clock.clockSets[0].Milliseconds, 500);
}

TEST_F(ClockAdjustTest, ARequestStillRunningIsNotStartedAgain) {
    form.AdjustClock();
    form.AdjustClock();
    int connects = 0;
    for (auto& c : sockets.calls) connects += c.rfind("connect", 0) == 0;
    EXPECT_EQ(connects, 1);
}

TEST_F(ClockAdjustTest, AnUnknownServerIsExplained) {
    IniOptions.TimeServer = "nowhere.example";
    form.AdjustClock();
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text,
              "The Time server is not responding or is possibly down, you could select another one in the Settings,");
    EXPECT_EQ(ui.boxes[0].flags, MB_OK_ | MB_ICONWARNING_);
    EXPECT_FALSE(progress.Visible());
    EXPECT_FALSE(ui.busyCursor);
    EXPECT_TRUE(clock.clockSets.empty());
}

// A server that accepts and then neither answers nor closes is given up after 30 s, and
// the next request works; one that answers and stays connected is left at once.
TEST_F(ClockAdjustTest, AServerThatNeverClosesIsGivenUpAndTheNextRequestWorks) {
    form.AdjustClock();
    sockets.Notify(sockets.Last(), net::FD_CONNECT_);
    ui.ProcessMessages();
    clock.Advance(29000);
    EXPECT_TRUE(ui.boxes.empty());
    clock.Advance(1000);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text,
              "The Time server is not responding or is possibly down, you could select another one in the Settings,");
    EXPECT_EQ(form.WSTimeClient1.State(), wsClosed);
    Answer(std::string("\xE6\x6E\x4E\x00", 4));
    EXPECT_EQ(clock.clockSets.size(), 1u);
    EXPECT_EQ(form.WSTimeClient1.State(), wsClosed);
    clock.Advance(60000);
    EXPECT_EQ(ui.boxes.size(), 1u);
}

// Refused, too short, or closed with nothing: one line naming the server, no box, the
// clock untouched; an answer that came is not reported as missing.
TEST_F(ClockAdjustTest, ARequestWithoutAnAnswerIsListedWithTheServersName) {
    const size_t before = form.HListBox2.Items().size();
    form.AdjustClock();
    sockets.Notify(sockets.Last(), net::FD_CONNECT_, 10061);
    ui.ProcessMessages();
    Answer(std::string("\x01\x02", 2));
    PeerCloses();
    Answer("");
    PeerCloses();
    Answer(std::string("\xE6\x6E\x4E\x00", 4));
    PeerCloses();
    const auto& items = form.HListBox2.Items();
    ASSERT_EQ(items.size(), before + 4);
    EXPECT_EQ(items[before], "The clock was not adjusted, time server time.example: " + WinsockErrorText(10061));
    EXPECT_EQ(items[before + 1], "The clock was not adjusted, time server time.example: answer too short");
    EXPECT_EQ(items[before + 2], "The clock was not adjusted, time server time.example: no answer");
    EXPECT_EQ(items[before + 3].rfind("Computer clock adjusted by ", 0), 0u);
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(clock.clockSets.size(), 1u);
}

// A refused change: a box for the user's own Adjust, none after connecting when the
// account may not set the clock (it would come back at every connection); and while a box
// is open, the same failure again adds a line, not a second box.
TEST_F(ClockAdjustTest, ARefusedClockChangeIsReportedWithTheSystemsReason) {
    const struct {
        bool userAsked;
        uint32_t error;
        size_t boxes;
    } cases[] = {{true, 1314, 1}, {false, 1314, 0}, {false, 5, 1}};
    for (const auto& c : cases) {
        ui.boxes.clear();
        clock.setTimeResult = c.error;
        const size_t lines = form.HListBox2.Items().size();
        Answer(std::string("\xE6\x6E\x4E\x00", 4), c.userAsked);
        PeerCloses();
        ASSERT_EQ(ui.boxes.size(), c.boxes) << c.userAsked << " " << c.error;
        if (c.boxes) {
            EXPECT_EQ(ui.boxes[0].text, "The computer clock could not be set: System error " + std::to_string(c.error) + ".");
        }
        ASSERT_EQ(form.HListBox2.Items().size(), lines + 1);
        EXPECT_EQ(form.HListBox2.Items().back().rfind("Computer clock is ", 0), 0u) << form.HListBox2.Items().back();
        EXPECT_NE(form.HListBox2.Items().back().find(" s behind time.example: "), std::string::npos);
    }
    EXPECT_EQ(clock.timeChanges, 0);

    ui.boxes.clear();
    clock.setTimeResult = 1314;
    bool again = true;
    ui.onBox = [&](const headless::AskedBox&) {
        if (!std::exchange(again, false)) return;
        PeerCloses();
        Answer(std::string("\xE6\x6E\x4E\x00", 4), true);
    };
    const size_t lines = form.HListBox2.Items().size();
    Answer(std::string("\xE6\x6E\x4E\x00", 4), true);
    EXPECT_EQ(ui.boxes.size(), 1u);
    ASSERT_EQ(form.HListBox2.Items().size(), lines + 3);  // two offsets, the repeated box's line
    EXPECT_EQ(form.HListBox2.Items().back(), "The computer clock could not be set: System error 1314.");
}

TEST(TimeProtocol, SecondsSince1900AreDaysFromDayTwo) {
    EXPECT_DOUBLE_EQ(TimeProtocolToDateTime(0), 2.0);  // 1900-01-01 00:00
    EXPECT_NEAR(TimeProtocolToDateTime(3865988608u), 44747.2385, 1e-4);
}

// A time server given as ntp://host:port is asked over network time (UDP) instead.
class NetworkTimeTest : public ClockAdjustTest {
protected:
    NetworkTimeTest() {
        IniOptions.TimeServer = "ntp://time.example:12300";
        clock.SetLocalTime(TimeProtocolToDateTime(0xE66E4E00u));  // 05:43:28.000 UTC
    }
    // Answers the last request as a server `ahead` seconds ahead, after `trip` ms.
    void Answer(double ahead, uint32_t trip = 10, uint8_t stratum = 2) {
        auto& k = sockets.socks.at(sockets.Last());
        uint64_t t1 = 0;
        for (size_t i = 0; i < 8; ++i) t1 = t1 << 8 | static_cast<uint8_t>(k.sent.at(k.sent.size() - 8 + i));
        const uint64_t t2 = t1 + static_cast<uint64_t>(std::llround((ahead + trip / 2000.0) * 4294967296.0));
        std::string p(48, '\0');
        p[0] = 0x24;
        p[1] = static_cast<char>(stratum);
        p.replace(12, 4, "RATE");
        for (int i = 0; i < 8; ++i) {
            p[24 + i] = static_cast<char>(t1 >> (56 - 8 * i));
            p[32 + i] = p[40 + i] = static_cast<char>(t2 >> (56 - 8 * i));
        }
        clock.Advance(trip);
        k.from.addr = 0x0200007Fu;
        k.from.port = net::HostToNet16(12300);
        sockets.Arrive(sockets.Last(), p);
        ui.ProcessMessages();
    }
    const std::string kDown =
        "The Time server is not responding or is possibly down, you could select another one in the Settings,";
};

TEST_F(NetworkTimeTest, TheClockIsSetToNowPlusTheOffset) {
    form.AdjustClock();
    EXPECT_EQ(sockets.socks.at(sockets.Last()).type, net::kSockDgram);
    EXPECT_EQ(sockets.socks.at(sockets.Last()).sentTo.at(0).port, net::HostToNet16(12300));
    const size_t before = form.HListBox2.Items().size();
    Answer(2.5);
    ASSERT_EQ(clock.clockSets.size(), 1u);
    EXPECT_EQ(clock.clockSets[0].Second, 30);  // 28.010 now, plus 2.5 s
    EXPECT_EQ(clock.clockSets[0].Milliseconds, 510);
    EXPECT_EQ(clock.timeChanges, 1);
    ASSERT_EQ(form.HListBox2.Items().size(), before + 1);
    EXPECT_EQ(form.HListBox2.Items().back(), "Computer clock adjusted by +2500 ms");
    EXPECT_EQ(form.WSTimeClient1.State(), wsClosed);  // the TIME client is not asked
    EXPECT_FALSE(progress.Visible());
    EXPECT_FALSE(ui.busyCursor);

    clock.setTimeResult = 1314;
    form.AdjustClock(true);
    Answer(-0.25);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "The computer clock could not be set: System error 1314.");
    ASSERT_EQ(form.HListBox2.Items().size(), before + 2);
    EXPECT_NE(form.HListBox2.Items().back().find(" s ahead of time.example: this account may not set the clock"),
              std::string::npos)
        << form.HListBox2.Items().back();
}

TEST_F(NetworkTimeTest, ASilentServerIsReportedAfterThirtySecondsAndTheNextAdjustWorks) {
    form.AdjustClock();
    form.AdjustClock();  // one request at a time
    EXPECT_EQ(sockets.socks.size(), 1u);
    clock.Advance(29999);
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(sockets.socks.at(sockets.Last()).sent.size(), 96u);  // sent, and resent once
    clock.Advance(1);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, kDown);
    form.AdjustClock();
    Answer(1.0);
    EXPECT_EQ(clock.clockSets.size(), 1u);
}

TEST_F(NetworkTimeTest, UnusableServersAKissOfDeathAndAnUnsynchronisedServerAreReported) {
    for (const char* server : {"ntp://time.example:0", "ntp://nowhere.example", "ntp://"}) {
        IniOptions.TimeServer = server;
        ui.boxes.clear();
        form.AdjustClock();
        ASSERT_EQ(ui.boxes.size(), 1u) << server;
        EXPECT_EQ(ui.boxes[0].text, kDown) << server;
    }
    IniOptions.TimeServer = "ntp://time.example:12300";
    ui.boxes.clear();
    form.AdjustClock();
    Answer(5.0, 10, 0);
    EXPECT_TRUE(clock.clockSets.empty());
    EXPECT_EQ(form.HListBox2.Items().back(), "The time server refused the request: RATE");
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, kDown);
    form.AdjustClock();
    Answer(5.0, 10, 16);
    EXPECT_TRUE(clock.clockSets.empty());
    EXPECT_EQ(form.HListBox2.Items().back(), "The time server's clock is not synchronised");
    EXPECT_EQ(ui.boxes.size(), 2u);
}

// A step beyond MaxClockStepHours (15) is never made after connecting; the user's own
// Adjust asks first, "No" the default, and adds the time the question was open.
TEST_F(NetworkTimeTest, AStepBeyondTheBoundIsMadeOnlyWhenTheUserAgrees) {
    const struct {
        bool ntp, user;
        double hours;
        int answer;  // the user's answer to the question; 0: none may come
        int second;  // of the time set, -1: the clock must stay
    } rows[] = {{true, false, 14.9, 0, 28}, {true, false, 87660, 0, -1}, {true, true, -16, IDNO_, -1},
                {true, true, 87660, IDYES_, 33}, {false, false, -87660, 0, -1}, {false, true, 16, IDYES_, 33}};
    ui.onBox = [this](const headless::AskedBox&) { clock.Advance(5000); };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.hours) + (row.user ? " h, asked by the user" : " h, after connecting"));
        clock.clockSets.clear();
        ui.boxes.clear();
        ui.answers = {row.answer};
        clock.SetLocalTime(TimeProtocolToDateTime(0xE66E4E00u));
        IniOptions.TimeServer = row.ntp ? "ntp://time.example:12300" : "time.example";
        if (row.ntp) {
            form.AdjustClock(row.user);
            Answer(row.hours * 3600, 0);
        } else {
            const uint32_t t = 0xE66E4E00u + static_cast<uint32_t>(static_cast<int64_t>(row.hours * 3600));
            ClockAdjustTest::Answer({char(t >> 24), char(t >> 16), char(t >> 8), char(t)}, row.user);
            PeerCloses();
        }
        ASSERT_EQ(ui.boxes.size(), row.answer ? 1u : 0u);
        if (row.answer) {
            EXPECT_EQ(ui.boxes[0].flags, MB_YESNO_ | MB_ICONQUESTION_ | MB_DEFBUTTON2_);
        }
        ASSERT_EQ(clock.clockSets.size(), row.second < 0 ? 0u : 1u);
        if (row.second < 0)
            EXPECT_EQ(form.HListBox2.Items().back(), "The time server's clock differs by " +
                                                         std::to_string(std::llround(std::fabs(row.hours))) + " hours: not set");
        else
            EXPECT_EQ(clock.clockSets[0].Second, row.second);
    }
}
