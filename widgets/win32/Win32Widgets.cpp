// Real windows for the portable forms and controls. Messages from a child control
// (WM_COMMAND, WM_DRAWITEM) are routed back to the TControl that owns that child, so no
// form needs a switch over control ids.
#include "widgets/win32/Win32Widgets.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <map>
#include <vector>

#include "platform/Platform.h"
#include "platform/win32/Win32Platform.h"
#include "widgets/win32/DialogControls.h"
#include "widgets/win32/ListLines.h"
#include "widgets/win32/WidgetCommon.h"

namespace win32 {

HINSTANCE Inst() { return GetModuleHandleA(nullptr); }

HFONT FontFor(const TFontStyle& f) {
    static std::map<std::pair<std::string, int>, HFONT> cache;
    int key = f.Size * 2 + (f.Bold ? 1 : 0);
    auto& slot = cache[{f.Name, key}];
    if (!slot) {
        HDC dc = GetDC(nullptr);
        int h = -MulDiv(f.Size, GetDeviceCaps(dc, LOGPIXELSY), 72);
        ReleaseDC(nullptr, dc);
        slot = CreateFontA(h, 0, 0, 0, f.Bold ? FW_BOLD : FW_NORMAL, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, f.Name.c_str());
    }
    return slot;
}

namespace {

const char kFormClass[] = "TVelmoraForm";
const char kPanelClass[] = "TVelmoraPanel";
const char kAppClass[] = "TApplication";

TControl* ControlOf(HWND h) { return reinterpret_cast<TControl*>(GetWindowLongPtrA(h, GWLP_USERDATA)); }

TMessage ToMessage(UINT msg, WPARAM w, LPARAM l) { return TMessage{msg, w, l, 0, false}; }

// Where the left button last went down on a button: a click is decided by where it began
// (the favorites button tells its picture part from its arrow part by it).
const char kPressProp[] = "VelmoraPress";
const char kOldProcProp[] = "VelmoraOldProc";

LRESULT CALLBACK PressRecordingProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    auto old = reinterpret_cast<WNDPROC>(GetPropA(h, kOldProcProp));
    if (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK)
        SetPropA(h, kPressProp, reinterpret_cast<HANDLE>(static_cast<uintptr_t>(static_cast<uint32_t>(l)) | 0x80000000u));
    if (msg == WM_NCDESTROY) {
        RemovePropA(h, kPressProp);
        RemovePropA(h, kOldProcProp);
        SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
    }
    return CallWindowProcA(old, h, msg, w, l);
}

// The point of the last press on the control, or the cursor when there was none.
POINT ClickPoint(HWND child) {
    POINT at{};
    auto press = reinterpret_cast<uintptr_t>(GetPropA(child, kPressProp));
    if (press & 0x80000000u) {
        at.x = static_cast<short>(LOWORD(press));
        at.y = static_cast<short>(HIWORD(press) & 0x7FFF);
        RemovePropA(child, kPressProp);
        return at;
    }
    GetCursorPos(&at);
    ScreenToClient(child, &at);
    return at;
}

// Handles what a container (form or panel) receives on behalf of its children.
bool RouteChildMessage(HWND hwnd, UINT msg, WPARAM w, LPARAM l, LRESULT& result) {
    if (RouteDialogControlMessage(hwnd, msg, w, l, result)) return true;
    switch (msg) {
        case WM_COMMAND: {
            HWND child = reinterpret_cast<HWND>(l);
            if (!child) return false;
            TControl* c = ControlOf(child);
            if (!c) return false;
            UINT code = HIWORD(w);
            if (c->Kind() == TControlKind::ListBox) {
                auto* lb = static_cast<TListBox*>(c);
                if (code == LBN_SELCHANGE) {
                    lb->SelectedByUser(static_cast<int>(SendMessageA(child, LB_GETCURSEL, 0, 0)));
                    c->Click();
                } else if (code == LBN_DBLCLK) {
                    c->DblClick();
                }
            } else if (code == BN_CLICKED || code == STN_CLICKED) {
                if (c->Kind() == TControlKind::CheckBox || c->Kind() == TControlKind::RadioButton)
                    c->SetChecked(SendMessageA(child, BM_GETCHECK, 0, 0) == BST_CHECKED);
                POINT at = ClickPoint(child);
                c->ClickAt(at.x, at.y);
            } else if (code == STN_DBLCLK || code == BN_DOUBLECLICKED) {
                c->DblClick();
            }
            result = 0;
            return true;
        }
        case WM_DRAWITEM: {
            auto* di = reinterpret_cast<DRAWITEMSTRUCT*>(l);
            TControl* c = di ? ControlOf(di->hwndItem) : nullptr;
            if (!c || (c->Kind() != TControlKind::SpeedButton && c->Kind() != TControlKind::FavoritesButton)) return false;
            DrawSpeedButton(*di, *c);
            result = TRUE;
            return true;
        }
        case WM_CTLCOLORSTATIC: {
            HWND child = reinterpret_cast<HWND>(l);
            TControl* c = ControlOf(child);
            if (c && (c->Kind() == TControlKind::Label || c->Kind() == TControlKind::StaticText)) {
                SetBkMode(reinterpret_cast<HDC>(w), TRANSPARENT);
                HWND root = GetAncestor(hwnd, GA_ROOT);
                auto* top = static_cast<TForm*>(ControlOf(root));
                bool tiled = top && top->Kind() == TControlKind::Form && !top->BackgroundTile.empty();
                if (tiled) {
                    // Paint the form's picture behind the text, as the label's own background.
                    HDC dc = reinterpret_cast<HDC>(w);
                    POINT at{0, 0};
                    MapWindowPoints(child, root, &at, 1);
                    POINT old;
                    SetViewportOrgEx(dc, -at.x, -at.y, &old);
                    TileBackground(root, dc, top->BackgroundTile);
                    SetViewportOrgEx(dc, old.x, old.y, nullptr);
                }
                result = reinterpret_cast<LRESULT>(tiled ? GetStockObject(NULL_BRUSH) : GetSysColorBrush(COLOR_BTNFACE));
                return true;
            }
            return false;
        }
        case WM_SETCURSOR: {
            TControl* c = ControlOf(reinterpret_cast<HWND>(w));
            if (c && c->HandCursor()) {
                SetCursor(LoadCursorA(nullptr, IDC_HAND));
                result = TRUE;
                return true;
            }
            return false;
        }
    }
    return false;
}

LRESULT PanelProcInner(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
    LRESULT r = 0;
    if (RouteChildMessage(hwnd, msg, w, l, r)) return r;
    return DefWindowProcA(hwnd, msg, w, l);
}

// Paints the drawn title bar: a gradient from deep blue to teal (greys when inactive),
// the small icon, the application name in bold and the second text after it.
void PaintTitleBar(HWND hwnd, const TForm& form, bool active) {
    const TControl* tb = form.TitleBar;
    if (!tb || !tb->Visible() || !(GetWindowLongA(hwnd, GWL_STYLE) & WS_CAPTION) || IsIconic(hwnd)) return;
    RECT wr;
    GetWindowRect(hwnd, &wr);
    int fx = GetSystemMetrics(SM_CXFIXEDFRAME), fy = GetSystemMetrics(SM_CYFIXEDFRAME);
    int ch = GetSystemMetrics(SM_CYCAPTION) - 1;
    int buttons = 3 * GetSystemMetrics(SM_CXSIZE) + 4;
    RECT r{fx, fy, (wr.right - wr.left) - fx - buttons, fy + ch};
    if (r.right <= r.left) return;
    HDC dc = GetWindowDC(hwnd);
    COLORREF from = active ? RGB(10, 36, 106) : RGB(128, 128, 128);
    COLORREF to = active ? RGB(24, 140, 160) : RGB(192, 192, 192);
    int width = r.right - r.left;
    for (int x = 0; x < width; ++x) {
        int rr = GetRValue(from) + (GetRValue(to) - GetRValue(from)) * x / width;
        int gg = GetGValue(from) + (GetGValue(to) - GetGValue(from)) * x / width;
        int bb = GetBValue(from) + (GetBValue(to) - GetBValue(from)) * x / width;
        HBRUSH br = CreateSolidBrush(RGB(rr, gg, bb));
        RECT col{r.left + x, r.top, r.left + x + 1, r.bottom};
        FillRect(dc, &col, br);
        DeleteObject(br);
    }
    int x = r.left + 2;
    HICON icon = reinterpret_cast<HICON>(SendMessageA(hwnd, WM_GETICON, ICON_SMALL, 0));
    if (icon) {
        DrawIconEx(dc, x, r.top + (ch - 16) / 2, icon, 16, 16, 0, nullptr, DI_NORMAL);
        x += 20;
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, active ? RGB(255, 255, 255) : RGB(224, 224, 224));
    TFontStyle f;
    f.Bold = true;
    HGDIOBJ old = SelectObject(dc, FontFor(f));
    RECT tr{x, r.top, r.right, r.bottom};
    DrawTextA(dc, tb->Caption().c_str(), -1, &tr, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX | DT_CALCRECT);
    tr.bottom = r.bottom;
    tr.top = r.top;
    DrawTextA(dc, tb->Caption().c_str(), -1, &tr, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
    std::string second = tb->Hint();
    if (second.empty() && form.TitleBarShowsCaption) second = form.Caption();
    if (!second.empty()) {
        SelectObject(dc, FontFor(TFontStyle{}));
        RECT nr{tb->Caption().empty() ? x : tr.right + 6, r.top, r.right, r.bottom};
        DrawTextA(dc, second.c_str(), -1, &nr, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
}

LRESULT FormProcInner(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
    auto* form = static_cast<TForm*>(ControlOf(hwnd));
    if (!form) return DefWindowProcA(hwnd, msg, w, l);
    if (LRESULT r = 0; DialogFormMessage(hwnd, *form, msg, w, l, r)) return r;
    if (form->TitleBar && (msg == WM_NCPAINT || msg == WM_NCACTIVATE || msg == WM_SETTEXT)) {
        LRESULT r = DefWindowProcA(hwnd, msg, w, l);
        bool active = msg == WM_NCACTIVATE ? w != 0 : GetActiveWindow() == hwnd;
        PaintTitleBar(hwnd, *form, active);
        return r;
    }
    if (msg == WM_SYSCOMMAND || msg >= WM_USER || msg == WM_QUERYENDSESSION || msg == WM_ENDSESSION) {
        TMessage m = ToMessage(msg, w, l);
        form->Dispatch(m);
        if (m.Handled) return m.Result;
    }
    LRESULT r = 0;
    if (RouteChildMessage(hwnd, msg, w, l, r)) return r;
    switch (msg) {
        case WM_COMMAND:
            if (l == 0 && form->Menu) {
                if (TMenuItem* item = form->Menu->FindCommand(LOWORD(w))) item->Click();
                return 0;
            }
            break;
        case WM_CLOSE:
            form->Close();
            return 0;
        case WM_HELP: {  // F1: the help topic of the highlighted menu item, else of the form
            const auto* hi = reinterpret_cast<const HELPINFO*>(l);
            int context = form->HelpContext();
            if (hi && hi->iContextType == HELPINFO_MENUITEM && form->Menu)
                if (TMenuItem* item = form->Menu->FindCommand(static_cast<unsigned>(hi->iCtrlId)))
                    if (item->HelpContext) context = item->HelpContext;
            if (context) Application().HelpCommand(HELP_CONTEXT, static_cast<uintptr_t>(context));
            return TRUE;
        }
        case WM_ERASEBKGND:
            if (!form->BackgroundTile.empty() && TileBackground(hwnd, reinterpret_cast<HDC>(w), form->BackgroundTile))
                return 1;
            break;
    }
    return DefWindowProcA(hwnd, msg, w, l);
}

LRESULT AppProcInner(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
    TMessage m = ToMessage(msg, w, l);
    if (Application().RunHooks(m)) return m.Result;
    switch (msg) {
        case WM_CLOSE:
            if (Application().MainForm) Application().MainForm->Close();
            return 0;
        case WM_SYSCOMMAND:
            if ((w & 0xFFF0) == SC_CLOSE && Application().MainForm) {
                Application().MainForm->Close();
                return 0;
            }
            break;
    }
    return DefWindowProcA(hwnd, msg, w, l);
}

LRESULT CALLBACK PanelProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    return Guarded([&] { return PanelProcInner(h, m, w, l); }, LRESULT{0});
}
LRESULT CALLBACK FormProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    return Guarded([&] { return FormProcInner(h, m, w, l); }, LRESULT{0});
}
LRESULT CALLBACK AppProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    return Guarded([&] { return AppProcInner(h, m, w, l); }, LRESULT{0});
}

void RegisterClasses() {
    static bool done = false;
    if (done) return;
    done = true;
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_ANIMATE_CLASS | ICC_TAB_CLASSES};
    InitCommonControlsEx(&icc);
    WNDCLASSA wc{};
    wc.hInstance = Inst();
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.hIcon = LoadIconA(Inst(), "MAINICON");
    wc.lpfnWndProc = FormProc;
    wc.lpszClassName = kFormClass;
    wc.style = CS_DBLCLKS;
    RegisterClassA(&wc);
    wc.lpfnWndProc = PanelProc;
    wc.lpszClassName = kPanelClass;
    wc.hIcon = nullptr;
    RegisterClassA(&wc);
    wc.lpfnWndProc = AppProc;
    wc.lpszClassName = kAppClass;
    wc.hIcon = LoadIconA(Inst(), "MAINICON");
    RegisterClassA(&wc);
}

// One tooltip window per top-level window, owned by it: it has no taskbar button of its
// own and goes away with its window.
std::map<HWND, HWND> g_tooltips;

void AddTooltip(HWND owner, HWND child, const std::string& text) {
    HWND root = GetAncestor(owner, GA_ROOT);
    HWND& g_tooltip = g_tooltips[root];
    if (!g_tooltip || !IsWindow(g_tooltip)) {
        g_tooltip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0,
                                    root, nullptr, Inst(), nullptr);
        SendMessageA(g_tooltip, TTM_SETMAXTIPWIDTH, 0, 400);
    }
    TOOLINFOA ti{};
    ti.cbSize = TTTOOLINFOA_V1_SIZE;
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = owner;
    ti.uId = reinterpret_cast<UINT_PTR>(child);
    ti.lpszText = const_cast<char*>(text.c_str());
    SendMessageA(g_tooltip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
    if (!text.empty()) SendMessageA(g_tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
}

class ControlPeer : public IControlPeer {
public:
    explicit ControlPeer(TControl& c) : c_(c) {
        RegisterClasses();
        Create();
    }
    ~ControlPeer() override { Destroying(); }

    void Destroying() override {
        if (hwnd_) {
            SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
            DestroyWindow(hwnd_);
            hwnd_ = nullptr;
        }
    }

    uintptr_t Handle() const override { return reinterpret_cast<uintptr_t>(hwnd_); }

    void Update(TProp what) override {
        if (c_.Kind() == TControlKind::TitleBar) {
            // The texts are drawn in the owning form's frame: repaint it.
            if (auto* f = dynamic_cast<TForm*>(c_.Owner()); f && f->Handle())
                RedrawWindow(reinterpret_cast<HWND>(f->Handle()), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
            return;
        }
        if (!hwnd_) return;
        switch (what) {
            case TProp::Caption:
                SetWindowTextA(hwnd_, c_.Caption().c_str());
                AutoSize();
                if (c_.Kind() == TControlKind::SpeedButton || c_.Kind() == TControlKind::FavoritesButton)
                    InvalidateRect(hwnd_, nullptr, TRUE);
                else if (c_.Kind() == TControlKind::Label) RedrawLabel();
                break;
            case TProp::Enabled: EnableWindow(hwnd_, c_.Enabled()); break;
            case TProp::Visible:
                if (c_.Kind() == TControlKind::Form) {
                    bool hadActivation = !c_.Visible() && GetActiveWindow() == hwnd_;
                    ::ShowWindow(hwnd_, c_.Visible() ? SW_SHOW : SW_HIDE);
                    // The system would hand it to the hidden application window.
                    if (hadActivation) ReturnActivation(reinterpret_cast<uintptr_t>(hwnd_));
                } else ::ShowWindow(hwnd_, c_.Visible() ? SW_SHOWNA : SW_HIDE);
                break;
            case TProp::Hint:
                if (c_.Parent()) AddTooltip(GetParent(hwnd_), hwnd_, c_.Hint());
                break;
            case TProp::Bounds: Place(); break;
            case TProp::Font: SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(c_.Font())), TRUE); break;
            case TProp::Checked:
                if (c_.Kind() == TControlKind::CheckBox || c_.Kind() == TControlKind::RadioButton)
                    SendMessageA(hwnd_, BM_SETCHECK, c_.Checked() ? BST_CHECKED : BST_UNCHECKED, 0);
                break;
            case TProp::Glyph:
                if (c_.Kind() == TControlKind::Image) ShowPicture();
                InvalidateRect(hwnd_, nullptr, TRUE);
                break;
            case TProp::Items: FillItems(); break;
            case TProp::ItemIndex: {
                auto& lb = static_cast<TListBox&>(c_);
                SendMessageA(hwnd_, c_.Kind() == TControlKind::ComboBox ? CB_SETCURSEL : LB_SETCURSEL,
                             static_cast<WPARAM>(lb.ItemIndex()), 0);
                break;
            }
            case TProp::Panels: FillPanels(); break;
            case TProp::Animation: {
                auto& a = static_cast<TAnimate&>(c_);
                SendMessageA(hwnd_, ACM_OPENA, 0, 0);
                if (!a.ResName().empty())
                    SendMessageA(hwnd_, ACM_OPENA, reinterpret_cast<WPARAM>(Inst()),
                                 reinterpret_cast<LPARAM>(a.ResName().c_str()));
                break;
            }
            default: break;
        }
    }

    void Repaint() override {
        // Now, frame and children too: a progress window is shown while its caller works
        // and does not return to the message loop.
        if (hwnd_) RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }

    void BringToFront() override {
        if (hwnd_ && c_.Kind() == TControlKind::Form) SetForegroundWindow(hwnd_);
    }

    bool Post(uint32_t msg, uintptr_t w, intptr_t l) override { return hwnd_ && PostMessageA(hwnd_, msg, w, l); }
    intptr_t Send(uint32_t msg, uintptr_t w, intptr_t l) override { return hwnd_ ? SendMessageA(hwnd_, msg, w, l) : 0; }

    int ShowModal() override {
        HWND owner = Application().MainForm && Application().MainForm->Handle()
                         ? reinterpret_cast<HWND>(Application().MainForm->Handle())
                         : nullptr;
        if (owner) EnableWindow(owner, FALSE);
        modalResult_ = 0;
        inModal_ = true;
        MSG msg;
        while (inModal_ && GetMessageA(&msg, nullptr, 0, 0) > 0) {
            if (!HandleDialogKey(msg) && !IsDialogMessageA(hwnd_, &msg)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        }
        if (owner) {
            EnableWindow(owner, TRUE);
            SetForegroundWindow(owner);
        }
        return modalResult_;
    }

    void EndModal(int result) override {
        modalResult_ = result;
        inModal_ = false;
    }

    void Focus() override {
        if (hwnd_) SetFocus(hwnd_);
    }

    bool ClientToScreen(int& x, int& y) override {
        if (!hwnd_) return false;
        POINT p{x, y};
        ::ClientToScreen(hwnd_, &p);
        x = p.x;
        y = p.y;
        return true;
    }

    void Play(bool active) override {
        if (!hwnd_) return;
        if (active) SendMessageA(hwnd_, ACM_PLAY, static_cast<WPARAM>(-1), MAKELONG(0, 0xFFFF));
        else SendMessageA(hwnd_, ACM_STOP, 0, 0);
    }

private:
    void Create() {
        const char* cls = "STATIC";
        DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
        DWORD ex = 0;
        HWND parent = c_.Parent() ? reinterpret_cast<HWND>(c_.Parent()->Handle()) : nullptr;
        switch (c_.Kind()) {
            case TControlKind::Form: CreateForm(); return;
            case TControlKind::TitleBar: return;  // drawn by the form, not a window of its own
            case TControlKind::Panel:
            case TControlKind::TabSheet: cls = kPanelClass; style |= WS_CLIPCHILDREN; break;
            case TControlKind::Label:
                style |= SS_NOTIFY | (c_.CenterText ? SS_CENTER : c_.WordWrap() ? SS_LEFT : SS_LEFTNOWORDWRAP);
                break;
            case TControlKind::StaticText: style |= SS_NOTIFY | SS_LEFT; break;
            case TControlKind::Bevel: ex |= WS_EX_STATICEDGE; break;
            case TControlKind::Image: style |= SS_BITMAP | SS_NOTIFY; break;
            case TControlKind::Button: cls = "BUTTON"; style |= BS_PUSHBUTTON | WS_TABSTOP; break;
            case TControlKind::SpeedButton:
            case TControlKind::FavoritesButton: cls = "BUTTON"; style |= BS_OWNERDRAW; break;
            case TControlKind::CheckBox: cls = "BUTTON"; style |= BS_AUTOCHECKBOX | WS_TABSTOP; break;
            case TControlKind::RadioButton: cls = "BUTTON"; style |= BS_AUTORADIOBUTTON | WS_TABSTOP; break;
            case TControlKind::GroupBox: cls = "BUTTON"; style |= BS_GROUPBOX; break;
            case TControlKind::Edit: cls = "EDIT"; style |= ES_AUTOHSCROLL | WS_TABSTOP; ex |= WS_EX_CLIENTEDGE; break;
            case TControlKind::ComboBox: cls = "COMBOBOX"; style |= CBS_DROPDOWN | WS_VSCROLL | WS_TABSTOP; break;
            case TControlKind::ListBox:
                cls = "LISTBOX";
                style |= LBS_NOTIFY | WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT | LBS_USETABSTOPS;
                ex |= WS_EX_CLIENTEDGE;
                break;
            case TControlKind::StatusBar: cls = STATUSCLASSNAMEA; style |= CCS_BOTTOM; break;
            case TControlKind::Animate: cls = ANIMATE_CLASSA; style |= ACS_TRANSPARENT | ACS_CENTER; break;
            case TControlKind::PageControl: cls = WC_TABCONTROLA; style |= WS_CLIPCHILDREN; break;
            case TControlKind::ListView: break;  // DialogControls.cpp makes these
        }
        if (c_.Visible()) style |= WS_VISIBLE;
        if (!c_.Enabled()) style |= WS_DISABLED;
        const TRect& b = c_.Bounds();
        hwnd_ = CreateWindowExA(ex, cls, c_.Caption().c_str(), style, b.Left, b.Top, b.Width, b.Height, parent, nullptr,
                                Inst(), nullptr);
        if (!hwnd_) return;
        SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&c_));
        // Later siblings go below earlier ones; a label must stand above the bevel it is on.
        if (c_.Kind() == TControlKind::Label || c_.Kind() == TControlKind::StaticText ||
            c_.Kind() == TControlKind::Image)
            SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(c_.Font())), FALSE);
        if (!c_.Hint().empty()) AddTooltip(parent, hwnd_, c_.Hint());
        shownResets_ = UINT32_MAX;  // a new window holds no line yet
        if (c_.Kind() == TControlKind::ListBox) SetListTabStops(hwnd_);
        FillItems();
        FillPanels();
        if (c_.Kind() == TControlKind::Animate) Update(TProp::Animation);
        if (c_.Kind() == TControlKind::Image) ShowPicture();
        if (c_.Kind() == TControlKind::FavoritesButton) {
            SetPropA(hwnd_, kOldProcProp, reinterpret_cast<HANDLE>(GetWindowLongPtrA(hwnd_, GWLP_WNDPROC)));
            SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PressRecordingProc));
        }
        AutoSize();
        if (c_.Kind() == TControlKind::CheckBox || c_.Kind() == TControlKind::RadioButton) Update(TProp::Checked);
    }

    void CreateForm() {
        auto& f = static_cast<TForm&>(c_);
        DWORD style = WS_CLIPCHILDREN;
        DWORD ex = 0;
        switch (f.BorderStyle) {
            case TBorderStyle::Single: style |= WS_OVERLAPPED | WS_CAPTION; break;
            case TBorderStyle::Dialog: style |= WS_POPUP | WS_CAPTION | DS_MODALFRAME; ex |= WS_EX_DLGMODALFRAME; break;
            case TBorderStyle::None: style |= WS_POPUP; break;
            case TBorderStyle::Sizeable: style |= WS_OVERLAPPEDWINDOW; break;
        }
        if (f.BorderStyle != TBorderStyle::None) {
            if (f.SystemMenu) style |= WS_SYSMENU;
            if (f.MinimizeBox) style |= WS_MINIMIZEBOX;
            if (f.MaximizeBox) style |= WS_MAXIMIZEBOX;
        }
        if (f.StayOnTop) ex |= WS_EX_TOPMOST;
        HMENU menu = f.Menu && f.Menu->Peer() ? reinterpret_cast<HMENU>(f.Menu->Peer()->Handle()) : nullptr;
        RECT r{0, 0, f.ClientWidth(), f.ClientHeight()};
        AdjustWindowRectEx(&r, style, menu != nullptr, ex);
        int w = r.right - r.left, h = r.bottom - r.top;
        int x = f.Left(), y = f.Top();
        if (f.CenterOnScreen) {
            x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2;
            y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
        }
        HWND owner = f.OwnerForm && f.OwnerForm->Handle() ? reinterpret_cast<HWND>(f.OwnerForm->Handle())
                                                          : reinterpret_cast<HWND>(Application().Handle());
        hwnd_ = CreateWindowExA(ex, kFormClass, f.Caption().c_str(), style, x, y, w, h, owner, menu, Inst(), nullptr);
        SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&c_));
        HICON big = LoadIconA(Inst(), f.IconRes.empty() ? "MAINICON" : f.IconRes.c_str());
        if (big) SendMessageA(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
        HICON small = static_cast<HICON>(LoadImageA(Inst(), f.IconRes.empty() ? "MAINICON" : f.IconRes.c_str(),
                                                    IMAGE_ICON, 16, 16, 0));
        if (small) SendMessageA(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    }

    // A one-line label is as wide as its text, so no text is cut off whatever the font.
    void AutoSize() {
        if (c_.Kind() != TControlKind::Label || c_.WordWrap() || c_.CenterText) return;
        HDC dc = GetDC(hwnd_);
        HGDIOBJ old = SelectObject(dc, FontFor(c_.Font()));
        SIZE sz{};
        GetTextExtentPoint32A(dc, c_.Caption().c_str(), static_cast<int>(c_.Caption().size()), &sz);
        SelectObject(dc, old);
        ReleaseDC(hwnd_, dc);
        const TRect& b = c_.Bounds();
        int w = sz.cx + 1 > b.Width ? sz.cx + 1 : b.Width;
        SetWindowPos(hwnd_, nullptr, 0, 0, w, b.Height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    void ShowPicture() {
        if (c_.Glyph().empty()) return;
        HANDLE bmp = LoadImageA(Inst(), c_.Glyph().c_str(), IMAGE_BITMAP, 0, 0, 0);
        if (bmp) SendMessageA(hwnd_, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bmp));
    }

    // Moves the window; a form keeps its frame around the given client size.
    void Place() {
        const TRect& b = c_.Bounds();
        if (c_.Kind() == TControlKind::Form) {
            RECT r{0, 0, b.Width, b.Height};
            AdjustWindowRectEx(&r, GetWindowLongA(hwnd_, GWL_STYLE), GetMenu(hwnd_) != nullptr,
                               GetWindowLongA(hwnd_, GWL_EXSTYLE));
            SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        } else if (c_.Kind() == TControlKind::StatusBar) {
            SendMessageA(hwnd_, WM_SIZE, 0, 0);
        } else {
            MoveWindow(hwnd_, b.Left, b.Top, b.Width, b.Height, TRUE);
        }
    }

    // A transparent label must have its background repainted by the parent.
    void RedrawLabel() {
        HWND parent = GetParent(hwnd_);
        RECT r;
        GetWindowRect(hwnd_, &r);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
        InvalidateRect(parent, &r, TRUE);
        UpdateWindow(parent);
    }

    void FillItems() {
        if (c_.Kind() == TControlKind::ListBox) {
            auto& lb = static_cast<TListBox&>(c_);
            int want = static_cast<int>(lb.Items().size());
            // Appending is the common case: since the last reset the window holds the first
            // shownItems_ lines, so only the new ones go in; nothing is read back.
            int have = shownResets_ == lb.Resets() ? shownItems_ : -1;
            if (have < 0 || have > want) {
                SendMessageA(hwnd_, LB_RESETCONTENT, 0, 0);
                have = 0;
                shownResets_ = lb.Resets();
            }
            const bool many = want - have > 1;
            if (many) {
                SendMessageA(hwnd_, WM_SETREDRAW, FALSE, 0);
                SendMessageA(hwnd_, LB_INITSTORAGE, want - have, (want - have) * 64);
            }
            HDC dc = GetDC(hwnd_);
            HGDIOBJ old = SelectObject(dc, FontFor(c_.Font()));
            int extent = static_cast<int>(SendMessageA(hwnd_, LB_GETHORIZONTALEXTENT, 0, 0));
            for (int i = have; i < want; ++i) {
                const std::string s = ShownLine(lb.Items()[i]);
                SendMessageA(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
                SIZE sz;
                if (GetTextExtentPoint32A(dc, s.c_str(), static_cast<int>(s.size()), &sz) && sz.cx + 8 > extent)
                    extent = sz.cx + 8;
            }
            SelectObject(dc, old);
            ReleaseDC(hwnd_, dc);
            shownItems_ = want;
            if (many) {
                SendMessageA(hwnd_, WM_SETREDRAW, TRUE, 0);
                InvalidateRect(hwnd_, nullptr, TRUE);
            }
            SendMessageA(hwnd_, LB_SETHORIZONTALEXTENT, extent, 0);
            if (lb.ScrollToNew && want > 0) SendMessageA(hwnd_, LB_SETTOPINDEX, want - 1, 0);
        } else if (c_.Kind() == TControlKind::ComboBox) {
            auto& lb = static_cast<TListBox&>(c_);
            SendMessageA(hwnd_, CB_RESETCONTENT, 0, 0);
            for (auto& s : lb.Items()) SendMessageA(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
        }
    }

    void FillPanels() {
        if (c_.Kind() != TControlKind::StatusBar) return;
        auto& sb = static_cast<TStatusBar&>(c_);
        std::vector<int> edges;
        int x = 0;
        for (size_t i = 0; i < sb.Panels().size(); ++i) {
            x += sb.Panels()[i].Width;
            edges.push_back(i + 1 == sb.Panels().size() ? -1 : x);
        }
        if (edges.empty()) return;
        SendMessageA(hwnd_, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
        for (size_t i = 0; i < sb.Panels().size(); ++i)
            SendMessageA(hwnd_, SB_SETTEXTA, i, reinterpret_cast<LPARAM>(sb.Panels()[i].Text.c_str()));
    }

    TControl& c_;
    HWND hwnd_ = nullptr;
    uint32_t shownResets_ = UINT32_MAX;  // the list box's Resets() when its lines went in
    int shownItems_ = 0;
    bool inModal_ = false;
    int modalResult_ = 0;
};

// The hidden application window: it owns the taskbar button and the program's forms, and
// receives the taskbar button's system commands (and a second instance's restore).
class AppPeer : public IAppPeer {
public:
    explicit AppPeer(TApplication& app) : app_(app) {
        RegisterClasses();
        int x = GetSystemMetrics(SM_CXSCREEN) / 2, y = GetSystemMetrics(SM_CYSCREEN) / 2;
        hwnd_ = CreateWindowExA(0, kAppClass, app.Title().c_str(), WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX, x, y, 0, 0,
                                nullptr, nullptr, Inst(), nullptr);
    }
    ~AppPeer() override {
        if (hwnd_) DestroyWindow(hwnd_);
    }
    uintptr_t Handle() const override { return reinterpret_cast<uintptr_t>(hwnd_); }
    void ShowWindow(int cmd) override { ::ShowWindow(hwnd_, cmd == SW_SHOW ? SW_SHOWNA : cmd); }
    void TitleChanged() override { SetWindowTextA(hwnd_, app_.Title().c_str()); }
    void Run() override {
        if (app_.MainForm && app_.ShowMainForm) ::ShowWindow(hwnd_, SW_SHOWNA);
        MSG msg;
        while (!app_.Terminated() && GetMessageA(&msg, nullptr, 0, 0) > 0) {
            if (HandleDialogKey(msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    void Terminate() override { PostQuitMessage(0); }
    bool HelpCommand(const std::string& file, unsigned cmd, uintptr_t data) override {
        HWND owner = app_.MainForm ? reinterpret_cast<HWND>(app_.MainForm->Handle()) : hwnd_;
        return WinHelpA(owner, file.c_str(), cmd, data) != 0;
    }

private:
    TApplication& app_;
    HWND hwnd_ = nullptr;
};

}  // namespace

void ActivateTooltips(bool on) {
    for (auto& [root, tip] : g_tooltips)
        if (IsWindow(tip)) SendMessageA(tip, TTM_ACTIVATE, on ? TRUE : FALSE, 0);
}

std::unique_ptr<IControlPeer> WidgetFactory::CreatePeer(TControl& c) {
    if (auto p = CreateDialogControlPeer(c)) return p;
    return std::make_unique<ControlPeer>(c);
}
std::unique_ptr<IAppPeer> WidgetFactory::CreateAppPeer(TApplication& app) { return std::make_unique<AppPeer>(app); }

}  // namespace win32
