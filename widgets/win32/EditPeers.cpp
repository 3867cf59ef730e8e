// Edit boxes and combo boxes: the portable control holds the text and the list; these
// peers show them, report what the user typed or chose, pass key releases on, and keep a
// password box's text from other programs.
#include <string>

#include "core/Utf16.h"
#include "platform/win32/Win32Platform.h"
#include "widgets/win32/WidgetCommon.h"
#include "widgets/win32/WindowPeer.h"

namespace win32 {
namespace {

// True while our own code reads a control's text: the text of a password box is then
// ours to read, even inside a message another program sent.
int g_ownRead = 0;

// Marks a password box for the life of its window. The box's own mark, not its style:
// another program can switch the style off (EM_SETPASSWORDCHAR 0), not our mark.
const wchar_t kSecretProp[] = L"VelmoraPasswordBox";
bool IsSecret(HWND h) { return GetPropW(h, kSecretProp) != nullptr; }

struct OwnRead {
    OwnRead() { ++g_ownRead; }
    ~OwnRead() { --g_ownRead; }
};

std::string WindowText(HWND h) {
    OwnRead own;
    return TextOf(h);
}

// Key releases reach OnKeyUp; a password box's text is not handed to another thread or
// program (our own code reads it on this thread).
LRESULT CALLBACK SubclassProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
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
    if (msg == WM_NCDESTROY) RemovePropW(h, kSecretProp);
    // Sent from another thread or program: a password box neither hands out its text nor
    // lets its password character be changed.
    if ((msg == WM_GETTEXT || msg == WM_GETTEXTLENGTH || msg == EM_GETLINE || msg == EM_SETPASSWORDCHAR) &&
        !g_ownRead && IsSecret(h) && (InSendMessageEx(nullptr) & ISMEX_SEND)) {
        if (msg == WM_GETTEXT && w > 0 && l) *reinterpret_cast<wchar_t*>(l) = L'\0';
        return 0;
    }
    return CallOldProc(h, msg, w, l);
}

class EditPeer : public DialogPeer {
public:
    explicit EditPeer(TControl& c) : DialogPeer(c) {
        CreateChild(WC_EDITW, WS_TABSTOP | ES_AUTOHSCROLL | (c_.PasswordChar ? ES_PASSWORD : 0), WS_EX_CLIENTEDGE);
        if (!hwnd_) return;
        Updating quiet;
        if (c_.PasswordChar) {
            SetPropW(hwnd_, kSecretProp, reinterpret_cast<HANDLE>(1));
            SendMessageW(hwnd_, EM_SETPASSWORDCHAR, static_cast<unsigned char>(c_.PasswordChar), 0);
        }
        if (c_.MaxLength > 0) SendMessageW(hwnd_, EM_LIMITTEXT, static_cast<WPARAM>(c_.MaxLength), 0);
        SubclassForKeys(hwnd_);
    }

    // The program asking its own box, even while it handles a message another program
    // sent (a paste by automation): the password box answers.
    intptr_t Send(uint32_t msg, uintptr_t w, intptr_t l) override {
        OwnRead own;
        return DialogPeer::Send(msg, w, l);
    }
    bool ShownText(std::string& text) override {
        OwnRead own;
        return DialogPeer::ShownText(text);
    }

    bool Command(HWND from, UINT code) override {
        if (code == EN_CHANGE && !ProgramUpdating()) c_.TextChangedByUser(WindowText(from));
        else if (code == EN_SETFOCUS) c_.FocusEntered();
        else if (code == EN_KILLFOCUS) c_.FocusLeft();
        return true;
    }
};

// The dropped-down list adds eight lines below the box.
constexpr int kDropDownHeight = 8 * 16;

class ComboPeer : public DialogPeer {
public:
    explicit ComboPeer(TControl& c) : DialogPeer(c), cb_(static_cast<TListBox&>(c)) {
        CreateChild(WC_COMBOBOXW,
                    WS_TABSTOP | WS_VSCROLL | CBS_AUTOHSCROLL |
                        (cb_.ComboStyle == TComboStyle::DropDownList ? CBS_DROPDOWNLIST : CBS_DROPDOWN),
                    0, "", c_.Bounds().Height + kDropDownHeight);
        if (!hwnd_) return;
        Updating quiet;
        if (c_.MaxLength > 0) SendMessageW(hwnd_, CB_LIMITTEXT, static_cast<WPARAM>(c_.MaxLength), 0);
        FitHeight();
        Fill();
        if (HWND edit = FindWindowExW(hwnd_, nullptr, WC_EDITW, nullptr)) SubclassForKeys(edit);
        else SubclassForKeys(hwnd_);
    }

    bool Command(HWND from, UINT code) override {
        if (code == CBN_SELCHANGE && !ProgramUpdating()) cb_.SelectedByUser(static_cast<int>(SendMessageW(from, CB_GETCURSEL, 0, 0)));
        else if (code == CBN_EDITCHANGE && !ProgramUpdating()) c_.TextChangedByUser(WindowText(from));
        else if (code == CBN_SETFOCUS) c_.FocusEntered();
        else if (code == CBN_KILLFOCUS) c_.FocusLeft();
        return true;
    }

protected:
    void SetText() override { ShowText(); }
    void Place() override {
        RECT r = ScaleRect(c_);
        MoveWindow(hwnd_, r.left, r.top, r.right - r.left, r.bottom - r.top + Scale(c_, kDropDownHeight), TRUE);
    }
    void Changed(TProp what) override {
        if (what == TProp::Items) Fill();
        else if (what == TProp::ItemIndex) SendMessageW(hwnd_, CB_SETCURSEL, static_cast<WPARAM>(cb_.ItemIndex()), 0);
    }

private:
    // A box is as high as its font makes it, which on a larger screen falls short of the
    // layout's height, scaled: its text field grows by the difference.
    void FitHeight() {
        if (LayoutDpi(c_) <= 96) return;
        RECT r;
        GetWindowRect(hwnd_, &r);
        int want = Scale(c_, c_.Bounds().Top + c_.Bounds().Height) - Scale(c_, c_.Bounds().Top);
        int field = static_cast<int>(SendMessageW(hwnd_, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
        if (field > 0 && r.bottom - r.top < want)
            SendMessageW(hwnd_, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field + want - (r.bottom - r.top));
    }
    void Fill() {
        SendMessageW(hwnd_, CB_RESETCONTENT, 0, 0);
        for (const std::string& s : cb_.Items()) SendMessageW(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Utf8ToWide(s).c_str()));
        ShowText();
    }
    // The list's selection, and for a box that takes typing its text as well (emptying the
    // list empties the real control's text).
    void ShowText() {
        SendMessageW(hwnd_, CB_SETCURSEL, static_cast<WPARAM>(cb_.ItemIndex()), 0);
        if (cb_.ComboStyle == TComboStyle::DropDown) SetWindowTextW(hwnd_, Utf8ToWide(cb_.Caption()).c_str());
    }

    TListBox& cb_;
};

}  // namespace

void SubclassForKeys(HWND h) { Subclass(h, SubclassProc); }

std::unique_ptr<IControlPeer> NewEditPeer(TControl& c) { return std::make_unique<EditPeer>(c); }
std::unique_ptr<IControlPeer> NewComboPeer(TControl& c) { return std::make_unique<ComboPeer>(c); }

}  // namespace win32
