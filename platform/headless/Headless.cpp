// The headless backend; see Headless.h.
#include "platform/headless/Headless.h"

#include <algorithm>
#include <atomic>

namespace headless {

VirtualClock::VirtualClock(uint32_t startTick, TDateTime startNow) : startTick_(startTick), localBase_(startNow) {}

uint32_t VirtualClock::TickCount() { return static_cast<uint32_t>(startTick_ + now_); }

TDateTime VirtualClock::Now() { return localBase_ + static_cast<double>(now_ - localAt_) / 86400000.0; }

uint32_t VirtualClock::SetSystemTimeUtc(const TSystemTime& utc) {
    clockSets.push_back(utc);
    return setTimeResult;
}

void VirtualClock::RunBackground(uint32_t delayMs, std::function<void()> fn) {
    tasks_.push_back(Task{now_ + delayMs, seq_++, std::move(fn)});
}

uintptr_t VirtualClock::AddTimer(uint32_t interval, std::function<void()> fn) {
    uintptr_t id = nextTimerId_++;
    timers_[id] = Timer{interval, now_ + interval, std::move(fn)};
    return id;
}

void VirtualClock::RemoveTimer(uintptr_t id) { timers_.erase(id); }

// Runs the earliest event due no later than `until`; background tasks before timers at
// the same instant, ties in the order they were scheduled. False when nothing is due.
bool VirtualClock::RunNextDue(uint64_t until, bool uiToo) {
    auto task = std::min_element(tasks_.begin(), tasks_.end(), [](const Task& a, const Task& b) {
        return a.due != b.due ? a.due < b.due : a.seq < b.seq;
    });
    uintptr_t timerId = 0;
    uint64_t timerDue = UINT64_MAX;
    if (uiToo) {
        for (auto& [id, t] : timers_) {
            if (t.due < timerDue) {
                timerDue = t.due;
                timerId = id;
            }
        }
    }
    bool haveTask = task != tasks_.end() && task->due <= until;
    bool haveTimer = timerId != 0 && timerDue <= until;
    if (!haveTask && !haveTimer) return false;
    if (haveTask && (!haveTimer || task->due <= timerDue)) {
        now_ = std::max(now_, task->due);
        auto fn = std::move(task->fn);
        tasks_.erase(task);
        fn();
    } else {
        now_ = std::max(now_, timerDue);
        Timer& t = timers_[timerId];
        t.due = now_ + std::max<uint32_t>(t.interval, 1);
        auto fn = t.fn;  // a copy: the tick may stop (erase) its own timer
        fn();
    }
    if (uiToo && pump_) pump_();
    return true;
}

void VirtualClock::Sleep(uint32_t ms) {
    uint64_t until = now_ + ms;
    while (RunNextDue(until, false)) {
    }
    now_ = until;
}

void VirtualClock::Advance(uint32_t ms) {
    uint64_t until = now_ + ms;
    if (pump_) pump_();
    while (RunNextDue(until, true)) {
    }
    now_ = until;
    if (pump_) pump_();
}

namespace {
// A hidden window: messages posted to it go through the UI's queue. Posts that arrive
// after the window is gone are dropped.
class HeadlessMessageWindow : public IMessageWindow {
public:
    HeadlessMessageWindow(HeadlessUi& ui, uintptr_t handle, Handler h)
        : ui_(ui), handle_(handle), state_(std::make_shared<State>()) {
        state_->handler = std::move(h);
    }
    ~HeadlessMessageWindow() override {
        std::lock_guard<std::mutex> lock(state_->mu);
        state_->alive = false;
    }
    uintptr_t Handle() const override { return handle_; }
    bool Post(uint32_t msg, uintptr_t wParam, intptr_t lParam) override {
        {
            std::lock_guard<std::mutex> lock(state_->mu);
            if (!state_->alive) return false;
        }
        auto st = state_;
        ui_.Post([st, msg, wParam, lParam] {
            if (st->alive) st->handler(msg, wParam, lParam);
        });
        return true;
    }
    intptr_t Send(uint32_t msg, uintptr_t wParam, intptr_t lParam) override {
        return state_->handler(msg, wParam, lParam);
    }

private:
    struct State {
        std::mutex mu;
        std::atomic<bool> alive{true};
        Handler handler;
    };
    HeadlessUi& ui_;
    uintptr_t handle_;
    std::shared_ptr<State> state_;
};
}  // namespace

HeadlessUi::HeadlessUi(VirtualClock& clock) : clock_(clock) {
    clock_.SetUiPump([this] { ProcessMessages(); });
}

HeadlessUi::~HeadlessUi() { clock_.SetUiPump(nullptr); }

void HeadlessUi::Post(std::function<void()> delivery) {
    const uint32_t tick = clock_.TickCount();
    std::lock_guard<std::mutex> lock(mu_);
    queue_.emplace_back(std::move(delivery), tick);
}

size_t HeadlessUi::Pending() {
    std::lock_guard<std::mutex> lock(mu_);
    return queue_.size();
}

void HeadlessUi::ProcessMessages() {
    // Re-entrant, as the real loop is: a handler may itself process pending messages.
    for (;;) {
        std::pair<std::function<void()>, uint32_t> next;
        {
            std::lock_guard<std::mutex> lock(mu_);
            if (queue_.empty()) return;
            next = std::move(queue_.front());
            queue_.pop_front();
        }
        const uint32_t outer = messageTick_;
        messageTick_ = next.second;
        next.first();
        messageTick_ = outer;
    }
}

std::unique_ptr<IMessageWindow> HeadlessUi::CreateMessageWindow(IMessageWindow::Handler handler) {
    return std::make_unique<HeadlessMessageWindow>(*this, nextHandle_++, std::move(handler));
}

uintptr_t HeadlessUi::StartTimer(uint32_t ms, std::function<void()> onTick) {
    return clock_.AddTimer(ms, std::move(onTick));
}

void HeadlessUi::StopTimer(uintptr_t id) { clock_.RemoveTimer(id); }

int HeadlessUi::MsgBox(const std::string& text, const std::string& caption, uint32_t flags, int helpContext) {
    int answer;
    if (!answers.empty()) {
        answer = answers.front();
        answers.pop_front();
    } else {
        uint32_t buttons = flags & 0xF;
        answer = (buttons == MB_YESNOCANCEL_ || buttons == MB_YESNO_) ? IDYES_ : IDOK_;
    }
    boxes.push_back(AskedBox{text, caption, flags, helpContext, answer});
    if (onBox) onBox(boxes.back());
    return answer;
}

}  // namespace headless
