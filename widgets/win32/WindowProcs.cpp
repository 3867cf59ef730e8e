// The window procedures of forms, panels and the hidden application window. What a child
// control reports to its container (WM_COMMAND, WM_NOTIFY, owner drawing, static colours)
// goes back to that control's peer, so no form needs a switch over control ids; what is
// left is the form's own: its messages, its menu, F1, its background.
#include "platform/Platform.h"
#include "platform/win32/Win32Platform.h"
#include "widgets/win32/DialogKeys.h"
#include "widgets/win32/WidgetCommon.h"
#include "widgets/win32/WindowPeer.h"

namespace win32 {
namespace {

TMessage ToMessage(UINT msg, WPARAM w, LPARAM l) { return TMessage{msg, w, l, 0, false}; }

// Handles what a container (form, panel or page) receives on behalf of its children.
bool RouteChildMessage(HWND hwnd, UINT msg, WPARAM w, LPARAM l, LRESULT& result) {
    switch (msg) {
        case WM_COMMAND: {
            auto child = reinterpret_cast<HWND>(l);
            WindowPeer* p = WindowPeer::Of(child);
            if (!p || !p->Command(child, HIWORD(w))) return false;
            result = 0;
            return true;
        }
        case WM_NOTIFY: {
            const auto* hdr = reinterpret_cast<const NMHDR*>(l);
            WindowPeer* p = hdr ? WindowPeer::Of(hdr->hwndFrom) : nullptr;
            if (!p || !p->Notify(*hdr, l)) return false;
            result = 0;
            return true;
        }
        case WM_DRAWITEM: {
            const auto* di = reinterpret_cast<const DRAWITEMSTRUCT*>(l);
            WindowPeer* p = di ? WindowPeer::Of(di->hwndItem) : nullptr;
            if (!p || !p->DrawItem(*di)) return false;
            result = TRUE;
            return true;
        }
        case WM_CTLCOLORSTATIC: {
            WindowPeer* p = WindowPeer::Of(reinterpret_cast<HWND>(l));
            return p && p->ColorStatic(hwnd, reinterpret_cast<HDC>(w), result);
        }
        case WM_SETCURSOR: {
            TControl* c = ControlOf(reinterpret_cast<HWND>(w));
            if (c && c->HandCursor()) {
                SetCursor(LoadCursorW(nullptr, IDC_HAND));
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
    return DefWindowProcW(hwnd, msg, w, l);
}

LRESULT FormProcInner(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
    auto* form = static_cast<TForm*>(ControlOf(hwnd));
    if (!form) return DefWindowProcW(hwnd, msg, w, l);
    if (LRESULT r = 0; DialogFormMessage(hwnd, *form, msg, w, l, r)) return r;
    if (form->TitleBar && (msg == WM_NCPAINT || msg == WM_NCACTIVATE || msg == WM_SETTEXT)) {
        LRESULT r = DefWindowProcW(hwnd, msg, w, l);
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
        case WM_HELP: {
            // F1: a message box passes on its own context; else the highlighted menu item's,
            // else that of the control with the focus (or the page in front), else the form's.
            const auto* hi = reinterpret_cast<const HELPINFO*>(l);
            int context = form->HelpContext();
            if (hi && hi->iContextType == HELPINFO_MENUITEM && form->Menu) {
                if (TMenuItem* item = form->Menu->FindCommand(static_cast<unsigned>(hi->iCtrlId)))
                    if (item->HelpContext) context = item->HelpContext;
            } else if (hi && hi->dwContextId) {
                context = static_cast<int>(hi->dwContextId);
            } else if (int box = win32::OpenBoxHelpContext()) {
                context = box;  // F1 on an open message box that passed no context of its own
            } else if (auto item = static_cast<HWND>(hi ? hi->hItemHandle : nullptr); item && IsChild(hwnd, item)) {
                // Our own controls only: another window's user data is not a control.
                if (TControl* c = ControlOf(item); c && c->HelpContextInFront()) context = c->HelpContextInFront();
            }
            if (context) Application().HelpCommand(HELP_CONTEXT, static_cast<uintptr_t>(context));
            return TRUE;
        }
        case WM_ERASEBKGND:
            if (!form->BackgroundTile.empty() && TileBackground(hwnd, reinterpret_cast<HDC>(w), form->BackgroundTile))
                return 1;
            break;
    }
    return DefWindowProcW(hwnd, msg, w, l);
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
    return DefWindowProcW(hwnd, msg, w, l);
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

}  // namespace

void RegisterClasses() {
    static bool done = false;
    if (done) return;
    done = true;
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_ANIMATE_CLASS | ICC_TAB_CLASSES};
    InitCommonControlsEx(&icc);
    WNDCLASSW wc{};
    wc.hInstance = Inst();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.hIcon = LoadIconW(Inst(), L"MAINICON");
    wc.lpfnWndProc = FormProc;
    wc.lpszClassName = kFormClass;
    wc.style = CS_DBLCLKS;
    RegisterClassW(&wc);
    wc.lpfnWndProc = PanelProc;
    wc.lpszClassName = kPanelClass;
    wc.hIcon = nullptr;
    RegisterClassW(&wc);
    wc.lpfnWndProc = AppProc;
    wc.lpszClassName = kAppClass;
    wc.hIcon = LoadIconW(Inst(), L"MAINICON");
    RegisterClassW(&wc);
}

}  // namespace win32
