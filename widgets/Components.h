// Components without a window of their own: timers (armed through the ui seam, so the
// headless clock drives them in tests) and the file-open dialog.
#pragma once
#include <cstdint>
#include <string>

#include "widgets/ControlBase.h"

class TTimer : public TComponent {
public:
    explicit TTimer(TComponent* owner, uint32_t interval = 1000, bool enabled = true);
    ~TTimer() override;
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v);
    uint32_t Interval() const { return interval_; }
    void SetInterval(uint32_t ms);
    TNotifyEvent OnTimer;
    // True while the system timer is armed (enabled, interval non-zero and a handler set).
    bool Running() const { return id_ != 0; }

private:
    void Rearm();
    bool enabled_;
    uint32_t interval_;
    uintptr_t id_ = 0;
};

// The file-open dialog. Filter holds pairs "Name|pattern|Name|pattern".
class TOpenDialog : public TComponent {
public:
    explicit TOpenDialog(TComponent* owner) : TComponent(owner) {}
    std::string Filter;
    std::string FileName;
    std::string Title;
    bool HideReadOnly = true, PathMustExist = true, FileMustExist = true;
    // Shows the dialog, modal over ownerWindow (0: the active window); true and FileName
    // set when the user chose a file.
    bool Execute(uintptr_t ownerWindow = 0);
};
