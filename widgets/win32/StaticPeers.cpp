// Controls that show and do not take input: labels and static texts, bevels, pictures and
// the status bar with its panels. The animation control is in AnimatePeer.cpp.
#include <algorithm>
#include <vector>

#include "widgets/win32/GdiHandles.h"
#include "core/Utf16.h"
#include "widgets/win32/WidgetCommon.h"
#include "widgets/win32/WindowPeer.h"

namespace win32 {
namespace {

// Later siblings go below earlier ones; a label or picture must stand above the bevel it
// is on.
void ToTop(HWND h) {
    if (h) SetWindowPos(h, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

bool IsLabel(const TControl* c) { return c && (c->Kind() == TControlKind::Label || c->Kind() == TControlKind::StaticText); }

// A label wider than its place in the layout (another font than the layout was measured
// with) pushes the labels after it on its row to the right, keeping the gap the layout
// gives between them, so that a caption does not run into the count beside it.
void MakeRoom(HWND parent) {
    struct Item {
        HWND h;
        TRect b;
        int right;  // in pixels, where the window ends once placed
        const TControl* c;
    };
    std::vector<Item> row;
    for (HWND h = GetWindow(parent, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
        if (TControl* c = ControlOf(h); IsLabel(c)) row.push_back({h, c->Bounds(), 0, c});
    std::sort(row.begin(), row.end(), [](const Item& a, const Item& b) { return a.b.Left < b.b.Left; });
    for (size_t i = 0; i < row.size(); ++i) {
        const TRect& b = row[i].b;
        int x = Scale(*row[i].c, b.Left);
        for (size_t j = 0; j < i; ++j) {
            const TRect& o = row[j].b;
            bool sameRow = o.Top < b.Top + b.Height && b.Top < o.Top + o.Height;
            if (sameRow && o.Left + o.Width <= b.Left) x = std::max(x, row[j].right + Scale(*row[i].c, b.Left - o.Left - o.Width));
        }
        RECT wr;
        GetWindowRect(row[i].h, &wr);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&wr), 2);
        if (wr.left != x) SetWindowPos(row[i].h, nullptr, x, wr.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        row[i].right = x + (wr.right - wr.left);
    }
}

class LabelPeer : public ControlPeer {
public:
    explicit LabelPeer(TControl& c) : ControlPeer(c) {
        DWORD style = SS_NOTIFY | SS_LEFT;
        if (c.Kind() == TControlKind::Label)
            style = SS_NOTIFY | (c.CenterText ? SS_CENTER : c.WordWrap() ? SS_LEFT : SS_LEFTNOWORDWRAP);
        CreateChild(L"STATIC", style, 0);
        if (!hwnd_) return;
        ToTop(hwnd_);
        AutoSize();
    }

    // Transparent text; over a form's tiled picture, the picture is its background.
    bool ColorStatic(HWND container, HDC dc, LRESULT& brush) override {
        SetBkMode(dc, TRANSPARENT);
        HWND root = GetAncestor(container, GA_ROOT);
        auto* top = static_cast<TForm*>(ControlOf(root));
        bool tiled = top && top->Kind() == TControlKind::Form && !top->BackgroundTile.empty();
        if (tiled) {
            // Paint the form's picture behind the text, as the label's own background.
            POINT at{0, 0};
            MapWindowPoints(hwnd_, root, &at, 1);
            POINT old;
            SetViewportOrgEx(dc, -at.x, -at.y, &old);
            TileBackground(root, dc, top->BackgroundTile);
            SetViewportOrgEx(dc, old.x, old.y, nullptr);
        }
        brush = reinterpret_cast<LRESULT>(tiled ? GetStockObject(NULL_BRUSH) : GetSysColorBrush(COLOR_BTNFACE));
        return true;
    }

protected:
    void Changed(TProp what) override {
        if (what == TProp::Bounds) AutoSize();
        if (what != TProp::Caption) return ControlPeer::Changed(what);
        AutoSize();
        if (c_.Kind() == TControlKind::Label) RedrawLabel();
    }

private:
    // A one-line label is as wide as its text, so no text is cut off whatever the font.
    void AutoSize() {
        if (c_.Kind() != TControlKind::Label || c_.WordWrap() || c_.CenterText) return MakeRoom(GetParent(hwnd_));
        SIZE sz{};
        {
            TWindowDC dc(hwnd_);
            TSelected font(dc, FontFor(c_.Font()));
            const std::wstring caption = Utf8ToWide(c_.Caption());
            GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &sz);
        }
        RECT r = ScaleRect(c_);
        int w = std::max<int>(sz.cx + 1, r.right - r.left);
        SetWindowPos(hwnd_, nullptr, 0, 0, w, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        MakeRoom(GetParent(hwnd_));
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
};

class BevelPeer : public ControlPeer {
public:
    explicit BevelPeer(TControl& c) : ControlPeer(c) { CreateChild(L"STATIC", 0, WS_EX_STATICEDGE); }
};

// A picture: the bitmap resource named by the control's glyph.
class ImagePeer : public ControlPeer {
public:
    explicit ImagePeer(TControl& c) : ControlPeer(c) {
        CreateChild(L"STATIC", SS_BITMAP | SS_NOTIFY, 0);
        if (!hwnd_) return;
        ToTop(hwnd_);
        ShowPicture();
    }

protected:
    void Changed(TProp what) override {
        if (what == TProp::Glyph) ShowPicture();
        ControlPeer::Changed(what);
    }

private:
    void ShowPicture() {
        if (c_.Glyph().empty()) return;
        HBITMAP bmp = LoadScaledBitmap(c_.Glyph(), false);
        if (!bmp) return;
        auto old = reinterpret_cast<HBITMAP>(SendMessageW(hwnd_, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bmp)));
        TBitmap replaced(old != bmp ? old : nullptr);
    }
};

class StatusBarPeer : public ControlPeer {
public:
    explicit StatusBarPeer(TControl& c) : ControlPeer(c), sb_(static_cast<TStatusBar&>(c)) {
        CreateChild(STATUSCLASSNAMEW, CCS_BOTTOM, 0);
        if (hwnd_) FillPanels();
    }

protected:
    // The bar places itself along its parent's bottom edge.
    void Place() override { SendMessageW(hwnd_, WM_SIZE, 0, 0); }
    void Changed(TProp what) override {
        if (what == TProp::Panels) FillPanels();
        else ControlPeer::Changed(what);
    }

private:
    void FillPanels() {
        std::vector<int> edges;
        int x = 0;
        for (size_t i = 0; i < sb_.Panels().size(); ++i) {
            x += Scale(c_, sb_.Panels()[i].Width);
            edges.push_back(i + 1 == sb_.Panels().size() ? -1 : x);
        }
        if (edges.empty()) return;
        SendMessageW(hwnd_, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
        for (size_t i = 0; i < sb_.Panels().size(); ++i)
            SendMessageW(hwnd_, SB_SETTEXTW, i, reinterpret_cast<LPARAM>(Utf8ToWide(sb_.Panels()[i].Text).c_str()));
    }

    TStatusBar& sb_;
};

}  // namespace

std::unique_ptr<IControlPeer> NewLabelPeer(TControl& c) { return std::make_unique<LabelPeer>(c); }
std::unique_ptr<IControlPeer> NewBevelPeer(TControl& c) { return std::make_unique<BevelPeer>(c); }
std::unique_ptr<IControlPeer> NewImagePeer(TControl& c) { return std::make_unique<ImagePeer>(c); }
std::unique_ptr<IControlPeer> NewStatusBarPeer(TControl& c) { return std::make_unique<StatusBarPeer>(c); }

}  // namespace win32
