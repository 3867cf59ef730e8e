// The headless backend: a virtual clock and an in-memory user interface, so that tests
// run the program's logic deterministically and in microseconds.
//
// Time only moves when a test says so. Advance(ms) moves it in steps to each due event:
// background work (what another thread would do), window timers (on the UI thread) and,
// after each, every message waiting in the queue. Sleep(ms), called by the program on the
// UI thread, moves time as well but runs only background work: timers and messages wait
// for the UI thread, as they do on the real system.
#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/Ui.h"

namespace headless {

class VirtualClock : public IClock {
public:
    explicit VirtualClock(uint32_t startTick = 1000, TDateTime startNow = 45000.5);
    uint32_t TickCount() override;
    void Sleep(uint32_t ms) override;
    TDateTime Now() override;
    uint32_t SetSystemTimeUtc(const TSystemTime& utc) override;
    std::string ErrorText(uint32_t code) override { return "System error " + std::to_string(code) + "."; }
    void BroadcastTimeChange() override { ++timeChanges; }
    int timeChanges = 0;

    // Work of "another thread", run when virtual time reaches delayMs from now.
    void RunBackground(uint32_t delayMs, std::function<void()> fn);
    // Moves time forward by ms, running everything that falls due (see above).
    void Advance(uint32_t ms);
    // Elapsed virtual milliseconds since construction (does not wrap).
    uint64_t Elapsed() const { return now_; }
    void SetLocalTime(TDateTime t) { localBase_ = t; localAt_ = now_; }
    // Makes the tick count read `tick` now (it goes on from there, wrapping at 2^32).
    void SetTickCount(uint32_t tick) { startTick_ = static_cast<uint32_t>(tick - static_cast<uint32_t>(now_)); }
    // What SetSystemTimeUtc was last given, and what it answers.
    std::vector<TSystemTime> clockSets;
    uint32_t setTimeResult = 0;

    // Used by the headless UI for its window timers.
    uintptr_t AddTimer(uint32_t interval, std::function<void()> fn);
    void RemoveTimer(uintptr_t id);
    void SetUiPump(std::function<void()> pump) { pump_ = std::move(pump); }

private:
    struct Timer {
        uint32_t interval;
        uint64_t due;
        std::function<void()> fn;
    };
    struct Task {
        uint64_t due;
        uint64_t seq;
        std::function<void()> fn;
    };
    bool RunNextDue(uint64_t until, bool uiToo);
    uint64_t now_ = 0;
    uint32_t startTick_;
    TDateTime localBase_;
    uint64_t localAt_ = 0;
    uint64_t seq_ = 0;
    uintptr_t nextTimerId_ = 1;
    std::map<uintptr_t, Timer> timers_;
    std::vector<Task> tasks_;
    std::function<void()> pump_;
};

// One recorded message box, with the answer it was given.
struct AskedBox {
    std::string text, caption;
    uint32_t flags;
    int helpContext;
    int answer;
};

class HeadlessUi : public IUi {
public:
    explicit HeadlessUi(VirtualClock& clock);
    ~HeadlessUi() override;
    void ProcessMessages() override;
    std::unique_ptr<IMessageWindow> CreateMessageWindow(IMessageWindow::Handler handler) override;
    uintptr_t StartTimer(uint32_t ms, std::function<void()> onTick) override;
    void StopTimer(uintptr_t id) override;
    int MsgBox(const std::string& text, const std::string& caption, uint32_t flags, int helpContext) override;
    void SetBusyCursor(bool busy) override { busyCursor = busy; }
    uint32_t MessageTick() override { return messageTick_; }

    // Answers for the next message boxes, in order; when none is queued, the first button
    // of the box (OK or Yes) is pressed.
    std::deque<int> answers;
    std::vector<AskedBox> boxes;
    // Called while a box is "open" (before it returns), e.g. to check the program's state.
    std::function<void(const AskedBox&)> onBox;
    bool busyCursor = false;
    // Posts a message to the queue (used by message windows and forms); any thread.
    void Post(std::function<void()> delivery);
    size_t Pending();

private:
    VirtualClock& clock_;
    std::mutex mu_;
    // Each message with the virtual tick count at which it was posted.
    std::deque<std::pair<std::function<void()>, uint32_t>> queue_;
    uint32_t messageTick_ = 0;
    uintptr_t nextHandle_ = 0x10000;
};

}  // namespace headless

#include "platform/Programs.h"
#include "platform/Sound.h"
#include "platform/Tray.h"

namespace headless {
// A notification area that records what it is asked.
class HeadlessTray : public ITray {
public:
    bool NotifyIcon(uint32_t action, const TNotifyIconData& data) override {
        notifications.push_back({action, data});
        return true;
    }
    bool NotifyBalloon(uintptr_t window, uint32_t id, const std::string& title, const std::string& text) override {
        balloons.push_back(title + "|" + text);
        return true;
    }
    void SetForegroundWindow(uintptr_t w) override { foreground.push_back(w); }
    void GetCursorPos(int& x, int& y) override {
        x = cursorX;
        y = cursorY;
    }
    uintptr_t LoadIconResource(const std::string& name) override {
        ++iconLoads;
        return name.empty() ? 0 : 0x1C00 + name.size();
    }

    struct Call {
        uint32_t action;
        TNotifyIconData data;
    };
    std::vector<Call> notifications;
    std::vector<std::string> balloons;  // "title|text"
    std::vector<uintptr_t> foreground;
    int iconLoads = 0;
    int cursorX = 0, cursorY = 0;
};

// Program starts that are recorded and answered with executeResult.
class HeadlessPrograms : public IPrograms {
public:
    intptr_t ShellExecute(const std::string& op, const std::string& file, const std::string& params,
                          const std::string& dir, int show) override {
        executed.push_back({op, file, params, dir, show});
        if (onExecute) onExecute(executed.back());
        return executeResult;
    }
    std::string SystemDirectory() override { return "C:\\windows\\system32"; }
    bool LocalHostEntry(std::string& name, std::string& address) override {
        if (!hostKnown) return false;
        name = hostName;
        address = hostAddress;
        return true;
    }

    struct Exec {
        std::string op, file, params, dir;
        int show;
    };
    std::vector<Exec> executed;
    // Called with each program or document opened (a test's stand-in browser).
    std::function<void(const Exec&)> onExecute;
    intptr_t executeResult = 42;
    bool hostKnown = true;
    std::string hostName = "pc1.example", hostAddress = "10.0.0.7";
};

// Sounds that are recorded, not played.
class HeadlessSound : public ISound {
public:
    bool PlayWaveAsync(const std::string& file) override {
        waves.push_back(file);
        return waveResult;
    }
    bool PlaySound(const std::string& file) override {
        sounds.push_back(file);
        return true;
    }
    void Beep() override { ++beeps; }

    std::vector<std::string> waves;  // PlayWaveAsync
    bool waveResult = true;
    std::vector<std::string> sounds;  // PlaySound
    int beeps = 0;
};
}  // namespace headless
