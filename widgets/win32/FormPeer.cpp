// A form's top-level window: its frame and icons, showing and hiding it without handing
// the activation to the hidden application window, its own messages, and the modal loop.
#include <algorithm>

#include "core/Utf16.h"
#include "platform/win32/Win32Platform.h"
#include "widgets/win32/DialogKeys.h"
#include "widgets/win32/WidgetCommon.h"
#include "widgets/win32/WindowPeer.h"

namespace win32 {
namespace {

class FormPeer : public ControlPeer {
public:
    explicit FormPeer(TControl& c) : ControlPeer(c), f_(static_cast<TForm&>(c)) { Create(); }
    ~FormPeer() override { SetLayoutDpi(f_, 0); }

    void BringToFront() override {
        if (hwnd_) SetForegroundWindow(hwnd_);
    }

    bool Post(uint32_t msg, uintptr_t w, intptr_t l) override { return hwnd_ && PostMessageW(hwnd_, msg, w, l); }
    intptr_t Send(uint32_t msg, uintptr_t w, intptr_t l) override { return hwnd_ ? SendMessageW(hwnd_, msg, w, l) : 0; }

    int ShowModal() override {
        HWND owner = Application().MainForm && Application().MainForm->Handle()
                         ? reinterpret_cast<HWND>(Application().MainForm->Handle())
                         : nullptr;
        if (owner) EnableWindow(owner, FALSE);
        modalResult_ = 0;
        inModal_ = true;
        MSG msg;
        while (inModal_ && GetMessageW(&msg, nullptr, 0, 0) > 0) {
            if (!HandleDialogKey(msg) && !IsDialogMessageW(hwnd_, &msg)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
        if (owner) {
            EnableWindow(owner, TRUE);
            SetForegroundWindow(owner);
        }
        return modalResult_;
    }

    void EndModal(int result) override {
        modalResult_ = result;
        inModal_ = false;
    }

protected:
    void Show() override {
        bool hadActivation = !c_.Visible() && GetActiveWindow() == hwnd_;
        ::ShowWindow(hwnd_, c_.Visible() ? SW_SHOW : SW_HIDE);
        // The system would hand it to the hidden application window.
        if (hadActivation) ReturnActivation(reinterpret_cast<uintptr_t>(hwnd_));
    }

    // The frame stays around the given client size.
    void Place() override {
        const TRect& b = c_.Bounds();
        RECT r{0, 0, Scale(c_, b.Width), Scale(c_, b.Height)};
        AdjustWindowRectEx(&r, GetWindowLongW(hwnd_, GWL_STYLE), GetMenu(hwnd_) != nullptr, GetWindowLongW(hwnd_, GWL_EXSTYLE));
        SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

private:
    void Create() {
        DWORD style = WS_CLIPCHILDREN;
        DWORD ex = 0;
        switch (f_.BorderStyle) {
            case TBorderStyle::Single: style |= WS_OVERLAPPED | WS_CAPTION; break;
            case TBorderStyle::Dialog: style |= WS_POPUP | WS_CAPTION | DS_MODALFRAME; ex |= WS_EX_DLGMODALFRAME; break;
            case TBorderStyle::None: style |= WS_POPUP; break;
            case TBorderStyle::Sizeable: style |= WS_OVERLAPPEDWINDOW; break;
        }
        if (f_.BorderStyle != TBorderStyle::None) {
            if (f_.SystemMenu) style |= WS_SYSMENU;
            if (f_.MinimizeBox) style |= WS_MINIMIZEBOX;
            if (f_.MaximizeBox) style |= WS_MAXIMIZEBOX;
        }
        if (f_.StayOnTop) ex |= WS_EX_TOPMOST;
        HMENU menu = f_.Menu && f_.Menu->Peer() ? reinterpret_cast<HMENU>(f_.Menu->Peer()->Handle()) : nullptr;
        HWND owner = f_.OwnerForm && f_.OwnerForm->Handle() ? reinterpret_cast<HWND>(f_.OwnerForm->Handle())
                                                            : reinterpret_cast<HWND>(Application().Handle());
        // On the work area of the owner's screen, whole: a form larger than it at this dpi
        // is laid out at the highest dpi (down to 72) at which it fits.
        const RECT work = WorkAreaOf(owner);
        const int workW = work.right - work.left, workH = work.bottom - work.top;
        RECT r;
        for (int dpi = ScreenDpi();; --dpi) {
            r = RECT{0, 0, MulDiv(f_.ClientWidth(), dpi, 96), MulDiv(f_.ClientHeight(), dpi, 96)};
            AdjustWindowRectEx(&r, style, menu != nullptr, ex);
            if ((r.right - r.left <= workW && r.bottom - r.top <= workH) || dpi <= 72) {
                SetLayoutDpi(f_, dpi);
                break;
            }
        }
        int w = r.right - r.left, h = r.bottom - r.top;
        int x = Scale(c_, f_.Left()), y = Scale(c_, f_.Top());
        if (f_.CenterOnScreen) {
            x = work.left + (workW - w) / 2;
            y = work.top + (workH - h) / 2;
        }
        x = std::max<int>(work.left, std::min<int>(x, work.right - w));
        y = std::max<int>(work.top, std::min<int>(y, work.bottom - h));
        hwnd_ = CreateWindowExW(ex, kFormClass, Utf8ToWide(f_.Caption()).c_str(), style, x, y, w, h, owner, menu, Inst(), nullptr);
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&c_));
        // The window's own hint, over the parts of it no control covers.
        if (f_.ShowHint && !f_.Hint().empty()) AddTooltip(hwnd_, hwnd_, f_.Hint());
        const std::wstring iconName = Utf8ToWide(f_.IconRes.empty() ? "MAINICON" : f_.IconRes);
        const wchar_t* icon = iconName.c_str();
        if (HICON big = LoadIconW(Inst(), icon)) SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
        if (auto small = static_cast<HICON>(LoadImageW(Inst(), icon, IMAGE_ICON, Scale(16), Scale(16), 0)))
            SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    }

    TForm& f_;
    bool inModal_ = false;
    int modalResult_ = 0;
};

}  // namespace

std::unique_ptr<IControlPeer> NewFormPeer(TControl& c) { return std::make_unique<FormPeer>(c); }

}  // namespace win32
