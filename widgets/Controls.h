// Forms, controls, menus and timers: the properties the program's windows use, kept here
// portably, with a backend peer that mirrors each change onto a real window (Win32) or
// records it (headless). One wrapper shape for every control: set properties, read them
// back, and events as std::function fields that the backend fires.
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
};

class TControl;
class TWinControl;
class TForm;
class TMenu;
class TMenuItem;
class TApplication;
class IAppPeer;
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
};

class IMenuPeer {
public:
    virtual ~IMenuPeer() = default;
    virtual void ItemChanged(TMenuItem& item) = 0;
    virtual void Rebuild() = 0;
    virtual uintptr_t Handle() const = 0;
    // Popup menus: show at a screen point and track until closed.
    virtual void Popup(int x, int y) {}
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
IWidgetFactory& Factory();
void SetFactory(IWidgetFactory* f);
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
    bool enabled_ = true, visible_ = true, checked_ = false, handCursor_ = false, wordWrap_ = false;
    int helpContext_ = 0;
};

class TWinControl : public TControl {
public:
    using TControl::TControl;
    const std::vector<TControl*>& Controls() const { return children_; }
    virtual void AddChild(TControl* c) { children_.push_back(c); }
    void RemoveChild(TControl* c);

private:
    std::vector<TControl*> children_;
};

// How a combo box takes its text: typed or chosen (DropDown), or only chosen from the list
// (DropDownList, whose Caption() is the chosen item's text, "" when none is chosen).
enum class TComboStyle { DropDown, DropDownList };

// A list box; the message list scrolls to each new line. Combo boxes (kind ComboBox) are
// list boxes too: Items() is their list, Caption() their text.
class TListBox : public TWinControl {
public:
    using TComboStyle = ::TComboStyle;
    TListBox(TComponent* owner, TWinControl* parent, const std::string& name, TControlKind kind = TControlKind::ListBox)
        : TWinControl(owner, parent, kind, name) {}
    const std::vector<std::string>& Items() const { return items_; }
    // Appends the line, or inserts it in its place (letter case aside) when Sorted.
    void Add(const std::string& line);
    // Empties the list; a combo box's text goes with it, as with the real control.
    void Clear();
    void SetItems(const std::vector<std::string>& items);
    // Removes line i (nothing when there is none); the selection follows its line.
    void Delete(int i);
    // The first line equal to s, letter case aside; -1 when there is none.
    int IndexOf(const std::string& s) const;
    // Appends many lines in one change: the window takes them in one go, drawing held off.
    void AddStrings(const std::vector<std::string>& lines);
    // Counts the changes that were not appends (Clear, SetItems, Delete, a sorted insert):
    // while it stays the same, a peer that has shown n lines only has to add the lines from n on.
    uint32_t Resets() const { return resets_; }
    int ItemIndex() const { return itemIndex_; }
    // Selects line i (-1 or out of range: none). A combo box shows the line as its text,
    // or no text when nothing is selected.
    void SetItemIndex(int i);
    // Called by the backend when the user selects a line. A combo box takes the line as its
    // text and fires OnChange.
    void SelectedByUser(int i);
    bool ScrollToNew = false;
    // Combo boxes, set before Realize().
    TComboStyle ComboStyle = TComboStyle::DropDown;
    bool Sorted = false;

private:
    bool IsCombo() const { return Kind() == TControlKind::ComboBox; }
    std::vector<std::string> items_;
    int itemIndex_ = -1;
    uint32_t resets_ = 0;
};

// A list of rows in columns (report style), read-only for the user.
struct TListColumn {
    std::string Caption;
    int Width;
};

class TListView : public TWinControl {
public:
    TListView(TComponent* owner, TWinControl* parent, const std::string& name)
        : TWinControl(owner, parent, TControlKind::ListView, name) {}
    // Set before Realize().
    std::vector<TListColumn> Columns;
    bool SortByFirstColumn = false;

    int RowCount() const { return static_cast<int>(rows_.size()); }
    const std::vector<std::string>& Row(int i) const { return rows_.at(static_cast<size_t>(i)); }
    // Adds a row and returns where it went: at the end, or in the order of the first
    // cells' texts (letter case aside) when SortByFirstColumn.
    int AddRow(const std::vector<std::string>& cells);
    void DeleteRow(int i);
    void ClearRows();
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int i);  // -1 or out of range: no row selected
    // Called by the backend when the user selects a row (-1: none); a click then fires
    // OnClick, after the selection is known here.
    void SelectedByUser(int i);

private:
    std::vector<std::vector<std::string>> rows_;
    int itemIndex_ = -1;
};

// Tabbed pages: the page control's children of kind TabSheet are its pages, in creation
// order; a page's Caption() is its tab's text. Only the page in front is visible.
class TPageControl : public TWinControl {
public:
    TPageControl(TComponent* owner, TWinControl* parent, const std::string& name)
        : TWinControl(owner, parent, TControlKind::PageControl, name) {}
    int PageCount() const;
    TWinControl* Page(int i) const;
    // The page whose tab reads `caption` exactly; -1 when there is none.
    int IndexOfPage(const std::string& caption) const;
    int ActivePageIndex() const { return active_; }
    void SetActivePageIndex(int i);
    // Called by the backend when the user picks a tab (or Ctrl+Tab): fires OnChange.
    void PageSelectedByUser(int i);
    void AddChild(TControl* c) override;

private:
    void ShowActivePage();
    int active_ = 0;
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

struct TStatusPanel {
    std::string Text;
    int Width = 50;
};

class TStatusBar : public TWinControl {
public:
    TStatusBar(TComponent* owner, TWinControl* parent, const std::string& name)
        : TWinControl(owner, parent, TControlKind::StatusBar, name) {}
    std::vector<TStatusPanel>& Panels() { return panels_; }
    void SetPanelText(size_t i, const std::string& text);
    const std::string& PanelText(size_t i) const { return panels_.at(i).Text; }
    void SetPanels(const std::vector<TStatusPanel>& p);

private:
    std::vector<TStatusPanel> panels_;
};

// The animation control: plays an AVI resource of the program.
class TAnimate : public TWinControl {
public:
    TAnimate(TComponent* owner, TWinControl* parent, const std::string& name)
        : TWinControl(owner, parent, TControlKind::Animate, name) {}
    const std::string& ResName() const { return resName_; }
    void SetResName(const std::string& n);
    bool Active() const { return active_; }
    void SetActive(bool a);
    int StopFrame = 0;

private:
    std::string resName_;
    bool active_ = false;
};

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

// Menus: items in a tree, addressed by position.
class TMenuItem : public TComponent {
public:
    TMenuItem(TMenu* menu, TMenuItem* parent, const std::string& name, const std::string& caption);
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& s);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v);
    bool Checked() const { return checked_; }
    void SetChecked(bool v);
    bool IsSeparator() const { return caption_ == "-"; }
    std::string Hint;
    int HelpContext = 0;
    TNotifyEvent OnClick;
    void Click();
    TMenuItem* Add(const std::string& name, const std::string& caption);
    int Count() const { return static_cast<int>(items_.size()); }
    TMenuItem* Items(int i) const { return items_.at(static_cast<size_t>(i)).get(); }
    uint32_t Command() const { return command_; }
    TMenu* Menu() const { return menu_; }

private:
    TMenu* menu_;
    std::string caption_;
    bool enabled_ = true, checked_ = false;
    uint32_t command_;
    std::vector<std::unique_ptr<TMenuItem>> items_;
};

// How a menu drawn by the program looks (menus without one are the system's own).
// Colours are RGB values (0x00BBGGRR); kButtonFaceColor stands for the system's button face.
struct TMenuLook {
    static constexpr uint32_t kButtonFaceColor = 0x8000000F;
    TFontStyle Font;
    uint32_t FontColor = 0, SelectFontColor = 0;
    uint32_t SelectColor = kButtonFaceColor, UnselectColor = kButtonFaceColor;
    enum TFrame { None, Raised, Lowered } SelectFrame = None;
    // Bitmap resources of 16 x 16 item icons (their top-left pixel is transparent): items
    // whose Tag is FolderTag show FolderIcon, the others ItemIcon, only while highlighted
    // unless IconOnEveryItem.
    std::string FolderIcon, ItemIcon;
    int FolderTag = 1;
    bool IconOnEveryItem = false;
};

class TMenu : public TComponent {
public:
    std::shared_ptr<TMenuLook> Look;
    TMenu(TComponent* owner, const std::string& name, bool popup);
    ~TMenu() override;
    TMenuItem& ItemsRoot() { return root_; }
    TMenuItem* Items(int i) const { return root_.Items(i); }
    int Count() const { return root_.Count(); }
    TMenuItem* Add(const std::string& name, const std::string& caption) { return root_.Add(name, caption); }
    bool IsPopup() const { return popup_; }
    // Creates the peer once the items are in place.
    void Realize();
    IMenuPeer* Peer() const { return peer_.get(); }
    // Finds the item with this command number (for the backend's WM_COMMAND).
    TMenuItem* FindCommand(uint32_t cmd);
    void Popup(int x, int y);
    // The side banner text of a drawn popup menu.
    std::string BannerText;
    void Notify(TMenuItem& item) {
        if (peer_) peer_->ItemChanged(item);
    }

private:
    TMenuItem root_;
    bool popup_;
    std::unique_ptr<IMenuPeer> peer_;
};
