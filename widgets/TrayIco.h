// The notification-area icon: one icon with a tool-tip, kept up to date, whose mouse
// clicks become events and, for the right button, a popup menu. It owns a hidden window
// of its own for the shell's callback messages, so it needs nothing from its owner.
#pragma once
#include <memory>
#include <string>

#include "platform/MessageWindow.h"
#include "platform/Tray.h"
#include "widgets/Controls.h"

// An icon object: empty, or an icon of the program's resources.
class TIcon {
public:
    bool Empty() const { return handle_ == 0; }
    uintptr_t Handle() const { return handle_; }
    void Assign(const TIcon& other) { handle_ = other.handle_; }
    void SetHandle(uintptr_t h) { handle_ = h; }
    void Clear() { handle_ = 0; }

private:
    uintptr_t handle_ = 0;
};

class TSystemTrayIcon : public TComponent {
public:
    explicit TSystemTrayIcon(TComponent* owner);
    ~TSystemTrayIcon() override;

    // Called once the component's stored properties are set: re-applies the icon, so a
    // component with an icon shows, and one without is removed from the tray.
    virtual void Loaded();
    // The hidden window's procedure.
    virtual intptr_t WndProc(uint32_t msg, uintptr_t wParam, intptr_t lParam);

    uint32_t MessageID = 1124;  // WM_USER + 100
    const TIcon& Icon() const { return icon_; }
    void SetIcon(const TIcon& icon);
    const std::string& Tip() const { return tip_; }
    void SetTip(const std::string& tip);
    bool Visible() const { return shown_; }
    void SetVisible(bool v);
    // Shows a balloon notice on the icon while it is shown (nothing where the system has no
    // balloons); false when nothing was shown.
    bool ShowBalloon(const std::string& title, const std::string& text);
    TMenu* PopupMenu = nullptr;
    TNotifyEvent OnDblClick, OnLeftClick, OnRightClick;
    // While designing, Icon and Tip do not talk to the shell.
    bool Designing = false;
    uintptr_t WindowHandle() const { return window_ ? window_->Handle() : 0; }

private:
    void Notify(uint32_t action);
    std::unique_ptr<IMessageWindow> window_;
    TIcon icon_;
    std::string tip_;
    bool shown_ = false;
};
