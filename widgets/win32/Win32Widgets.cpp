// Real windows for the portable forms and controls: the widget factory, which gives each
// control kind its peer (one class per kind, in the *Peers.cpp files), the application
// window, the fonts, and the file-open dialog.
#include "widgets/win32/Win32Widgets.h"

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <map>

#include "core/Utf16.h"
#include "platform/win32/Win32Platform.h"
#include "widgets/win32/DialogKeys.h"
#include "widgets/win32/GdiHandles.h"
#include "widgets/win32/WidgetCommon.h"
#include "widgets/win32/WindowPeer.h"

namespace win32 {

HINSTANCE Inst() { return GetModuleHandleW(nullptr); }

int ScreenDpi() {
    static const int dpi = [] {
        TWindowDC dc(nullptr);
        int d = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
        return d > 0 ? d : 96;
    }();
    return dpi;
}

int Scale(int v) { return MulDiv(v, ScreenDpi(), 96); }
int Unscale(int v) { return MulDiv(v, 96, ScreenDpi()); }

namespace {
std::map<const TForm*, int>& FittedForms() {
    static std::map<const TForm*, int> forms;
    return forms;
}
}  // namespace

int LayoutDpi(const TControl& c) {
    const TControl* top = &c;
    while (top->Parent()) top = top->Parent();
    auto it = FittedForms().find(static_cast<const TForm*>(top));
    return it != FittedForms().end() ? it->second : ScreenDpi();
}

void SetLayoutDpi(const TForm& form, int dpi) {
    if (dpi > 0 && dpi != ScreenDpi()) FittedForms()[&form] = dpi;
    else FittedForms().erase(&form);
}

int Scale(const TControl& c, int v) { return MulDiv(v, LayoutDpi(c), 96); }
int Unscale(const TControl& c, int v) { return MulDiv(v, 96, LayoutDpi(c)); }

RECT ScaleRect(const TControl& c) {
    const TRect& b = c.Bounds();
    return RECT{Scale(c, b.Left), Scale(c, b.Top), Scale(c, b.Left + b.Width), Scale(c, b.Top + b.Height)};
}

RECT WorkAreaOf(HWND h) {
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    HMONITOR m = h ? MonitorFromWindow(h, MONITOR_DEFAULTTOPRIMARY) : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    if (m && GetMonitorInfoW(m, &mi)) return mi.rcWork;
    RECT r{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
    return r;
}

HBITMAP LoadScaledBitmap(const std::string& res, bool keyed) {
    TBitmap bmp(static_cast<HBITMAP>(LoadImageW(Inst(), Utf8ToWide(res).c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!bmp.get() || ScreenDpi() == 96) return bmp.release();
    BITMAP bm;
    GetObject(bmp.get(), sizeof bm, &bm);
    TWindowDC screen(nullptr);
    TMemoryDC src(screen), dst(screen);
    HBITMAP big = CreateCompatibleBitmap(screen, Scale(bm.bmWidth), Scale(bm.bmHeight));
    TSelected inSrc(src, bmp.get()), inDst(dst, big);
    // Blended edges of a keyed picture would show as a fringe of near-key colours.
    SetStretchBltMode(dst, keyed ? COLORONCOLOR : HALFTONE);
    SetBrushOrgEx(dst, 0, 0, nullptr);
    StretchBlt(dst, 0, 0, Scale(bm.bmWidth), Scale(bm.bmHeight), src, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
    return big;
}

HFONT FontFor(const TFontStyle& f) {
    static std::map<std::pair<std::string, int>, HFONT> cache;
    int key = f.Size * 2 + (f.Bold ? 1 : 0);
    auto& slot = cache[{f.Name, key}];
    if (!slot) {
        int h = -MulDiv(f.Size, GetDeviceCaps(TWindowDC(nullptr), LOGPIXELSY), 72);
        slot = CreateFontW(h, 0, 0, 0, f.Bold ? FW_BOLD : FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, Utf8ToWide(f.Name).c_str());
    }
    return slot;
}

namespace {

// The hidden application window: it owns the taskbar button and the program's forms, and
// receives the taskbar button's system commands (and a second instance's restore).
class AppPeer : public IAppPeer {
public:
    explicit AppPeer(TApplication& app) : app_(app) {
        RegisterClasses();
        int x = GetSystemMetrics(SM_CXSCREEN) / 2, y = GetSystemMetrics(SM_CYSCREEN) / 2;
        hwnd_ = CreateWindowExW(0, kAppClass, Utf8ToWide(app.Title()).c_str(), WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX, x, y, 0, 0,
                                nullptr, nullptr, Inst(), nullptr);
    }
    ~AppPeer() override {
        if (hwnd_) DestroyWindow(hwnd_);
    }
    uintptr_t Handle() const override { return reinterpret_cast<uintptr_t>(hwnd_); }
    void ShowWindow(int cmd) override { ::ShowWindow(hwnd_, cmd == SW_SHOW ? SW_SHOWNA : cmd); }
    void TitleChanged() override { SetWindowTextW(hwnd_, Utf8ToWide(app_.Title()).c_str()); }
    void Run() override {
        if (app_.MainForm && app_.ShowMainForm) ::ShowWindow(hwnd_, SW_SHOWNA);
        MSG msg;
        while (!app_.Terminated() && GetMessageW(&msg, nullptr, 0, 0) > 0) {
            if (HandleDialogKey(msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    void Terminate() override { PostQuitMessage(0); }
    bool HelpCommand(const std::string& file, unsigned cmd, uintptr_t data) override {
        HWND owner = app_.MainForm ? reinterpret_cast<HWND>(app_.MainForm->Handle()) : hwnd_;
        // The help viewer takes its file in the code page: a path the page cannot hold goes
        // by its short form.
        std::wstring path = Utf8ToWide(file);
        std::string ansi;
        wchar_t brief[MAX_PATH];
        const DWORD n = FileSystem().ToCodePage(file, ansi) ? 0 : GetShortPathNameW(path.c_str(), brief, MAX_PATH);
        if (n > 0 && n < MAX_PATH) path.assign(brief, n);
        return WinHelpW(owner, path.c_str(), cmd, data) != 0;
    }

private:
    TApplication& app_;
    HWND hwnd_ = nullptr;
};

}  // namespace

std::unique_ptr<IControlPeer> WidgetFactory::CreatePeer(TControl& c) {
    switch (c.Kind()) {
        case TControlKind::Form: return NewFormPeer(c);
        case TControlKind::TitleBar: return NewTitleBarPeer(c);
        case TControlKind::Panel: return NewPanelPeer(c);
        case TControlKind::Label:
        case TControlKind::StaticText: return NewLabelPeer(c);
        case TControlKind::Bevel: return NewBevelPeer(c);
        case TControlKind::Image: return NewImagePeer(c);
        case TControlKind::Button: return NewButtonPeer(c);
        case TControlKind::CheckBox:
        case TControlKind::RadioButton: return NewCheckPeer(c);
        case TControlKind::SpeedButton:
        case TControlKind::FavoritesButton: return NewToolButtonPeer(c);
        case TControlKind::ListBox: return NewListBoxPeer(c);
        case TControlKind::StatusBar: return NewStatusBarPeer(c);
        case TControlKind::Animate: return NewAnimatePeer(c);
        case TControlKind::Edit: return NewEditPeer(c);
        case TControlKind::ComboBox: return NewComboPeer(c);
        case TControlKind::ListView: return NewListViewPeer(c);
        case TControlKind::PageControl: return NewPageControlPeer(c);
        case TControlKind::TabSheet: return NewTabSheetPeer(c);
        case TControlKind::GroupBox: return NewGroupBoxPeer(c);
    }
    return nullptr;
}

std::unique_ptr<IAppPeer> WidgetFactory::CreateAppPeer(TApplication& app) { return std::make_unique<AppPeer>(app); }

// The system's file-open dialog; the filter's "|" separators become the NULs it wants.
bool WidgetFactory::RunOpenDialog(TOpenDialog& d, uintptr_t ownerWindow) {
    std::wstring filter = Utf8ToWide(d.Filter);
    std::replace(filter.begin(), filter.end(), L'|', L'\0');
    filter.append(2, L'\0');
    const std::wstring title = Utf8ToWide(d.Title);
    wchar_t file[MAX_PATH * 2] = {};
    Utf8ToWide(d.FileName).copy(file, std::size(file) - 1);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = ownerWindow ? reinterpret_cast<HWND>(ownerWindow) : GetActiveWindow();
    ofn.lpstrFilter = d.Filter.empty() ? nullptr : filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file;
    ofn.nMaxFile = std::size(file);
    ofn.lpstrTitle = d.Title.empty() ? nullptr : title.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR | (d.HideReadOnly ? OFN_HIDEREADONLY : 0) |
                (d.PathMustExist ? OFN_PATHMUSTEXIST : 0) | (d.FileMustExist ? OFN_FILEMUSTEXIST : 0);
    if (!GetOpenFileNameW(&ofn)) return false;
    d.FileName = WideToUtf8(file);
    return true;
}


}  // namespace win32
