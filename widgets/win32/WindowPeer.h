// The shape every Win32 control peer shares: one real window whose user data is its
// TControl, updated property by property, and told by its container what the window
// reported (WM_COMMAND, WM_NOTIFY, owner drawing, static colours). One peer class per
// control kind derives from it; the widget factory picks the class.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>

#include "widgets/Forms.h"

namespace win32 {

inline constexpr wchar_t kFormClass[] = L"TVelmoraForm";
inline constexpr wchar_t kPanelClass[] = L"TVelmoraPanel";
inline constexpr wchar_t kAppClass[] = L"TApplication";

// The control a window of ours stands for (its user data); nullptr for none.
TControl* ControlOf(HWND h);
// The window's class name.
std::string ClassOf(HWND h);
// The window's text, whole, as the program keeps text (UTF-8).
std::string TextOf(HWND h);
// Registers the window classes of forms, panels and the application window, and the
// common controls, once.
void RegisterClasses();
// Adds (or with an empty text removes) the tooltip of a child window; one tooltip window
// serves each top-level window.
void AddTooltip(HWND owner, HWND child, const std::string& text);

// Puts proc in front of the window's own procedure (once). CallOldProc hands a message on
// to the window's own procedure, and on WM_NCDESTROY gives the window its own back.
void Subclass(HWND h, WNDPROC proc);
LRESULT CallOldProc(HWND h, UINT msg, WPARAM w, LPARAM l);
// Subclasses a window so that its key releases reach its control's OnKeyUp, and a password
// box's text is not handed to another thread or program (EditPeers.cpp).
void SubclassForKeys(HWND h);

// True while the program itself changes a control's text or rows: the notifications that
// follow are not the user's doing. Updating marks such a change for its lifetime.
bool ProgramUpdating();
struct Updating {
    Updating();
    ~Updating();
};

class WindowPeer : public IControlPeer {
public:
    explicit WindowPeer(TControl& c);
    ~WindowPeer() override;
    void Destroying() override;
    uintptr_t Handle() const override { return reinterpret_cast<uintptr_t>(hwnd_); }
    // Asks the window itself (its text as shown, whoever set it), on this thread.
    intptr_t Send(uint32_t msg, uintptr_t w, intptr_t l) override { return hwnd_ ? SendMessageW(hwnd_, msg, w, l) : 0; }
    void Focus() override;
    bool ShownText(std::string& text) override;
    // Caption, Enabled, Visible, Bounds and Font through SetText, Show and Place; then
    // Changed for every property, the kind's own ones included.
    void Update(TProp what) override;

    // The window reported a WM_COMMAND notification. By default a click (BN_CLICKED,
    // STN_CLICKED) reaches ClickAt at ClickPoint and a double-click DblClick. True when
    // the notification is used up.
    virtual bool Command(HWND from, UINT code);
    // A WM_NOTIFY from the window; true when used up (the answer is then 0).
    virtual bool Notify(const NMHDR& hdr, LPARAM l) { return false; }
    // An owner-drawn window asks to be drawn; true when drawn.
    virtual bool DrawItem(const DRAWITEMSTRUCT& di) { return false; }
    // WM_CTLCOLORSTATIC from the window to its container; true when brush is the answer.
    virtual bool ColorStatic(HWND container, HDC dc, LRESULT& brush) { return false; }

    // The peer of a window of ours; nullptr for any other window.
    static WindowPeer* Of(HWND h);

protected:
    // Creates the child window at the control's bounds (with the given height), visible
    // and enabled as the control is, with the control as user data and its font.
    void CreateChild(const wchar_t* cls, DWORD style, DWORD ex, const std::string& text, int height);
    void CreateChild(const wchar_t* cls, DWORD style, DWORD ex) { CreateChild(cls, style, ex, c_.Caption(), c_.Bounds().Height); }
    virtual void SetText();
    virtual void Show();
    virtual void Place();
    virtual void Changed(TProp what) {}
    // Where the click being reported happened, in client coordinates: the cursor.
    virtual POINT ClickPoint();

    TControl& c_;
    HWND hwnd_ = nullptr;
};

// The peers of the plain controls: labels, buttons, list boxes, panels, the status bar and
// the animation. Each shows its hint as a tooltip and repaints with its frame.
class ControlPeer : public WindowPeer {
public:
    using WindowPeer::WindowPeer;
    void Repaint() override;
    bool ClientToScreen(int& x, int& y) override;

protected:
    void CreateChild(const wchar_t* cls, DWORD style, DWORD ex);
    void Changed(TProp what) override;
};

// The peers of the controls dialogs are made of: edit and combo boxes, list views, tabbed
// pages and group boxes. Their windows carry the component name for automation, show their
// hints as tooltips, and every change the program makes is marked as its own (Updating).
class DialogPeer : public WindowPeer {
public:
    using WindowPeer::WindowPeer;
    ~DialogPeer() override { DialogPeer::Destroying(); }
    void Destroying() override;
    void Update(TProp what) override;
    void Repaint() override;

protected:
    void CreateChild(const wchar_t* cls, DWORD style, DWORD ex, const std::string& text, int height);
    void CreateChild(const wchar_t* cls, DWORD style, DWORD ex) { CreateChild(cls, style, ex, c_.Caption(), c_.Bounds().Height); }
};

// The peer of each control kind.
std::unique_ptr<IControlPeer> NewFormPeer(TControl& c);
std::unique_ptr<IControlPeer> NewTitleBarPeer(TControl& c);
std::unique_ptr<IControlPeer> NewPanelPeer(TControl& c);
std::unique_ptr<IControlPeer> NewLabelPeer(TControl& c);  // labels and static texts
std::unique_ptr<IControlPeer> NewBevelPeer(TControl& c);
std::unique_ptr<IControlPeer> NewImagePeer(TControl& c);
std::unique_ptr<IControlPeer> NewButtonPeer(TControl& c);
std::unique_ptr<IControlPeer> NewCheckPeer(TControl& c);       // check boxes and radio buttons
std::unique_ptr<IControlPeer> NewToolButtonPeer(TControl& c);  // speed and favorites buttons
std::unique_ptr<IControlPeer> NewListBoxPeer(TControl& c);
std::unique_ptr<IControlPeer> NewStatusBarPeer(TControl& c);
std::unique_ptr<IControlPeer> NewAnimatePeer(TControl& c);
std::unique_ptr<IControlPeer> NewEditPeer(TControl& c);
std::unique_ptr<IControlPeer> NewComboPeer(TControl& c);
std::unique_ptr<IControlPeer> NewListViewPeer(TControl& c);
std::unique_ptr<IControlPeer> NewPageControlPeer(TControl& c);
std::unique_ptr<IControlPeer> NewTabSheetPeer(TControl& c);
std::unique_ptr<IControlPeer> NewGroupBoxPeer(TControl& c);

// Paints the drawn title bar of a form (TitleBar.cpp).
void PaintTitleBar(HWND hwnd, const TForm& form, bool active);

}  // namespace win32
