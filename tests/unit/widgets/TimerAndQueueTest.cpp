// Window timers and the message queue on virtual time.
#include <vector>

#include "tests/unit/HeadlessFixture.h"

using TimerTest = HeadlessTest;

TEST_F(TimerTest, FiresOnlyWhileEnabledWithNonZeroInterval) {
    TTimer t(nullptr, 1000, false);
    std::vector<uint64_t> at;
    t.OnTimer = [&](TObject* s) {
        EXPECT_EQ(s, &t);
        at.push_back(clock.Elapsed());
    };
    clock.Advance(5000);
    EXPECT_TRUE(at.empty());
    t.SetEnabled(true);
    clock.Advance(3500);
    EXPECT_EQ(at, (std::vector<uint64_t>{6000, 7000, 8000}));
    t.SetInterval(0);  // enabled, but an interval of 0 never fires
    clock.Advance(5000);
    EXPECT_EQ(at.size(), 3u);
    EXPECT_FALSE(t.Running());
}

TEST_F(TimerTest, ChangingTheIntervalRestartsTheCount) {
    TTimer t(nullptr, 1000, true);
    int n = 0;
    t.OnTimer = [&](TObject*) { ++n; };
    clock.Advance(900);
    t.SetInterval(500);
    clock.Advance(400);
    EXPECT_EQ(n, 0);
    clock.Advance(100);
    EXPECT_EQ(n, 1);
}

TEST_F(TimerTest, ATickThatStopsItsOwnTimerFiresOnce) {
    TTimer t(nullptr, 200, true);
    int n = 0;
    t.OnTimer = [&](TObject*) {
        ++n;
        t.SetEnabled(false);
    };
    clock.Advance(2000);
    EXPECT_EQ(n, 1);
}

TEST_F(TimerTest, SleepRunsBackgroundWorkButNeitherTimersNorMessages) {
    TTimer t(nullptr, 100, true);
    int ticks = 0, background = 0, delivered = 0;
    t.OnTimer = [&](TObject*) { ++ticks; };
    auto win = ui.CreateMessageWindow([&](uint32_t, uintptr_t, intptr_t) {
        ++delivered;
        return intptr_t{0};
    });
    clock.RunBackground(300, [&] {
        ++background;
        win->Post(1, 0, 0);
    });
    clock.Sleep(1000);
    EXPECT_EQ(background, 1);
    EXPECT_EQ(ticks, 0);
    EXPECT_EQ(delivered, 0);
    ui.ProcessMessages();
    EXPECT_EQ(delivered, 1);
}

TEST_F(TimerTest, PostsToADestroyedWindowAreDropped) {
    int delivered = 0;
    auto win = ui.CreateMessageWindow([&](uint32_t, uintptr_t, intptr_t) {
        ++delivered;
        return intptr_t{0};
    });
    EXPECT_TRUE(win->Post(7, 0, 0));
    win.reset();
    ui.ProcessMessages();
    EXPECT_EQ(delivered, 0);
}

TEST_F(TimerTest, TickCountWrapsLikeTheSystemOne) {
    headless::VirtualClock c(0xFFFFFF00u);
    c.Advance(0x200);
    EXPECT_EQ(c.TickCount(), 0x100u);
}
