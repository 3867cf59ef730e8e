// The simulated service's entry dialog, built from an in-memory template so that it needs
// no resource of the program.
#include "dialup/win32/SimEntryDialog.h"

#include <windows.h>

#include <string>
#include <vector>

#include "core/Utf16.h"

namespace ras {
namespace {

// Builds a dialog template: WORD-aligned header, items DWORD-aligned.
class Template {
public:
    void Header(DWORD style, short cx, short cy, const char* title, WORD items) {
        Dword(style);
        Dword(0);  // extended style
        Word(items);
        Word(0), Word(0), Word(static_cast<WORD>(cx)), Word(static_cast<WORD>(cy));
        Word(0);  // no menu
        Word(0);  // the standard dialog class
        Text(title);
        Word(8);  // DS_SETFONT: point size and face
        Text("MS Sans Serif");
    }
    void Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD atom, const char* text) {
        if (buf_.size() % 2) Word(0);  // an even count of words: DWORD-aligned
        Dword(style | WS_CHILD | WS_VISIBLE);
        Dword(0);
        Word(static_cast<WORD>(x)), Word(static_cast<WORD>(y)), Word(static_cast<WORD>(cx)), Word(static_cast<WORD>(cy));
        Word(id);
        Word(0xFFFF), Word(atom);
        Text(text);
        Word(0);  // no creation data
    }
    LPCDLGTEMPLATEW Data() const { return reinterpret_cast<LPCDLGTEMPLATEW>(buf_.data()); }

private:
    void Word(WORD w) { buf_.push_back(w); }
    void Dword(DWORD d) { Word(LOWORD(d)), Word(HIWORD(d)); }
    void Text(const std::string& s) {
        for (wchar_t c : Utf8ToWide(s)) buf_.push_back(static_cast<WORD>(c));
        buf_.push_back(0);
    }
    std::vector<WORD> buf_;
};

constexpr WORD kButton = 0x0080, kEdit = 0x0081, kStatic = 0x0082;

std::string ItemText(HWND dlg, int id) {
    wchar_t buf[MaxEntryName + 2] = {};
    GetDlgItemTextW(dlg, id, buf, MaxEntryName + 2);
    return WideToUtf8(buf);
}

INT_PTR CALLBACK Proc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: {
        auto* f = reinterpret_cast<SimEntryFields*>(lp);
        SetWindowLongPtrW(dlg, DWLP_USER, lp);
        SendDlgItemMessageW(dlg, IDC_SIMENTRY_NAME, EM_LIMITTEXT, MaxEntryName, 0);
        SendDlgItemMessageW(dlg, IDC_SIMENTRY_NUMBER, EM_LIMITTEXT, MaxPhoneNumber, 0);
        SetDlgItemTextW(dlg, IDC_SIMENTRY_NAME, Utf8ToWide(f->name).c_str());
        SetDlgItemTextW(dlg, IDC_SIMENTRY_NUMBER, Utf8ToWide(f->phoneNumber).c_str());
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK) {
            auto* f = reinterpret_cast<SimEntryFields*>(GetWindowLongPtrW(dlg, DWLP_USER));
            std::string name = ItemText(dlg, IDC_SIMENTRY_NAME);
            if (name.find_first_not_of(" \t") == std::string::npos) {
                MessageBeep(MB_ICONWARNING);
                SetFocus(GetDlgItem(dlg, IDC_SIMENTRY_NAME));
                return TRUE;
            }
            f->name = name;
            f->phoneNumber = ItemText(dlg, IDC_SIMENTRY_NUMBER);
            EndDialog(dlg, IDOK);
            return TRUE;
        }
        if (LOWORD(wp) == IDCANCEL) {
            EndDialog(dlg, IDCANCEL);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

}  // namespace

bool RunSimEntryDialog(uintptr_t ownerWindow, bool creating, SimEntryFields& fields) {
    Template t;
    t.Header(DS_MODALFRAME | DS_CENTER | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU, 200, 78,
             creating ? kSimEntryNewCaption : kSimEntryEditCaption, 6);
    t.Item(SS_LEFT, 7, 9, 60, 8, 0xFFFF, kStatic, "Entry &name:");
    t.Item(ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 70, 7, 123, 12, IDC_SIMENTRY_NAME, kEdit, "");
    t.Item(SS_LEFT, 7, 29, 60, 8, 0xFFFF, kStatic, "&Phone number:");
    t.Item(ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 70, 27, 123, 12, IDC_SIMENTRY_NUMBER, kEdit, "");
    t.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 89, 55, 50, 14, IDOK, kButton, "OK");
    t.Item(BS_PUSHBUTTON | WS_TABSTOP, 143, 55, 50, 14, IDCANCEL, kButton, "Cancel");
    SimEntryFields edited = fields;
    INT_PTR r = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), t.Data(), reinterpret_cast<HWND>(ownerWindow), Proc,
                                        reinterpret_cast<LPARAM>(&edited));
    if (r != IDOK) return false;
    fields = edited;
    return true;
}

}  // namespace ras
