// What every control's window shares: creation at the control's bounds, the common
// properties, the default click, and the two families of peers (plain controls with
// tooltips, dialog controls tagged with their names).
#include "widgets/win32/WindowPeer.h"

#include <map>

#include "core/Utf16.h"

#include "widgets/win32/DialogKeys.h"
#include "widgets/win32/WidgetCommon.h"

namespace win32 {

namespace {
int g_updating = 0;
const wchar_t kNameProp[] = L"VelmoraName";
const wchar_t kOldProcProp[] = L"VelmoraOldProc";

// One tooltip window per top-level window, owned by it: it has no taskbar button of its
// own and goes away with its window.
std::map<HWND, HWND> g_tooltips;
}  // namespace

Updating::Updating() { ++g_updating; }
Updating::~Updating() { --g_updating; }
bool ProgramUpdating() { return g_updating != 0; }

std::string ClassOf(HWND h) {
    wchar_t buf[64] = {};
    GetClassNameW(h, buf, 64);
    return WideToUtf8(buf);
}

std::string TextOf(HWND h) {
    const int n = GetWindowTextLengthW(h);
    std::wstring s(static_cast<size_t>(n > 0 ? n : 0) + 1, L'\0');
    const int got = GetWindowTextW(h, s.data(), n + 1);
    s.resize(static_cast<size_t>(got > 0 ? got : 0));
    return WideToUtf8(s);
}

TControl* ControlOf(HWND h) { return reinterpret_cast<TControl*>(GetWindowLongPtrW(h, GWLP_USERDATA)); }

void AddTooltip(HWND owner, HWND child, const std::string& text) {
    HWND root = GetAncestor(owner, GA_ROOT);
    HWND& g_tooltip = g_tooltips[root];
    if (!g_tooltip || !IsWindow(g_tooltip)) {
        g_tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0,
                                    root, nullptr, Inst(), nullptr);
        SendMessageW(g_tooltip, TTM_SETMAXTIPWIDTH, 0, 400);
    }
    TOOLINFOW ti{};
    ti.cbSize = TTTOOLINFOW_V1_SIZE;
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = owner;
    ti.uId = reinterpret_cast<UINT_PTR>(child);
    std::wstring wide = Utf8ToWide(text);
    ti.lpszText = wide.data();
    SendMessageW(g_tooltip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    if (!text.empty()) SendMessageW(g_tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

void ActivateTooltips(bool on) {
    for (auto& [root, tip] : g_tooltips)
        if (IsWindow(tip)) SendMessageW(tip, TTM_ACTIVATE, on ? TRUE : FALSE, 0);
}

void Subclass(HWND h, WNDPROC proc) {
    if (!h || GetPropW(h, kOldProcProp)) return;
    SetPropW(h, kOldProcProp, reinterpret_cast<HANDLE>(GetWindowLongPtrW(h, GWLP_WNDPROC)));
    SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
}

LRESULT CallOldProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    auto old = reinterpret_cast<WNDPROC>(GetPropW(h, kOldProcProp));
    if (msg == WM_NCDESTROY) {
        RemovePropW(h, kOldProcProp);
        SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
    }
    return CallWindowProcW(old, h, msg, w, l);
}

void TagWithName(HWND hwnd, const std::string& name) {
    if (!hwnd || name.empty()) return;
    if (ATOM a = GlobalAddAtomW(Utf8ToWide(name).c_str())) SetPropW(hwnd, kNameProp, reinterpret_cast<HANDLE>(static_cast<uintptr_t>(a)));
}

// ---- WindowPeer ----

WindowPeer::WindowPeer(TControl& c) : c_(c) { RegisterClasses(); }

WindowPeer::~WindowPeer() { WindowPeer::Destroying(); }

void WindowPeer::Destroying() {
    if (!hwnd_) return;
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
    hwnd_ = nullptr;
}

WindowPeer* WindowPeer::Of(HWND h) {
    TControl* c = h ? ControlOf(h) : nullptr;
    return c ? dynamic_cast<WindowPeer*>(c->Peer()) : nullptr;
}

void WindowPeer::Focus() {
    if (hwnd_) SetFocus(hwnd_);
}

bool WindowPeer::ShownText(std::string& text) {
    if (!hwnd_) return false;
    text = TextOf(hwnd_);
    return true;
}

void WindowPeer::Update(TProp what) {
    if (!hwnd_) return;
    switch (what) {
        case TProp::Caption: SetText(); break;
        case TProp::Enabled: EnableWindow(hwnd_, c_.Enabled()); break;
        case TProp::Visible: Show(); break;
        case TProp::Bounds: Place(); break;
        case TProp::Font: SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(c_.Font())), TRUE); break;
        default: break;
    }
    Changed(what);
}

void WindowPeer::SetText() { SetWindowTextW(hwnd_, Utf8ToWide(c_.Caption()).c_str()); }
void WindowPeer::Show() { ShowWindow(hwnd_, c_.Visible() ? SW_SHOWNA : SW_HIDE); }
void WindowPeer::Place() {
    RECT r = ScaleRect(c_);
    MoveWindow(hwnd_, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

void WindowPeer::CreateChild(const wchar_t* cls, DWORD style, DWORD ex, const std::string& text, int height) {
    HWND parent = c_.Parent() ? reinterpret_cast<HWND>(c_.Parent()->Handle()) : nullptr;
    style |= WS_CHILD | WS_CLIPSIBLINGS;
    if (c_.Visible()) style |= WS_VISIBLE;
    if (!c_.Enabled()) style |= WS_DISABLED;
    RECT r = ScaleRect(c_);
    hwnd_ = CreateWindowExW(ex, cls, Utf8ToWide(text).c_str(), style, r.left, r.top, r.right - r.left, Scale(c_, c_.Bounds().Top + height) - r.top,
                            parent, nullptr, Inst(), nullptr);
    if (!hwnd_) return;
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&c_));
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(c_.Font())), FALSE);
}

bool WindowPeer::Command(HWND, UINT code) {
    if (code == BN_CLICKED || code == STN_CLICKED) {
        POINT at = ClickPoint();
        c_.ClickAt(at.x, at.y);
    } else if (code == STN_DBLCLK || code == BN_DOUBLECLICKED) {
        c_.DblClick();
    }
    return true;
}

POINT WindowPeer::ClickPoint() {
    POINT at{};
    GetCursorPos(&at);
    ScreenToClient(hwnd_, &at);
    return POINT{Unscale(c_, at.x), Unscale(c_, at.y)};
}

// ---- ControlPeer ----

void ControlPeer::CreateChild(const wchar_t* cls, DWORD style, DWORD ex) {
    WindowPeer::CreateChild(cls, style, ex);
    if (hwnd_ && !c_.Hint().empty()) AddTooltip(GetParent(hwnd_), hwnd_, c_.Hint());
}

void ControlPeer::Changed(TProp what) {
    if (what == TProp::Hint) AddTooltip(c_.Parent() ? GetParent(hwnd_) : hwnd_, hwnd_, c_.Hint());
    else if (what == TProp::Glyph) InvalidateRect(hwnd_, nullptr, TRUE);
}

void ControlPeer::Repaint() {
    // Now, frame and children too: a progress window is shown while its caller works
    // and does not return to the message loop.
    if (hwnd_) RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

bool ControlPeer::ClientToScreen(int& x, int& y) {
    if (!hwnd_) return false;
    POINT p{Scale(c_, x), Scale(c_, y)};
    ::ClientToScreen(hwnd_, &p);
    x = p.x;
    y = p.y;
    return true;
}

// ---- DialogPeer ----

void DialogPeer::CreateChild(const wchar_t* cls, DWORD style, DWORD ex, const std::string& text, int height) {
    WindowPeer::CreateChild(cls, style, ex, text, height);
    TagWithName(hwnd_, c_.Name());
    if (hwnd_ && !c_.Hint().empty()) AddTooltip(GetParent(hwnd_), hwnd_, c_.Hint());
}

void DialogPeer::Destroying() {
    if (!hwnd_) return;
    if (ATOM a = static_cast<ATOM>(reinterpret_cast<uintptr_t>(RemovePropW(hwnd_, kNameProp)))) GlobalDeleteAtom(a);
    WindowPeer::Destroying();
}

void DialogPeer::Update(TProp what) {
    Updating quiet;
    WindowPeer::Update(what);
    if (what == TProp::Hint && hwnd_ && c_.Parent()) AddTooltip(GetParent(hwnd_), hwnd_, c_.Hint());
}

void DialogPeer::Repaint() {
    if (hwnd_) RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

}  // namespace win32
