// Real windows for edit and combo boxes, report-style list views, tabbed pages and group
// boxes, and the keyboard every dialog of the program answers to. The portable control
// holds the state; these peers show it and report what the user did.
#include "widgets/win32/DialogControls.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <map>
#include <vector>

#include "platform/win32/Win32Platform.h"
#include "widgets/win32/Win32Widgets.h"
#include "widgets/win32/WidgetCommon.h"

namespace win32 {
namespace {

const char kPanelClass[] = "TVelmoraPanel";  // registered with the forms
const char kFormClass[] = "TVelmoraForm";
const char kNameProp[] = "VelmoraName";
const char kOldProcProp[] = "VelmoraDlgOldProc";
const char kFocusProp[] = "VelmoraLastFocus";

// True while the program itself changes a control's text or rows: the notifications that
// follow are not the user's doing.
int g_updating = 0;
struct Updating {
    Updating() { ++g_updating; }
    ~Updating() { --g_updating; }
};

std::string ClassOf(HWND h) {
    char buf[64] = {};
    GetClassNameA(h, buf, sizeof buf);
    return buf;
}

// True while our own code reads a control's text: the text of a password box is then
// ours to read, even inside a message another program sent.
int g_ownRead = 0;

std::string WindowText(HWND h) {
    struct OwnRead {
        OwnRead() { ++g_ownRead; }
        ~OwnRead() { --g_ownRead; }
    } own;
    int n = GetWindowTextLengthA(h);
    std::string s(static_cast<size_t>(n > 0 ? n : 0) + 1, '\0');
    int got = GetWindowTextA(h, s.data(), n + 1);
    s.resize(static_cast<size_t>(got > 0 ? got : 0));
    return s;
}

TControl* ControlOf(HWND h) { return reinterpret_cast<TControl*>(GetWindowLongPtrA(h, GWLP_USERDATA)); }

// The form a window of ours belongs to, or nullptr for any other window.
TForm* FormOf(HWND h) {
    HWND root = h ? GetAncestor(h, GA_ROOT) : nullptr;
    if (!root || ClassOf(root) != kFormClass) return nullptr;
    TControl* c = ControlOf(root);
    return c && c->Kind() == TControlKind::Form ? static_cast<TForm*>(c) : nullptr;
}

void CollectControls(const TWinControl& w, std::vector<TControl*>& out) {
    for (TControl* c : w.Controls()) {
        out.push_back(c);
        if (auto* wc = dynamic_cast<TWinControl*>(c)) CollectControls(*wc, out);
    }
}

// The form's control that holds the window h (a combo box for its edit part), if any.
TControl* FormControlAt(const TForm& form, HWND h) {
    std::vector<TControl*> all;
    CollectControls(form, all);
    for (; h && reinterpret_cast<uintptr_t>(h) != form.Handle(); h = GetParent(h))
        for (TControl* c : all)
            if (c->Handle() == reinterpret_cast<uintptr_t>(h)) return c;
    return nullptr;
}

// Key releases reach OnKeyUp; a password box's text is not handed to another thread or
// program (our own code reads it on this thread).
LRESULT CALLBACK SubclassProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    auto old = reinterpret_cast<WNDPROC>(GetPropA(h, kOldProcProp));
    if (msg == WM_KEYUP) {
        HWND owner = ClassOf(GetParent(h)) == "ComboBox" ? GetParent(h) : h;
        if (TControl* c = ControlOf(owner))
            Guarded(
                [&] {
                    c->KeyReleased(static_cast<uint16_t>(w));
                    return 0;
                },
                0);
    }
    if ((msg == WM_GETTEXT || msg == WM_GETTEXTLENGTH || msg == EM_GETLINE) && !g_ownRead &&
        (GetWindowLongA(h, GWL_STYLE) & ES_PASSWORD) && ClassOf(h) == WC_EDITA && (InSendMessageEx(nullptr) & ISMEX_SEND)) {
        if (msg == WM_GETTEXT && w > 0 && l) *reinterpret_cast<char*>(l) = '\0';
        return 0;
    }
    if (msg == WM_NCDESTROY) {
        RemovePropA(h, kOldProcProp);
        SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
    }
    return CallWindowProcA(old, h, msg, w, l);
}

void Subclass(HWND h) {
    if (!h || GetPropA(h, kOldProcProp)) return;
    SetPropA(h, kOldProcProp, reinterpret_cast<HANDLE>(GetWindowLongPtrA(h, GWLP_WNDPROC)));
    SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SubclassProc));
}

// A group box passes on what its children tell it, so controls may sit inside one.
LRESULT CALLBACK GroupProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    auto old = reinterpret_cast<WNDPROC>(GetPropA(h, kOldProcProp));
    switch (msg) {
        case WM_COMMAND:
        case WM_NOTIFY:
        case WM_DRAWITEM:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORLISTBOX:
            if (l) return SendMessageA(GetParent(h), msg, w, l);
            break;
        case WM_ERASEBKGND: {  // the frame's class paints no background of its own
            RECT r;
            GetClientRect(h, &r);
            FillRect(reinterpret_cast<HDC>(w), &r, GetSysColorBrush(COLOR_BTNFACE));
            return 1;
        }
        case WM_NCDESTROY:
            RemovePropA(h, kOldProcProp);
            SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
            break;
    }
    return CallWindowProcA(old, h, msg, w, l);
}

class DialogPeer : public IControlPeer {
public:
    explicit DialogPeer(TControl& c) : c_(c) { Create(); }
    ~DialogPeer() override { Destroying(); }

    void Destroying() override {
        if (!hwnd_) return;
        if (ATOM a = static_cast<ATOM>(reinterpret_cast<uintptr_t>(RemovePropA(hwnd_, kNameProp)))) GlobalDeleteAtom(a);
        if (c_.Kind() == TControlKind::TabSheet) RemoveTab();
        SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
        hwnd_ = nullptr;
    }

    uintptr_t Handle() const override { return reinterpret_cast<uintptr_t>(hwnd_); }
    void Focus() override {
        if (hwnd_) SetFocus(hwnd_);
    }
    void Repaint() override {
        if (hwnd_) RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }

    void Update(TProp what) override {
        if (!hwnd_) return;
        Updating quiet;
        switch (what) {
            case TProp::Caption:
                if (c_.Kind() == TControlKind::TabSheet) SetTabText();
                else if (c_.Kind() == TControlKind::ComboBox) ShowComboText();
                else SetWindowTextA(hwnd_, c_.Caption().c_str());
                break;
            case TProp::Enabled: EnableWindow(hwnd_, c_.Enabled()); break;
            case TProp::Visible: ShowWindow(hwnd_, c_.Visible() ? SW_SHOWNA : SW_HIDE); break;
            case TProp::Bounds: Place(); break;
            case TProp::Font: SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(c_.Font())), TRUE); break;
            case TProp::Items: FillCombo(); break;
            case TProp::ItemIndex:
                if (c_.Kind() == TControlKind::ComboBox)
                    SendMessageA(hwnd_, CB_SETCURSEL, static_cast<WPARAM>(static_cast<TListBox&>(c_).ItemIndex()), 0);
                else if (c_.Kind() == TControlKind::ListView) SelectRow();
                break;
            case TProp::Rows: FillRows(); break;
            case TProp::ActivePage:
                SendMessageA(hwnd_, TCM_SETCURSEL, static_cast<WPARAM>(static_cast<TPageControl&>(c_).ActivePageIndex()), 0);
                break;
            default: break;
        }
    }

private:
    void Create() {
        HWND parent = c_.Parent() ? reinterpret_cast<HWND>(c_.Parent()->Handle()) : nullptr;
        const char* cls = WC_EDITA;
        DWORD style = WS_CHILD | WS_CLIPSIBLINGS, ex = 0;
        const TRect& b = c_.Bounds();
        int height = b.Height;
        switch (c_.Kind()) {
            case TControlKind::Edit:
                style |= WS_TABSTOP | ES_AUTOHSCROLL | (c_.PasswordChar ? ES_PASSWORD : 0);
                ex |= WS_EX_CLIENTEDGE;
                break;
            case TControlKind::ComboBox: {
                auto& cb = static_cast<TListBox&>(c_);
                cls = WC_COMBOBOXA;
                style |= WS_TABSTOP | WS_VSCROLL | CBS_AUTOHSCROLL |
                         (cb.ComboStyle == TComboStyle::DropDownList ? CBS_DROPDOWNLIST : CBS_DROPDOWN);
                height = b.Height + 8 * 16;  // the dropped-down list: eight lines
                break;
            }
            case TControlKind::ListView:
                cls = WC_LISTVIEWA;
                style |= WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS;
                ex |= WS_EX_CLIENTEDGE;
                break;
            case TControlKind::PageControl:
                cls = WC_TABCONTROLA;
                style |= WS_TABSTOP | WS_CLIPCHILDREN;
                ex |= WS_EX_CONTROLPARENT;
                break;
            case TControlKind::TabSheet:
                cls = kPanelClass;
                style |= WS_CLIPCHILDREN;
                ex |= WS_EX_CONTROLPARENT;
                break;
            case TControlKind::GroupBox:
                cls = WC_BUTTONA;
                style |= BS_GROUPBOX | WS_CLIPCHILDREN;
                ex |= WS_EX_CONTROLPARENT;
                break;
            default: return;
        }
        if (c_.Visible()) style |= WS_VISIBLE;
        if (!c_.Enabled()) style |= WS_DISABLED;
        const char* text = c_.Kind() == TControlKind::TabSheet || c_.Kind() == TControlKind::ComboBox ? "" : c_.Caption().c_str();
        hwnd_ = CreateWindowExA(ex, cls, text, style, b.Left, b.Top, b.Width, height, parent, nullptr, Inst(), nullptr);
        if (!hwnd_) return;
        SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&c_));
        TagWithName(hwnd_, c_.Name());
        SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(c_.Font())), FALSE);
        Updating quiet;
        switch (c_.Kind()) {
            case TControlKind::Edit:
                if (c_.PasswordChar) SendMessageA(hwnd_, EM_SETPASSWORDCHAR, static_cast<unsigned char>(c_.PasswordChar), 0);
                if (c_.MaxLength > 0) SendMessageA(hwnd_, EM_LIMITTEXT, static_cast<WPARAM>(c_.MaxLength), 0);
                Subclass(hwnd_);
                break;
            case TControlKind::ComboBox:
                if (c_.MaxLength > 0) SendMessageA(hwnd_, CB_LIMITTEXT, static_cast<WPARAM>(c_.MaxLength), 0);
                FillCombo();
                if (HWND edit = FindWindowExA(hwnd_, nullptr, WC_EDITA, nullptr)) Subclass(edit);
                else Subclass(hwnd_);
                break;
            case TControlKind::ListView: {
                SendMessageA(hwnd_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
                auto& lv = static_cast<TListView&>(c_);
                for (size_t i = 0; i < lv.Columns.size(); ++i) {
                    LVCOLUMNA col{};
                    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
                    col.pszText = const_cast<char*>(lv.Columns[i].Caption.c_str());
                    col.cx = lv.Columns[i].Width;
                    col.iSubItem = static_cast<int>(i);
                    SendMessageA(hwnd_, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&col));
                }
                FillRows();
                Subclass(hwnd_);
                break;
            }
            case TControlKind::PageControl: break;
            case TControlKind::TabSheet:
                InsertTab();
                Place();
                break;
            case TControlKind::GroupBox:
                SetPropA(hwnd_, kOldProcProp, reinterpret_cast<HANDLE>(GetWindowLongPtrA(hwnd_, GWLP_WNDPROC)));
                SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(GroupProc));
                // Below the controls drawn inside its frame, which are its siblings.
                SetWindowPos(hwnd_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
                break;
            default: break;
        }
    }

    void Place() {
        const TRect& b = c_.Bounds();
        if (c_.Kind() == TControlKind::TabSheet) {
            // A page fills the tab control's display area, whatever its own bounds say.
            HWND tab = GetParent(hwnd_);
            RECT r;
            GetClientRect(tab, &r);
            TabCtrl_AdjustRect(tab, FALSE, &r);
            MoveWindow(hwnd_, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
            return;
        }
        int height = c_.Kind() == TControlKind::ComboBox ? b.Height + 8 * 16 : b.Height;
        MoveWindow(hwnd_, b.Left, b.Top, b.Width, height, TRUE);
        if (c_.Kind() == TControlKind::PageControl)
            for (int i = 0; i < static_cast<TPageControl&>(c_).PageCount(); ++i)
                if (IControlPeer* p = static_cast<TPageControl&>(c_).Page(i)->Peer()) p->Update(TProp::Bounds);
    }

    int PageIndex() const {
        auto* pc = dynamic_cast<TPageControl*>(c_.Parent());
        for (int i = 0; pc && i < pc->PageCount(); ++i)
            if (pc->Page(i) == &c_) return i;
        return -1;
    }
    void InsertTab() {
        int i = PageIndex();
        if (i < 0) return;
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>(c_.Caption().c_str());
        SendMessageA(GetParent(hwnd_), TCM_INSERTITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        auto* pc = static_cast<TPageControl*>(c_.Parent());
        SendMessageA(GetParent(hwnd_), TCM_SETCURSEL, static_cast<WPARAM>(pc->ActivePageIndex()), 0);
    }
    void RemoveTab() {
        int i = PageIndex();
        if (i >= 0) SendMessageA(GetParent(hwnd_), TCM_DELETEITEM, static_cast<WPARAM>(i), 0);
    }
    void SetTabText() {
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>(c_.Caption().c_str());
        SendMessageA(GetParent(hwnd_), TCM_SETITEMA, static_cast<WPARAM>(PageIndex()), reinterpret_cast<LPARAM>(&item));
    }

    void FillCombo() {
        if (c_.Kind() != TControlKind::ComboBox) return;
        auto& cb = static_cast<TListBox&>(c_);
        SendMessageA(hwnd_, CB_RESETCONTENT, 0, 0);
        for (const std::string& s : cb.Items()) SendMessageA(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
        ShowComboText();
    }
    // The list's selection, and for a box that takes typing its text as well (emptying the
    // list empties the real control's text).
    void ShowComboText() {
        auto& cb = static_cast<TListBox&>(c_);
        SendMessageA(hwnd_, CB_SETCURSEL, static_cast<WPARAM>(cb.ItemIndex()), 0);
        if (cb.ComboStyle == TComboStyle::DropDown) SetWindowTextA(hwnd_, cb.Caption().c_str());
    }

    void FillRows() {
        auto& lv = static_cast<TListView&>(c_);
        SendMessageA(hwnd_, LVM_DELETEALLITEMS, 0, 0);
        for (int r = 0; r < lv.RowCount(); ++r) {
            const auto& row = lv.Row(r);
            LVITEMA item{};
            item.mask = LVIF_TEXT;
            item.iItem = r;
            item.pszText = const_cast<char*>(row[0].c_str());
            SendMessageA(hwnd_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
            for (size_t col = 1; col < row.size(); ++col) {
                LVITEMA sub{};
                sub.iSubItem = static_cast<int>(col);
                sub.pszText = const_cast<char*>(row[col].c_str());
                SendMessageA(hwnd_, LVM_SETITEMTEXTA, static_cast<WPARAM>(r), reinterpret_cast<LPARAM>(&sub));
            }
        }
        SelectRow();
    }
    void SelectRow() {
        int sel = static_cast<TListView&>(c_).ItemIndex();
        LVITEMA state{};
        state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        state.state = 0;
        SendMessageA(hwnd_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
        if (sel >= 0) {
            state.state = LVIS_SELECTED | LVIS_FOCUSED;
            SendMessageA(hwnd_, LVM_SETITEMSTATE, static_cast<WPARAM>(sel), reinterpret_cast<LPARAM>(&state));
            SendMessageA(hwnd_, LVM_ENSUREVISIBLE, static_cast<WPARAM>(sel), FALSE);
        }
    }

    TControl& c_;
    HWND hwnd_ = nullptr;
};

// The list view's selected row, -1 when none.
int SelectedRow(HWND lv) { return static_cast<int>(SendMessageA(lv, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED)); }

// The page control to turn with Ctrl+Tab: the one the focus is in, else the first showing.
TPageControl* PagesFor(const TForm& form, TControl* focused) {
    for (TControl* c = focused; c; c = c->Parent())
        if (c->Kind() == TControlKind::PageControl) return static_cast<TPageControl*>(c);
    for (TPageControl* p : form.PageControls())
        if (p->Showing() && p->Enabled() && p->PageCount() > 0) return p;
    return nullptr;
}

void FocusControl(TControl* c) {
    HWND h = reinterpret_cast<HWND>(c->Handle());
    if (!h) return;
    SetFocus(h);
    // As in dialogs, a box reached by the keyboard has its text selected.
    if (c->Kind() == TControlKind::Edit) SendMessageA(h, EM_SETSEL, 0, -1);
    else if (c->Kind() == TControlKind::ComboBox) SendMessageA(h, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
}

bool DroppedDown(TControl* c) {
    return c && c->Kind() == TControlKind::ComboBox &&
           SendMessageA(reinterpret_cast<HWND>(c->Handle()), CB_GETDROPPEDSTATE, 0, 0);
}

bool Pressable(TControl* c) { return c && c->Showing() && c->Enabled(); }

// A button or check box pressed from the keyboard goes the way of a mouse click.
void Press(TControl* c) {
    HWND h = reinterpret_cast<HWND>(c->Handle());
    if (h) SendMessageA(h, BM_CLICK, 0, 0);
    else c->Click();
}

}  // namespace

std::unique_ptr<IControlPeer> CreateDialogControlPeer(TControl& c) {
    switch (c.Kind()) {
        case TControlKind::Edit:
        case TControlKind::ComboBox:
        case TControlKind::ListView:
        case TControlKind::PageControl:
        case TControlKind::TabSheet:
        case TControlKind::GroupBox: return std::make_unique<DialogPeer>(c);
        default: return nullptr;
    }
}

void TagWithName(HWND hwnd, const std::string& name) {
    if (!hwnd || name.empty()) return;
    if (ATOM a = GlobalAddAtomA(name.c_str())) SetPropA(hwnd, kNameProp, reinterpret_cast<HANDLE>(static_cast<uintptr_t>(a)));
}

bool RouteDialogControlMessage(HWND, UINT msg, WPARAM w, LPARAM l, LRESULT& result) {
    if (msg == WM_COMMAND && l) {
        HWND child = reinterpret_cast<HWND>(l);
        TControl* c = ControlOf(child);
        if (!c) return false;
        UINT code = HIWORD(w);
        if (c->Kind() == TControlKind::Edit) {
            if (code == EN_CHANGE && !g_updating) c->TextChangedByUser(WindowText(child));
            else if (code == EN_SETFOCUS) c->FocusEntered();
            else if (code == EN_KILLFOCUS) c->FocusLeft();
        } else if (c->Kind() == TControlKind::ComboBox) {
            auto* cb = static_cast<TListBox*>(c);
            if (code == CBN_SELCHANGE && !g_updating) cb->SelectedByUser(static_cast<int>(SendMessageA(child, CB_GETCURSEL, 0, 0)));
            else if (code == CBN_EDITCHANGE && !g_updating) c->TextChangedByUser(WindowText(child));
            else if (code == CBN_SETFOCUS) c->FocusEntered();
            else if (code == CBN_KILLFOCUS) c->FocusLeft();
        } else if (c->Kind() != TControlKind::GroupBox) {
            return false;
        }
        result = 0;
        return true;
    }
    if (msg == WM_NOTIFY && l) {
        auto* hdr = reinterpret_cast<NMHDR*>(l);
        TControl* c = ControlOf(hdr->hwndFrom);
        if (!c) return false;
        if (c->Kind() == TControlKind::ListView) {
            auto* lv = static_cast<TListView*>(c);
            if (hdr->code == LVN_ITEMCHANGED) {
                auto* nm = reinterpret_cast<NMLISTVIEW*>(l);
                // A selection the user changed, with the mouse or the keys, reads as a click.
                if (!g_updating && ((nm->uOldState ^ nm->uNewState) & LVIS_SELECTED)) {
                    int sel = SelectedRow(hdr->hwndFrom);
                    if (sel != lv->ItemIndex()) {
                        lv->SelectedByUser(sel);
                        lv->Click();
                    }
                }
            } else if (hdr->code == NM_CLICK) {
                lv->SelectedByUser(SelectedRow(hdr->hwndFrom));
                lv->Click();
            } else if (hdr->code == NM_SETFOCUS) {
                c->FocusEntered();
            } else if (hdr->code == NM_KILLFOCUS) {
                c->FocusLeft();
            }
            result = 0;
            return true;
        }
        if (c->Kind() == TControlKind::PageControl) {
            if (hdr->code == TCN_SELCHANGE)
                static_cast<TPageControl*>(c)->PageSelectedByUser(static_cast<int>(SendMessageA(hdr->hwndFrom, TCM_GETCURSEL, 0, 0)));
            result = 0;
            return true;
        }
    }
    return false;
}

bool DialogFormMessage(HWND hwnd, TForm& form, UINT msg, WPARAM w, LPARAM l, LRESULT& result) {
    if (msg != WM_ACTIVATE) return false;
    const bool dialog = form.DefaultButton || form.CancelButton;
    if (LOWORD(w) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd, focus)) SetPropA(hwnd, kFocusProp, focus);
        return false;
    }
    form.Activated();
    if (IsIconic(hwnd)) return false;
    // The focus goes back where it was (the main window's too, after a progress window or
    // a box); a dialog's first activation puts it on the first tab stop.
    HWND back = static_cast<HWND>(GetPropA(hwnd, kFocusProp));
    if (back && IsChild(hwnd, back) && IsWindowVisible(back) && IsWindowEnabled(back)) {
        SetFocus(back);
    } else if (TControl* first = dialog ? form.NextTabStop(nullptr, false) : nullptr) {
        FocusControl(first);
    } else {
        return false;
    }
    result = 0;
    return true;
}

bool HandleDialogKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSCHAR) return false;
    TForm* form = FormOf(msg.hwnd);
    if (!form || !form->Visible()) return false;
    return Guarded(
        [&] {
            TControl* focused = FormControlAt(*form, GetFocus());
            if (msg.message == WM_SYSCHAR) {
                TControl* target = form->MnemonicTarget(static_cast<char>(msg.wParam));
                if (!target) return false;
                if (target->Kind() == TControlKind::TabSheet) {
                    auto* pages = static_cast<TPageControl*>(target->Parent());
                    for (int i = 0; i < pages->PageCount(); ++i)
                        if (pages->Page(i) == target) pages->PageSelectedByUser(i);
                    FocusControl(pages);
                } else if (target->Kind() == TControlKind::Button || target->Kind() == TControlKind::CheckBox ||
                           target->Kind() == TControlKind::RadioButton) {
                    FocusControl(target);
                    Press(target);
                } else {
                    FocusControl(target);
                }
                return true;
            }
            const bool shift = GetKeyState(VK_SHIFT) < 0, ctrl = GetKeyState(VK_CONTROL) < 0;
            switch (msg.wParam) {
                case VK_TAB: {
                    if (GetKeyState(VK_MENU) < 0) return false;
                    if (ctrl) {
                        TPageControl* pages = PagesFor(*form, focused);
                        if (!pages) return false;
                        int n = pages->PageCount();
                        pages->PageSelectedByUser((pages->ActivePageIndex() + (shift ? n - 1 : 1)) % n);
                        if (!focused || !focused->Showing()) FocusControl(pages);
                        return true;
                    }
                    TControl* next = form->NextTabStop(focused, shift);
                    if (!next) return false;
                    FocusControl(next);
                    return true;
                }
                case VK_RETURN:
                    if (DroppedDown(focused)) return false;
                    if (focused && (focused->Kind() == TControlKind::Button || focused->Kind() == TControlKind::SpeedButton ||
                                    focused->Kind() == TControlKind::FavoritesButton)) {
                        Press(focused);
                        return true;
                    }
                    if (!Pressable(form->DefaultButton)) return false;
                    Press(form->DefaultButton);
                    return true;
                case VK_ESCAPE:
                    if (DroppedDown(focused) || !Pressable(form->CancelButton)) return false;
                    Press(form->CancelButton);
                    return true;
                default: return false;
            }
        },
        false);
}

// The system's file-open dialog; the filter's "|" separators become the NULs it wants.
bool WidgetFactory::RunOpenDialog(TOpenDialog& d, uintptr_t ownerWindow) {
    std::string filter = d.Filter;
    std::replace(filter.begin(), filter.end(), '|', '\0');
    filter.append(2, '\0');
    char file[MAX_PATH * 2] = {};
    d.FileName.copy(file, sizeof file - 1);
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = ownerWindow ? reinterpret_cast<HWND>(ownerWindow) : GetActiveWindow();
    ofn.lpstrFilter = d.Filter.empty() ? nullptr : filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.lpstrTitle = d.Title.empty() ? nullptr : d.Title.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR | (d.HideReadOnly ? OFN_HIDEREADONLY : 0) |
                (d.PathMustExist ? OFN_PATHMUSTEXIST : 0) | (d.FileMustExist ? OFN_FILEMUSTEXIST : 0);
    if (!GetOpenFileNameA(&ofn)) return false;
    d.FileName = file;
    return true;
}

}  // namespace win32
