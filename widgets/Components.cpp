// Timers and the file-open dialog; see Components.h.
#include "widgets/Components.h"

#include "platform/Platform.h"

TTimer::TTimer(TComponent* owner, uint32_t interval, bool enabled) : TComponent(owner), enabled_(enabled), interval_(interval) {
    Rearm();
}

TTimer::~TTimer() {
    if (id_) platform::Ui().StopTimer(id_);
}

void TTimer::SetEnabled(bool v) {
    if (v == enabled_) return;
    enabled_ = v;
    Rearm();
}

void TTimer::SetInterval(uint32_t ms) {
    if (ms == interval_) return;
    interval_ = ms;
    Rearm();
}

// A timer runs only when enabled with a non-zero interval; changing either restarts it.
void TTimer::Rearm() {
    if (!enabled_ && !id_) return;
    if (id_) {
        platform::Ui().StopTimer(id_);
        id_ = 0;
    }
    if (enabled_ && interval_ > 0) {
        id_ = platform::Ui().StartTimer(interval_, [this] {
            if (OnTimer) OnTimer(this);
        });
    }
}

bool TOpenDialog::Execute(uintptr_t ownerWindow) { return widgets::Factory().RunOpenDialog(*this, ownerWindow); }
