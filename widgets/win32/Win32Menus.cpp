// Menus as real Win32 menus: the main menu bar, popup menus, and menus with a look of their
// own (TMenuLook), whose items are drawn by a hidden owner window while the menu is open.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>

#include "core/Utf16.h"
#include "platform/win32/Win32Platform.h"
#include "widgets/win32/GdiHandles.h"
#include "widgets/win32/WidgetCommon.h"
#include "widgets/win32/Win32Widgets.h"

namespace win32 {
namespace {

std::string MenuText(const TMenuItem& i) { return i.Caption(); }

// Drawing of menus that carry their own look (TMenuLook): each item is owner-drawn, with its
// TMenuItem as item data.
COLORREF LookColor(uint32_t c) {
    return c == TMenuLook::kButtonFaceColor ? GetSysColor(COLOR_BTNFACE) : static_cast<COLORREF>(c);
}

SIZE BitmapSize(const std::string& res) {
    SIZE sz{0, 0};
    if (res.empty()) return sz;
    TBitmap b(static_cast<HBITMAP>(LoadImageW(Inst(), Utf8ToWide(res).c_str(), IMAGE_BITMAP, 0, 0, 0)));
    BITMAP bm;
    if (b.get() && GetObject(b.get(), sizeof(bm), &bm)) sz = {Scale(bm.bmWidth), Scale(bm.bmHeight)};  // as drawn here
    return sz;
}

void MeasureLookItem(const TMenuLook& look, MEASUREITEMSTRUCT& mi) {
    auto* item = reinterpret_cast<TMenuItem*>(mi.itemData);
    TWindowDC dc(nullptr);
    int fontHeight = -MulDiv(look.Font.Size, GetDeviceCaps(dc, LOGPIXELSY), 72);
    HGDIOBJ old = SelectObject(dc, FontFor(look.Font));
    int widest = 0;
    auto* parent = dynamic_cast<TMenuItem*>(item->Owner());
    for (int i = 0; parent && i < parent->Count(); ++i) {
        const std::wstring t = Utf8ToWide(parent->Items(i)->Caption());
        SIZE sz{};
        GetTextExtentPoint32W(dc, t.c_str(), static_cast<int>(t.size()), &sz);
        widest = std::max<int>(widest, sz.cx);
    }
    SelectObject(dc, old);
    int h = std::max<int>({BitmapSize(look.FolderIcon).cy, BitmapSize(look.ItemIcon).cy, Scale(look.Font.Size - 3) - fontHeight});
    mi.itemHeight = h + Scale(2);
    mi.itemWidth = std::min(widest, Scale(200)) + GetSystemMetrics(SM_CXMENUCHECK) + Scale(20);
}

void DrawLookItem(const TMenuLook& look, const DRAWITEMSTRUCT& di) {
    auto* item = reinterpret_cast<TMenuItem*>(di.itemData);
    HDC dc = di.hDC;
    RECT r = di.rcItem;
    bool selected = di.itemState & ODS_SELECTED;
    FillRect(dc, &r, TBrush(CreateSolidBrush(LookColor(selected ? look.SelectColor : look.UnselectColor))).get());
    if (selected && look.SelectFrame != TMenuLook::None)
        DrawEdge(dc, &r, look.SelectFrame == TMenuLook::Raised ? BDR_RAISEDINNER : BDR_SUNKENOUTER, BF_RECT);
    bool folder = item->Tag() == look.FolderTag;
    const std::string& icon = folder ? look.FolderIcon : look.ItemIcon;
    if (!icon.empty() && (folder || selected || look.IconOnEveryItem)) {
        if (TBitmap b(static_cast<HBITMAP>(LoadImageW(Inst(), Utf8ToWide(icon).c_str(), IMAGE_BITMAP, 0, 0, 0))); b.get()) {
            TMemoryDC mem(dc);
            HGDIOBJ old = SelectObject(mem, b.get());
            COLORREF key = GetPixel(mem, 0, 0);  // the top-left pixel is transparent
            const int side = Scale(16);
            TransparentBlt(dc, r.left + Scale(2), r.top + (r.bottom - r.top - side) / 2, side, side, mem, 0, 0, 16, 16, key);
            SelectObject(mem, old);
        }
    }
    int iconWidth = std::max(BitmapSize(look.FolderIcon).cx, BitmapSize(look.ItemIcon).cx);
    RECT tr = r;
    tr.left += iconWidth > 0 ? iconWidth + Scale(5) : Scale(20);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, selected ? look.SelectFontColor : look.FontColor);
    HGDIOBJ old = SelectObject(dc, FontFor(look.Font));
    DrawTextW(dc, Utf8ToWide(item->Caption()).c_str(), -1, &tr, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
    SelectObject(dc, old);
}

const wchar_t kMenuOwnerClass[] = L"VelmoraMenuOwner";

// The owner of a drawn menu while it is tracked: it answers the measure and draw requests.
LRESULT CALLBACK MenuOwnerProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    auto* look = reinterpret_cast<const TMenuLook*>(GetWindowLongPtrW(h, GWLP_USERDATA));
    if (look && msg == WM_MEASUREITEM && reinterpret_cast<MEASUREITEMSTRUCT*>(l)->CtlType == ODT_MENU) {
        MeasureLookItem(*look, *reinterpret_cast<MEASUREITEMSTRUCT*>(l));
        return TRUE;
    }
    if (look && msg == WM_DRAWITEM && reinterpret_cast<DRAWITEMSTRUCT*>(l)->CtlType == ODT_MENU) {
        DrawLookItem(*look, *reinterpret_cast<DRAWITEMSTRUCT*>(l));
        return TRUE;
    }
    return DefWindowProcW(h, msg, w, l);
}

// No tip shows over an open menu (the tip of the button that opened it would cover it).
struct TooltipsOff {
    TooltipsOff() { ActivateTooltips(false); }
    ~TooltipsOff() { ActivateTooltips(true); }
};

class MenuPeer : public IMenuPeer {
public:
    explicit MenuPeer(TMenu& m) : m_(m) { Rebuild(); }
    ~MenuPeer() override {
        if (menu_ && m_.IsPopup()) DestroyMenu(menu_);
        if (owner_) DestroyWindow(owner_);
    }
    void Rebuild() override {
        if (menu_ && m_.IsPopup()) DestroyMenu(menu_);
        menu_ = m_.IsPopup() ? CreatePopupMenu() : CreateMenu();
        Fill(menu_, m_.ItemsRoot());
    }
    void ItemChanged(TMenuItem& item) override {
        HMENU h = nullptr;
        UINT at = 0;
        if (!Locate(menu_, m_.ItemsRoot(), item, h, at)) return;
        MENUITEMINFOW mi{};
        mi.cbSize = sizeof(mi);
        mi.fMask = m_.Look ? MIIM_STATE : MIIM_STATE | MIIM_STRING;  // drawn items keep their data
        std::wstring text = Utf8ToWide(MenuText(item));
        mi.dwTypeData = text.data();
        mi.fState = (item.Enabled() ? MFS_ENABLED : MFS_GRAYED) | (item.Checked() ? MFS_CHECKED : MFS_UNCHECKED);
        SetMenuItemInfoW(h, at, TRUE, &mi);
    }
    uintptr_t Handle() const override { return reinterpret_cast<uintptr_t>(menu_); }
    void Popup(int x, int y) override {
        if (m_.Look) {
            PopupDrawn(x, y);
            return;
        }
        // The menu's owner must be the foreground window, or the menu closes at once: keep
        // ours when one of our windows is in front (the tray icon's hidden window puts itself
        // there), else bring the application window forward.
        HWND owner = GetForegroundWindow();
        DWORD pid = 0;
        if (owner) GetWindowThreadProcessId(owner, &pid);
        if (!owner || pid != GetCurrentProcessId()) {
            owner = reinterpret_cast<HWND>(Application().Handle());
            SetForegroundWindow(owner);
        }
        Track(owner, TPM_RIGHTBUTTON, x, y);
    }

private:
    // A drawn menu is tracked by a hidden owner of its own that draws its items.
    void PopupDrawn(int x, int y) {
        static bool registered = false;
        if (!registered) {
            WNDCLASSW wc{};
            wc.lpfnWndProc = MenuOwnerProc;
            wc.hInstance = Inst();
            wc.lpszClassName = kMenuOwnerClass;
            RegisterClassW(&wc);
            registered = true;
        }
        if (!owner_)
            owner_ = CreateWindowExW(WS_EX_TOOLWINDOW, kMenuOwnerClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, Inst(),
                                     nullptr);
        SetWindowLongPtrW(owner_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(m_.Look.get()));
        SetForegroundWindow(owner_);
        Track(owner_, TPM_LEFTBUTTON, x, y);
    }

    // Tracks the menu for its owner with no tooltip over it, gives the activation back, and
    // runs the chosen item.
    void Track(HWND owner, UINT button, int x, int y) {
        UINT cmd = 0;
        {
            TooltipsOff quiet;
            cmd = TrackPopupMenu(menu_, TPM_RETURNCMD | button, x, y, 0, owner, nullptr);
        }
        PostMessageW(owner, WM_NULL, 0, 0);
        ReturnActivation(reinterpret_cast<uintptr_t>(owner));
        if (cmd)
            if (TMenuItem* item = m_.FindCommand(cmd)) item->Click();
    }

    void Fill(HMENU h, TMenuItem& parent) {
        const bool drawn = m_.Look != nullptr;
        for (int i = 0; i < parent.Count(); ++i) {
            TMenuItem* it = parent.Items(i);
            // A drawn item's data is its TMenuItem; a plain one's is its caption.
            UINT kind = drawn ? MF_OWNERDRAW : MF_STRING;
            LPCWSTR data = drawn ? reinterpret_cast<LPCWSTR>(it) : nullptr;
            const std::wstring text = Utf8ToWide(MenuText(*it));
            if (!drawn) data = text.c_str();
            if (it->IsSeparator()) {
                AppendMenuW(h, MF_SEPARATOR, it->Command(), nullptr);
            } else if (it->Count() > 0) {
                HMENU sub = CreatePopupMenu();
                Fill(sub, *it);
                AppendMenuW(h, MF_POPUP | kind, reinterpret_cast<UINT_PTR>(sub), data);
            } else {
                UINT flags = kind | (it->Enabled() ? MF_ENABLED : MF_GRAYED) | (it->Checked() ? MF_CHECKED : 0);
                AppendMenuW(h, flags, it->Command(), data);
            }
        }
    }
    // The menu holding the item and its position there: Fill lays the menus out as the
    // items are, so the item's place in the tree is its place in the menus (a submenu's
    // own item has no command number to be found by).
    static bool Locate(HMENU h, TMenuItem& parent, const TMenuItem& item, HMENU& owner, UINT& at) {
        for (int i = 0; i < parent.Count(); ++i) {
            if (parent.Items(i) == &item) {
                owner = h;
                at = static_cast<UINT>(i);
                return true;
            }
            if (HMENU sub = GetSubMenu(h, i))
                if (Locate(sub, *parent.Items(i), item, owner, at)) return true;
        }
        return false;
    }
    TMenu& m_;
    HMENU menu_ = nullptr;
    HWND owner_ = nullptr;
};

}  // namespace

std::unique_ptr<IMenuPeer> WidgetFactory::CreateMenuPeer(TMenu& m) { return std::make_unique<MenuPeer>(m); }

}  // namespace win32
