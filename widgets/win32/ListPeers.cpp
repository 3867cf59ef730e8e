// List boxes and report-style list views: the portable control holds the lines or rows and
// the selection; these peers show them and report what the user selected.
#include <string>

#include "widgets/win32/GdiHandles.h"
#include "core/Utf16.h"
#include "widgets/win32/ListLines.h"
#include "widgets/win32/WidgetCommon.h"
#include "widgets/win32/WindowPeer.h"

namespace win32 {
namespace {

class ListBoxPeer : public ControlPeer {
public:
    explicit ListBoxPeer(TControl& c) : ControlPeer(c), lb_(static_cast<TListBox&>(c)) {
        CreateChild(L"LISTBOX", LBS_NOTIFY | WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT | LBS_USETABSTOPS, WS_EX_CLIENTEDGE);
        if (!hwnd_) return;
        SetListTabStops(hwnd_);
        Fill();
    }

    bool Command(HWND from, UINT code) override {
        if (code == LBN_SELCHANGE) {
            lb_.SelectedByUser(static_cast<int>(SendMessageW(from, LB_GETCURSEL, 0, 0)));
            c_.Click();
        } else if (code == LBN_DBLCLK) {
            c_.DblClick();
        }
        return true;
    }

protected:
    void Changed(TProp what) override {
        if (what == TProp::Items) Fill();
        else if (what == TProp::ItemIndex) SendMessageW(hwnd_, LB_SETCURSEL, static_cast<WPARAM>(lb_.ItemIndex()), 0);
        else ControlPeer::Changed(what);
    }

private:
    void Fill() {
        int want = static_cast<int>(lb_.Items().size());
        // Appending is the common case: since the last reset the window holds the first
        // shownItems_ lines, so only the new ones go in; nothing is read back.
        int have = shownResets_ == lb_.Resets() ? shownItems_ : -1;
        if (have < 0 || have > want) {
            SendMessageW(hwnd_, LB_RESETCONTENT, 0, 0);
            have = 0;
            shownResets_ = lb_.Resets();
        }
        const bool many = want - have > 1;
        if (many) {
            SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
            SendMessageW(hwnd_, LB_INITSTORAGE, want - have, (want - have) * 64);
        }
        TWindowDC dc(hwnd_);
        HGDIOBJ old = SelectObject(dc, FontFor(c_.Font()));
        int extent = static_cast<int>(SendMessageW(hwnd_, LB_GETHORIZONTALEXTENT, 0, 0));
        for (int i = have; i < want; ++i) {
            const std::wstring s = Utf8ToWide(ShownLine(lb_.Items()[i]));
            SendMessageW(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
            SIZE sz;
            if (GetTextExtentPoint32W(dc, s.c_str(), static_cast<int>(s.size()), &sz) && sz.cx + 8 > extent)
                extent = sz.cx + 8;
        }
        SelectObject(dc, old);
        shownItems_ = want;
        if (many) {
            SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
            InvalidateRect(hwnd_, nullptr, TRUE);
        }
        SendMessageW(hwnd_, LB_SETHORIZONTALEXTENT, extent, 0);
        if (lb_.ScrollToNew && want > 0) SendMessageW(hwnd_, LB_SETTOPINDEX, want - 1, 0);
    }

    TListBox& lb_;
    uint32_t shownResets_ = UINT32_MAX;  // the list's Resets() when its lines went in (none yet)
    int shownItems_ = 0;
};

// The list view's selected row, -1 when none.
int SelectedRow(HWND lv) { return static_cast<int>(SendMessageW(lv, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED)); }

class ListViewPeer : public DialogPeer {
public:
    explicit ListViewPeer(TControl& c) : DialogPeer(c), lv_(static_cast<TListView&>(c)) {
        CreateChild(WC_LISTVIEWW, WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS, WS_EX_CLIENTEDGE);
        if (!hwnd_) return;
        Updating quiet;
        SendMessageW(hwnd_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
        for (size_t i = 0; i < lv_.Columns.size(); ++i) {
            LVCOLUMNW col{};
            col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
            std::wstring caption = Utf8ToWide(lv_.Columns[i].Caption);
            col.pszText = caption.data();
            col.cx = Scale(c_, lv_.Columns[i].Width);
            col.iSubItem = static_cast<int>(i);
            SendMessageW(hwnd_, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&col));
        }
        FillRows();
        SubclassForKeys(hwnd_);
    }

    bool Notify(const NMHDR& hdr, LPARAM l) override {
        if (hdr.code == LVN_ITEMCHANGED) {
            auto* nm = reinterpret_cast<NMLISTVIEW*>(l);
            // A selection the user changed, with the mouse or the keys, reads as a click.
            if (!ProgramUpdating() && ((nm->uOldState ^ nm->uNewState) & LVIS_SELECTED)) {
                int sel = SelectedRow(hdr.hwndFrom);
                if (sel != lv_.ItemIndex()) {
                    lv_.SelectedByUser(sel);
                    lv_.Click();
                }
            }
        } else if (hdr.code == NM_CLICK) {
            lv_.SelectedByUser(SelectedRow(hdr.hwndFrom));
            lv_.Click();
        } else if (hdr.code == NM_SETFOCUS) {
            c_.FocusEntered();
        } else if (hdr.code == NM_KILLFOCUS) {
            c_.FocusLeft();
        }
        return true;
    }

protected:
    void Changed(TProp what) override {
        if (what == TProp::ItemIndex) SelectRow();
        else if (what == TProp::Rows) FillRows();
    }

private:
    void FillRows() {
        SendMessageW(hwnd_, LVM_DELETEALLITEMS, 0, 0);
        for (int r = 0; r < lv_.RowCount(); ++r) {
            const auto& row = lv_.Row(r);
            LVITEMW item{};
            item.mask = LVIF_TEXT;
            item.iItem = r;
            std::wstring first = Utf8ToWide(row[0]);
            item.pszText = first.data();
            SendMessageW(hwnd_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
            for (size_t col = 1; col < row.size(); ++col) {
                LVITEMW sub{};
                sub.iSubItem = static_cast<int>(col);
                std::wstring cell = Utf8ToWide(row[col]);
                sub.pszText = cell.data();
                SendMessageW(hwnd_, LVM_SETITEMTEXTW, static_cast<WPARAM>(r), reinterpret_cast<LPARAM>(&sub));
            }
        }
        SelectRow();
    }
    void SelectRow() {
        int sel = lv_.ItemIndex();
        LVITEMW state{};
        state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        state.state = 0;
        SendMessageW(hwnd_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
        if (sel >= 0) {
            state.state = LVIS_SELECTED | LVIS_FOCUSED;
            SendMessageW(hwnd_, LVM_SETITEMSTATE, static_cast<WPARAM>(sel), reinterpret_cast<LPARAM>(&state));
            SendMessageW(hwnd_, LVM_ENSUREVISIBLE, static_cast<WPARAM>(sel), FALSE);
        }
    }

    TListView& lv_;
};

}  // namespace

std::unique_ptr<IControlPeer> NewListBoxPeer(TControl& c) { return std::make_unique<ListBoxPeer>(c); }
std::unique_ptr<IControlPeer> NewListViewPeer(TControl& c) { return std::make_unique<ListViewPeer>(c); }

}  // namespace win32
