// The keyboard every dialog of the program answers to, for all its forms from the message
// loops: Tab and Shift+Tab through the tab stops, Ctrl+Tab through tabbed pages, Enter and
// Escape for the default and cancel buttons, Alt+letter for mnemonics. And where the focus
// goes when a form is activated again.
#include "widgets/win32/DialogKeys.h"

#include <string>
#include <vector>

#include "core/Utf16.h"
#include "platform/win32/Win32Platform.h"
#include "widgets/win32/WindowPeer.h"

namespace win32 {
namespace {

const wchar_t kFocusProp[] = L"VelmoraLastFocus";

// The form a window of ours belongs to, or nullptr for any other window.
TForm* FormOf(HWND h) {
    HWND root = h ? GetAncestor(h, GA_ROOT) : nullptr;
    if (!root || ClassOf(root) != WideToUtf8(kFormClass)) return nullptr;
    TControl* c = ControlOf(root);
    return c && c->Kind() == TControlKind::Form ? static_cast<TForm*>(c) : nullptr;
}

// The form's control that holds the window h (a combo box for its edit part), if any.
TControl* FormControlAt(const TForm& form, HWND h) {
    std::vector<TControl*> all = form.AllControls();
    for (; h && reinterpret_cast<uintptr_t>(h) != form.Handle(); h = GetParent(h))
        for (TControl* c : all)
            if (c->Handle() == reinterpret_cast<uintptr_t>(h)) return c;
    return nullptr;
}

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
    if (c->Kind() == TControlKind::Edit) SendMessageW(h, EM_SETSEL, 0, -1);
    else if (c->Kind() == TControlKind::ComboBox) SendMessageW(h, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
}

bool DroppedDown(TControl* c) {
    return c && c->Kind() == TControlKind::ComboBox &&
           SendMessageW(reinterpret_cast<HWND>(c->Handle()), CB_GETDROPPEDSTATE, 0, 0);
}

bool Pressable(TControl* c) { return c && c->Showing() && c->Enabled(); }

// A button or check box pressed from the keyboard goes the way of a mouse click.
void Press(TControl* c) {
    HWND h = reinterpret_cast<HWND>(c->Handle());
    if (h) SendMessageW(h, BM_CLICK, 0, 0);
    else c->Click();
}

}  // namespace

bool DialogFormMessage(HWND hwnd, TForm& form, UINT msg, WPARAM w, LPARAM l, LRESULT& result) {
    if (msg != WM_ACTIVATE) return false;
    const bool dialog = form.DefaultButton || form.CancelButton;
    if (LOWORD(w) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd, focus)) SetPropW(hwnd, kFocusProp, focus);
        return false;
    }
    form.Activated();
    if (IsIconic(hwnd)) return false;
    // The focus goes back where it was (the main window's too, after a progress window or
    // a box); a dialog's first activation puts it on the first tab stop.
    HWND back = static_cast<HWND>(GetPropW(hwnd, kFocusProp));
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
                TControl* target = form->MnemonicTarget(static_cast<char>(msg.wParam < 0x80 ? msg.wParam : 0));
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
                    if (TControl* button = form->DefaultButtonFor(focused); Pressable(button)) {
                        Press(button);
                        return true;
                    }
                    // A box whose Add button is off: Enter neither adds nor closes.
                    if (focused && focused->EnterButton) {
                        MessageBeep(MB_OK);
                        return true;
                    }
                    return false;
                case VK_ESCAPE:
                    if (DroppedDown(focused) || !Pressable(form->CancelButton)) return false;
                    Press(form->CancelButton);
                    return true;
                default: return false;
            }
        },
        false);
}

}  // namespace win32
