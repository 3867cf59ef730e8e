// The notification-area icon; see TrayIco.h.
#include "widgets/TrayIco.h"

#include <cstring>

#include "core/Utf16.h"
#include "platform/Platform.h"

namespace {
enum : uint32_t { WM_LBUTTONDOWN_ = 0x201, WM_LBUTTONDBLCLK_ = 0x203, WM_RBUTTONDOWN_ = 0x204 };
}  // namespace

TSystemTrayIcon::TSystemTrayIcon(TComponent* owner) : TComponent(owner) {
    window_ = platform::Ui().CreateMessageWindow(
        [this](uint32_t msg, uintptr_t w, intptr_t l) { return WndProc(msg, w, l); });
}

TSystemTrayIcon::~TSystemTrayIcon() {
    // Sent also for an icon that was never shown: a delete of a missing icon is harmless.
    Notify(NIM_DELETE_);
    window_.reset();
}

void TSystemTrayIcon::Loaded() { SetIcon(TIcon(icon_)); }

void TSystemTrayIcon::SetIcon(const TIcon& icon) {
    icon_.Assign(icon);
    if (Designing) return;
    if (icon_.Empty()) {
        Notify(NIM_DELETE_);
        shown_ = false;
    } else {
        Notify(shown_ ? NIM_MODIFY_ : NIM_ADD_);
        shown_ = true;
    }
}

void TSystemTrayIcon::SetTip(const std::string& tip) {
    tip_ = tip;
    if (!Designing && shown_) Notify(NIM_MODIFY_);
}

void TSystemTrayIcon::SetVisible(bool v) {
    if (v) {
        Notify(shown_ ? NIM_MODIFY_ : NIM_ADD_);
        shown_ = true;
    } else {
        Notify(NIM_DELETE_);
        shown_ = false;
    }
}

bool TSystemTrayIcon::ShowBalloon(const std::string& title, const std::string& text) {
    if (!shown_) return false;
    // The tray cuts them to what its record holds, whole characters only.
    return platform::Tray().NotifyBalloon(WindowHandle(), 1, title, text);
}

// Every call carries the window, the message, the icon and the tip; the shell's answer is
// not looked at (a missing notification area simply shows nothing).
void TSystemTrayIcon::Notify(uint32_t action) {
    TNotifyIconData d;
    d.cbSize = 152;
    d.hWnd = WindowHandle();
    d.uID = 1;
    d.uFlags = NIF_MESSAGE_ | NIF_ICON_ | NIF_TIP_;
    d.uCallbackMessage = MessageID;
    d.hIcon = icon_.Handle();
    // The record holds 63 UTF-16 units of tip: cut there, never inside a character.
    std::wstring tip = Utf8ToWide(tip_);
    if (tip.size() > 63) tip.resize((tip[62] & 0xFC00) == 0xD800 ? 62 : 63);
    d.szTip = WideToUtf8(tip);
    platform::Tray().NotifyIcon(action, d);
}

intptr_t TSystemTrayIcon::WndProc(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    if (msg != MessageID) return kMsgDefault;
    switch (static_cast<uint32_t>(lParam)) {
        case WM_LBUTTONDOWN_:
            if (OnLeftClick) OnLeftClick(this);
            return 0;
        case WM_LBUTTONDBLCLK_:
            if (OnDblClick) OnDblClick(this);
            return 0;
        case WM_RBUTTONDOWN_: {
            platform::Tray().SetForegroundWindow(WindowHandle());
            if (OnRightClick) OnRightClick(this);
            if (PopupMenu) {
                int x = 0, y = 0;
                platform::Tray().GetCursorPos(x, y);
                PopupMenu->Popup(x, y);
            }
            return 0;
        }
        default:
            return kMsgDefault;
    }
}
