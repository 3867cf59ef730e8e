// The base of every control: the properties all windows share, the peer a backend gives
// each control to mirror its changes onto a real window (Win32) or record them (headless),
// and the factory that makes those peers. One wrapper shape for every control: set
// properties, read them back, and events as std::function fields that the backend fires.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/Classes.h"

// Window-message values the portable code needs to speak about.
enum : uint32_t {
    WM_USER_ = 0x400,
    WM_SYSCOMMAND_ = 0x112,
    WM_CLOSE_ = 0x10,
    WM_QUERYENDSESSION_ = 0x11,
    WM_ENDSESSION_ = 0x16,
    SC_MINIMIZE_ = 0xF020,
    SC_CLOSE_ = 0xF060,
    SC_RESTORE_ = 0xF120,
    SW_HIDE_ = 0,
    SW_SHOWNORMAL_ = 1,
    SW_SHOW_ = 5,
    HELP_QUIT_ = 2,
    HELP_FINDER_ = 11,
};

struct TMessage {
    uint32_t Msg = 0;
    uintptr_t WParam = 0;
    intptr_t LParam = 0;
    intptr_t Result = 0;
    bool Handled = false;
};

enum class TControlKind {
    Form, Panel, Label, StaticText, Button, SpeedButton, ListBox, StatusBar, Bevel, Animate,
    Edit, ComboBox, CheckBox, RadioButton, GroupBox, PageControl, TabSheet, Image, TitleBar, FavoritesButton,
    ListView,
};

// What changed, so a peer updates only that.
enum class TProp {
    Caption, Enabled, Visible, Hint, Bounds, Items, Font, Glyph, Checked, ItemIndex, Panels, Cursor, Animation, Icon,
    Rows,        // list views: the rows changed (the peer shows them all again)
    ActivePage,  // page controls: another page is in front
    Default,     // buttons: shown as the one Enter presses, or no longer
};

class TControl;
class TWinControl;
class TForm;
class TMenu;
class TMenuItem;
class TApplication;
class IAppPeer;
class IMenuPeer;
class TOpenDialog;

class IControlPeer {
public:
    virtual ~IControlPeer() = default;
    virtual void Update(TProp what) = 0;
    virtual uintptr_t Handle() const = 0;
    virtual void Repaint() {}
    virtual void BringToFront() {}
    // Forms: queue or handle one of the form's own messages.
    virtual bool Post(uint32_t msg, uintptr_t w, intptr_t l) { return false; }
    virtual intptr_t Send(uint32_t msg, uintptr_t w, intptr_t l) { return 0; }
    // Forms: runs a modal loop until the form closes; returns its modal result.
    virtual int ShowModal() { return 0; }
    virtual void EndModal(int result) {}
    virtual void Destroying() {}
    // Animation controls.
    virtual void Play(bool active) {}
    // A point of the control's client area on the screen; false when not known.
    virtual bool ClientToScreen(int& x, int& y) { return false; }
    // Gives the control the keyboard focus.
    virtual void Focus() {}
    // The text the control's window shows now, asked of the window itself (another program
    // may have set it); false when there is no window to ask.
    virtual bool ShownText(std::string& text) { return false; }
};


class IWidgetFactory {
public:
    virtual ~IWidgetFactory() = default;
    virtual std::unique_ptr<IControlPeer> CreatePeer(TControl& c) = 0;
    virtual std::unique_ptr<IMenuPeer> CreateMenuPeer(TMenu& m) = 0;
    virtual std::unique_ptr<IAppPeer> CreateAppPeer(TApplication& app) = 0;
    // The file-open dialog, modal over ownerWindow (0: the active window). True when the
    // user chose a file; its full path is then in dialog.FileName.
    virtual bool RunOpenDialog(TOpenDialog& dialog, uintptr_t ownerWindow) { return false; }
};

namespace widgets {
// The factory of the services record in force (platform/Services.h).
IWidgetFactory& Factory();
}  // namespace widgets

struct TRect {
    int Left = 0, Top = 0, Width = 0, Height = 0;
};

struct TFontStyle {
    std::string Name = "MS Sans Serif";
    int Size = 8;  // points
    bool Bold = false;
};

class TControl : public TComponent {
public:
    TControl(TComponent* owner, TWinControl* parent, TControlKind kind, const std::string& name);
    ~TControl() override;
    TControlKind Kind() const { return kind_; }
    TWinControl* Parent() const { return parent_; }
    // The peer is created by Realize(), once the control's start values are set.
    void Realize();
    IControlPeer* Peer() const { return peer_.get(); }
    uintptr_t Handle() const { return peer_ ? peer_->Handle() : 0; }

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& s);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v);
    bool Visible() const { return visible_; }
    void SetVisible(bool v);
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& s);
    const TRect& Bounds() const { return bounds_; }
    void SetBounds(int left, int top, int width, int height);
    int Left() const { return bounds_.Left; }
    int Top() const { return bounds_.Top; }
    int Width() const { return bounds_.Width; }
    int Height() const { return bounds_.Height; }
    void SetLeft(int v) { SetBounds(v, bounds_.Top, bounds_.Width, bounds_.Height); }
    void SetTop(int v) { SetBounds(bounds_.Left, v, bounds_.Width, bounds_.Height); }
    void SetHeight(int v) { SetBounds(bounds_.Left, bounds_.Top, bounds_.Width, v); }
    const TFontStyle& Font() const { return font_; }
    void SetFont(const TFontStyle& f);
    bool Checked() const { return checked_; }
    void SetChecked(bool v);
    int HelpContext() const { return helpContext_; }
    void SetHelpContext(int v) { helpContext_ = v; }
    // What F1 on this control asks for: its own context, else that of the nearest container
    // that has one; a page control (or a control on it) answers with the page in front, when
    // that page has a context. 0 when nothing up to the form has one.
    int HelpContextInFront() const;
    bool HandCursor() const { return handCursor_; }
    void SetHandCursor(bool v);
    // Labels: text centred in the control's width (set before the control is realized).
    bool CenterText = false;
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool v) { wordWrap_ = v; }
    // Glyph or picture: the name of a bitmap resource of the program.
    const std::string& Glyph() const { return glyph_; }
    void SetGlyph(const std::string& resName);
    void Repaint();

    // Fired by the backend (or a test) for a click / double-click on the control.
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    void Click();
    void DblClick();
    // A click at a point of the control (client coordinates); most controls ignore where.
    virtual void ClickAt(int x, int y) { Click(); }

    // Edit boxes and combo boxes: the text is Caption(). OnChange fires when the user
    // changes the text (typing, choosing an item), never for SetCaption from code.
    TNotifyEvent OnChange;
    // Focus gained / lost.
    TNotifyEvent OnEnter, OnExit;
    // After each key release while the control has the focus (Key: the virtual-key code).
    std::function<void(TObject* Sender, uint16_t& Key)> OnKeyUp;
    // Set before Realize(): an edit box that shows this character for each one typed, and
    // whose text no other program can read (0: a plain edit box); the most characters the
    // user may type (0: no limit).
    char PasswordChar = 0;
    int MaxLength = 0;
    // Whether Tab stops at the control (for the kinds that take the focus at all).
    bool TabStop = true;
    // The button Enter presses while this control has the focus, instead of the form's
    // default button (an Add button for the boxes it adds from); nullptr: the form's.
    TControl* EnterButton = nullptr;
    // Buttons: shown as the button Enter presses now (the form moves this with the focus).
    bool IsDefault() const { return default_; }
    void SetDefault(bool v);
    // Called by the backend (or a test) for what the user did: the text is now `text` (set
    // without echoing it to the window) and OnChange fires; the focus came or went; a key
    // was released.
    void TextChangedByUser(const std::string& text);
    void FocusEntered();
    void FocusLeft();
    void KeyReleased(uint16_t key);
    // Gives the control the keyboard focus (the backend then reports FocusEntered).
    void SetFocus();
    // The control and every control it sits on are visible.
    bool Showing() const;
    // A control of a kind that takes the focus, enabled and showing, with TabStop set.
    bool CanTabTo() const;

protected:
    void Changed(TProp p);
    // Sets the caption as the window already shows it (nothing is sent to the peer).
    void SetCaptionQuiet(const std::string& s) { caption_ = s; }
    std::unique_ptr<IControlPeer> peer_;

private:
    TControlKind kind_;
    TWinControl* parent_;
    std::string caption_, hint_, glyph_;
    TRect bounds_;
    TFontStyle font_;
    bool enabled_ = true, visible_ = true, checked_ = false, handCursor_ = false, wordWrap_ = false, default_ = false;
    int helpContext_ = 0;
};

class TWinControl : public TControl {
public:
    using TControl::TControl;
    const std::vector<TControl*>& Controls() const { return children_; }
    virtual void AddChild(TControl* c) { children_.push_back(c); }
    void RemoveChild(TControl* c);
    // Every control below this one, depth first in creation order (a child's own children
    // right after it).
    std::vector<TControl*> AllControls() const;

private:
    std::vector<TControl*> children_;
};
