// Buttons: push buttons, check boxes and radio buttons, and the flat tool buttons the
// program draws itself (the favorites button among them, which tells a click on its
// picture from one on its arrow by where the press began).
#include "widgets/win32/WidgetCommon.h"
#include "widgets/win32/WindowPeer.h"

namespace win32 {
namespace {

class ButtonPeer : public ControlPeer {
public:
    explicit ButtonPeer(TControl& c) : ControlPeer(c) {
        CreateChild(L"BUTTON", (c.IsDefault() ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | WS_TABSTOP, 0);
    }

protected:
    void Changed(TProp what) override {
        if (what == TProp::Default) SendMessageW(hwnd_, BM_SETSTYLE, c_.IsDefault() ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
        else ControlPeer::Changed(what);
    }
};

class CheckPeer : public ControlPeer {
public:
    explicit CheckPeer(TControl& c) : ControlPeer(c) {
        CreateChild(L"BUTTON", (c.Kind() == TControlKind::RadioButton ? BS_AUTORADIOBUTTON : BS_AUTOCHECKBOX) | WS_TABSTOP, 0);
        if (hwnd_) Changed(TProp::Checked);
    }

    // The box ticked itself: the control learns it before the click handler runs.
    bool Command(HWND from, UINT code) override {
        if (code == BN_CLICKED) c_.SetChecked(SendMessageW(from, BM_GETCHECK, 0, 0) == BST_CHECKED);
        return ControlPeer::Command(from, code);
    }

protected:
    void Changed(TProp what) override {
        if (what == TProp::Checked) SendMessageW(hwnd_, BM_SETCHECK, c_.Checked() ? BST_CHECKED : BST_UNCHECKED, 0);
        else ControlPeer::Changed(what);
    }
};

// Where the left button last went down on a button: a click is decided by where it began.
const wchar_t kPressProp[] = L"VelmoraPress";

LRESULT CALLBACK PressRecordingProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK)
        SetPropW(h, kPressProp, reinterpret_cast<HANDLE>(static_cast<uintptr_t>(static_cast<uint32_t>(l)) | 0x80000000u));
    if (msg == WM_NCDESTROY) RemovePropW(h, kPressProp);
    return CallOldProc(h, msg, w, l);
}

class ToolButtonPeer : public ControlPeer {
public:
    explicit ToolButtonPeer(TControl& c) : ControlPeer(c) {
        CreateChild(L"BUTTON", BS_OWNERDRAW, 0);
        if (c_.Kind() == TControlKind::FavoritesButton) Subclass(hwnd_, PressRecordingProc);
    }

    bool DrawItem(const DRAWITEMSTRUCT& di) override {
        DrawSpeedButton(di, c_);
        return true;
    }

protected:
    void Changed(TProp what) override {
        if (what == TProp::Caption) InvalidateRect(hwnd_, nullptr, TRUE);
        else ControlPeer::Changed(what);
    }
    // The point of the last press on the button, or the cursor when there was none.
    POINT ClickPoint() override {
        auto press = reinterpret_cast<uintptr_t>(GetPropW(hwnd_, kPressProp));
        if (!(press & 0x80000000u)) return ControlPeer::ClickPoint();
        RemovePropW(hwnd_, kPressProp);
        return POINT{Unscale(c_, static_cast<short>(LOWORD(press))), Unscale(c_, static_cast<short>(HIWORD(press) & 0x7FFF))};
    }
};

}  // namespace

std::unique_ptr<IControlPeer> NewButtonPeer(TControl& c) { return std::make_unique<ButtonPeer>(c); }
std::unique_ptr<IControlPeer> NewCheckPeer(TControl& c) { return std::make_unique<CheckPeer>(c); }
std::unique_ptr<IControlPeer> NewToolButtonPeer(TControl& c) { return std::make_unique<ToolButtonPeer>(c); }

}  // namespace win32
