// Controls that hold other controls: panels, tabbed pages and their pages, group boxes.
// A container passes its children's notifications on to the peers of those children.
#include "core/Utf16.h"
#include "widgets/win32/WindowPeer.h"

namespace win32 {
namespace {

class PanelPeer : public ControlPeer {
public:
    explicit PanelPeer(TControl& c) : ControlPeer(c) { CreateChild(kPanelClass, WS_CLIPCHILDREN, 0); }
};

class PageControlPeer : public DialogPeer {
public:
    explicit PageControlPeer(TControl& c) : DialogPeer(c), pc_(static_cast<TPageControl&>(c)) {
        CreateChild(WC_TABCONTROLW, WS_TABSTOP | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT);
    }

    bool Notify(const NMHDR& hdr, LPARAM) override {
        if (hdr.code == TCN_SELCHANGE)
            pc_.PageSelectedByUser(static_cast<int>(SendMessageW(hdr.hwndFrom, TCM_GETCURSEL, 0, 0)));
        return true;
    }

protected:
    // The pages follow the tab control's display area.
    void Place() override {
        DialogPeer::Place();
        for (int i = 0; i < pc_.PageCount(); ++i)
            if (IControlPeer* p = pc_.Page(i)->Peer()) p->Update(TProp::Bounds);
    }
    void Changed(TProp what) override {
        if (what == TProp::ActivePage) SendMessageW(hwnd_, TCM_SETCURSEL, static_cast<WPARAM>(pc_.ActivePageIndex()), 0);
    }

private:
    TPageControl& pc_;
};

// A page: a panel that fills its tab control's display area, and a tab with its caption.
class TabSheetPeer : public DialogPeer {
public:
    explicit TabSheetPeer(TControl& c) : DialogPeer(c) {
        CreateChild(kPanelClass, WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, "", c_.Bounds().Height);
        if (!hwnd_) return;
        Updating quiet;
        InsertTab();
        Place();
    }
    ~TabSheetPeer() override { TabSheetPeer::Destroying(); }
    void Destroying() override {
        if (hwnd_) RemoveTab();
        DialogPeer::Destroying();
    }

protected:
    void SetText() override {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        std::wstring caption = Utf8ToWide(c_.Caption());
        item.pszText = caption.data();
        SendMessageW(GetParent(hwnd_), TCM_SETITEMW, static_cast<WPARAM>(PageIndex()), reinterpret_cast<LPARAM>(&item));
    }
    // A page fills the tab control's display area, whatever its own bounds say.
    void Place() override {
        HWND tab = GetParent(hwnd_);
        RECT r;
        GetClientRect(tab, &r);
        TabCtrl_AdjustRect(tab, FALSE, &r);
        MoveWindow(hwnd_, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    }

private:
    int PageIndex() const {
        auto* pc = dynamic_cast<TPageControl*>(c_.Parent());
        for (int i = 0; pc && i < pc->PageCount(); ++i)
            if (pc->Page(i) == &c_) return i;
        return -1;
    }
    void InsertTab() {
        int i = PageIndex();
        if (i < 0) return;
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        std::wstring caption = Utf8ToWide(c_.Caption());
        item.pszText = caption.data();
        SendMessageW(GetParent(hwnd_), TCM_INSERTITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        auto* pc = static_cast<TPageControl*>(c_.Parent());
        SendMessageW(GetParent(hwnd_), TCM_SETCURSEL, static_cast<WPARAM>(pc->ActivePageIndex()), 0);
    }
    void RemoveTab() {
        int i = PageIndex();
        if (i >= 0) SendMessageW(GetParent(hwnd_), TCM_DELETEITEM, static_cast<WPARAM>(i), 0);
    }
};

// A group box passes on what its children tell it, so controls may sit inside one.
LRESULT CALLBACK GroupProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    switch (msg) {
        case WM_COMMAND:
        case WM_NOTIFY:
        case WM_DRAWITEM:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORLISTBOX:
            if (l) return SendMessageW(GetParent(h), msg, w, l);
            break;
        case WM_ERASEBKGND: {  // the frame's class paints no background of its own
            RECT r;
            GetClientRect(h, &r);
            FillRect(reinterpret_cast<HDC>(w), &r, GetSysColorBrush(COLOR_BTNFACE));
            return 1;
        }
    }
    return CallOldProc(h, msg, w, l);
}

class GroupBoxPeer : public DialogPeer {
public:
    explicit GroupBoxPeer(TControl& c) : DialogPeer(c) {
        CreateChild(WC_BUTTONW, BS_GROUPBOX | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT);
        if (!hwnd_) return;
        Subclass(hwnd_, GroupProc);
        // Below the controls drawn inside its frame, which are its siblings.
        SetWindowPos(hwnd_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }

    // Its own notifications (it is a button) are no clicks.
    bool Command(HWND, UINT) override { return true; }
};

}  // namespace

std::unique_ptr<IControlPeer> NewPanelPeer(TControl& c) { return std::make_unique<PanelPeer>(c); }
std::unique_ptr<IControlPeer> NewPageControlPeer(TControl& c) { return std::make_unique<PageControlPeer>(c); }
std::unique_ptr<IControlPeer> NewTabSheetPeer(TControl& c) { return std::make_unique<TabSheetPeer>(c); }
std::unique_ptr<IControlPeer> NewGroupBoxPeer(TControl& c) { return std::make_unique<GroupBoxPeer>(c); }

}  // namespace win32
