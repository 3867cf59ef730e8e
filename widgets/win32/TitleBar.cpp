// The drawn title bar some forms carry: a gradient from deep blue to teal (greys when
// inactive) in the window's caption, with the small icon, the application name in bold and
// a second text after it. Its control has no window; the form paints it in its frame.
#include <string>

#include "widgets/win32/GdiHandles.h"
#include "core/Utf16.h"
#include "widgets/win32/WidgetCommon.h"
#include "widgets/win32/WindowPeer.h"

namespace win32 {

void PaintTitleBar(HWND hwnd, const TForm& form, bool active) {
    const TControl* tb = form.TitleBar;
    if (!tb || !tb->Visible() || !(GetWindowLongW(hwnd, GWL_STYLE) & WS_CAPTION) || IsIconic(hwnd)) return;
    RECT wr;
    GetWindowRect(hwnd, &wr);
    int fx = GetSystemMetrics(SM_CXFIXEDFRAME), fy = GetSystemMetrics(SM_CYFIXEDFRAME);
    int ch = GetSystemMetrics(SM_CYCAPTION) - 1;
    int buttons = 3 * GetSystemMetrics(SM_CXSIZE) + 4;
    RECT r{fx, fy, (wr.right - wr.left) - fx - buttons, fy + ch};
    if (r.right <= r.left) return;
    TWindowDC dc(hwnd, true);
    COLORREF from = active ? RGB(10, 36, 106) : RGB(128, 128, 128);
    COLORREF to = active ? RGB(24, 140, 160) : RGB(192, 192, 192);
    int width = r.right - r.left;
    for (int x = 0; x < width; ++x) {
        int rr = GetRValue(from) + (GetRValue(to) - GetRValue(from)) * x / width;
        int gg = GetGValue(from) + (GetGValue(to) - GetGValue(from)) * x / width;
        int bb = GetBValue(from) + (GetBValue(to) - GetBValue(from)) * x / width;
        TBrush br(CreateSolidBrush(RGB(rr, gg, bb)));
        RECT col{r.left + x, r.top, r.left + x + 1, r.bottom};
        FillRect(dc, &col, br.get());
    }
    int x = r.left + 2;
    HICON icon = reinterpret_cast<HICON>(SendMessageW(hwnd, WM_GETICON, ICON_SMALL, 0));
    if (icon) {
        const int side = Scale(16);
        DrawIconEx(dc, x, r.top + (ch - side) / 2, icon, side, side, 0, nullptr, DI_NORMAL);
        x += side + Scale(4);
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, active ? RGB(255, 255, 255) : RGB(224, 224, 224));
    TFontStyle f;
    f.Bold = true;
    HGDIOBJ old = SelectObject(dc, FontFor(f));
    RECT tr{x, r.top, r.right, r.bottom};
    const std::wstring caption = Utf8ToWide(tb->Caption());
    DrawTextW(dc, caption.c_str(), -1, &tr, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX | DT_CALCRECT);
    tr.bottom = r.bottom;
    tr.top = r.top;
    DrawTextW(dc, caption.c_str(), -1, &tr, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
    std::string second = tb->Hint();
    if (second.empty() && form.TitleBarShowsCaption) second = form.Caption();
    if (!second.empty()) {
        SelectObject(dc, FontFor(TFontStyle{}));
        RECT nr{tb->Caption().empty() ? x : tr.right + Scale(6), r.top, r.right, r.bottom};
        DrawTextW(dc, Utf8ToWide(second).c_str(), -1, &nr, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    SelectObject(dc, old);
}

namespace {

class TitleBarPeer : public IControlPeer {
public:
    explicit TitleBarPeer(TControl& c) : c_(c) {}
    uintptr_t Handle() const override { return 0; }
    // The texts are drawn in the owning form's frame: repaint it.
    void Update(TProp) override {
        if (auto* f = dynamic_cast<TForm*>(c_.Owner()); f && f->Handle())
            RedrawWindow(reinterpret_cast<HWND>(f->Handle()), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
    }

private:
    TControl& c_;
};

}  // namespace

std::unique_ptr<IControlPeer> NewTitleBarPeer(TControl& c) { return std::make_unique<TitleBarPeer>(c); }

}  // namespace win32
