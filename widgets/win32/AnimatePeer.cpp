// The animation control: plays one of the program's AVI clips (one uncompressed 8-bit video
// stream, as tools/resgen writes them) drawn at the form's dpi and centred in the control,
// so that it grows with the screen as the rest of the window does; the system's animation
// control shows a clip only at its own size.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/Utf16.h"
#include "widgets/win32/WidgetCommon.h"
#include "widgets/win32/WindowPeer.h"

namespace win32 {
namespace {

uint32_t U32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }

// A clip as the resource holds it: the frame format, the frames' pixels and the pace.
struct Clip {
    std::vector<uint8_t> format;  // BITMAPINFOHEADER and palette
    std::vector<const uint8_t*> frames;
    UINT msPerFrame = 100;
    const BITMAPINFO* Info() const { return reinterpret_cast<const BITMAPINFO*>(format.data()); }
};

// Walks the RIFF chunks of [p, end), lists included; false when a chunk runs past the end.
bool ReadChunks(const uint8_t* p, const uint8_t* end, Clip& clip) {
    while (end - p >= 8) {
        const uint32_t size = U32(p + 4);
        const uint8_t* data = p + 8;
        if (size > static_cast<uint32_t>(end - data)) return false;
        if (!std::memcmp(p, "LIST", 4) || !std::memcmp(p, "RIFF", 4)) {
            if (size < 4 || !ReadChunks(data + 4, data + size, clip)) return false;
        } else if (!std::memcmp(p, "avih", 4) && size >= 4) {
            clip.msPerFrame = std::max<UINT>(10, U32(data) / 1000);
        } else if (!std::memcmp(p, "strf", 4) && size >= sizeof(BITMAPINFOHEADER)) {
            clip.format.assign(data, data + size);
        } else if (!std::memcmp(p, "00db", 4)) {
            clip.frames.push_back(data);
        }
        p = data + size + (size & 1);
    }
    return true;
}

bool LoadClip(const std::string& name, Clip& clip) {
    clip = Clip{};
    HRSRC res = name.empty() ? nullptr : FindResourceW(Inst(), Utf8ToWide(name).c_str(), L"AVI");
    HGLOBAL mem = res ? LoadResource(Inst(), res) : nullptr;
    const auto* bytes = mem ? static_cast<const uint8_t*>(LockResource(mem)) : nullptr;
    if (!bytes || !ReadChunks(bytes, bytes + SizeofResource(Inst(), res), clip)) return false;
    const BITMAPINFOHEADER& h = clip.Info()->bmiHeader;
    const uint32_t frameBytes = (static_cast<uint32_t>(h.biWidth) * h.biBitCount + 31) / 32 * 4 * std::abs(h.biHeight);
    // Every frame must hold a whole picture of the stated format.
    for (const uint8_t* f : clip.frames)
        if (U32(f - 4) < frameBytes) return false;
    return !clip.format.empty() && h.biBitCount == 8 && h.biCompression == BI_RGB && !clip.frames.empty();
}

class AnimatePeer : public ControlPeer {
public:
    explicit AnimatePeer(TControl& c) : ControlPeer(c), a_(static_cast<TAnimate&>(c)) {
        CreateChild(L"STATIC", SS_NOTIFY, 0);
        if (!hwnd_) return;
        Subclass(hwnd_, Proc);
        Open();
    }

    void Play(bool active) override {
        if (!hwnd_) return;
        KillTimer(hwnd_, kTimer);
        if (active && loaded_) SetTimer(hwnd_, kTimer, clip_.msPerFrame, nullptr);
    }

protected:
    void Changed(TProp what) override {
        if (what == TProp::Animation) Open();
        else ControlPeer::Changed(what);
    }

private:
    static constexpr UINT_PTR kTimer = 1;

    static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
        auto* self = dynamic_cast<AnimatePeer*>(WindowPeer::Of(h));
        if (self && msg == WM_TIMER && w == kTimer) {
            self->frame_ = (self->frame_ + 1) % self->clip_.frames.size();
            InvalidateRect(h, nullptr, FALSE);
            return 0;
        }
        if (self && msg == WM_PAINT) {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(h, &ps);
            self->Paint(dc);
            EndPaint(h, &ps);
            return 0;
        }
        if (msg == WM_ERASEBKGND) return 1;
        return CallOldProc(h, msg, w, l);
    }

    void Open() {
        KillTimer(hwnd_, kTimer);
        loaded_ = LoadClip(a_.ResName(), clip_);
        frame_ = 0;
        InvalidateRect(hwnd_, nullptr, TRUE);
    }

    // The frame at the form's dpi, centred; the rest of the control in the button face
    // (the colour the clips are drawn on).
    void Paint(HDC dc) {
        RECT r;
        GetClientRect(hwnd_, &r);
        FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
        if (!loaded_) return;
        const BITMAPINFOHEADER& h = clip_.Info()->bmiHeader;
        const int w = Scale(c_, h.biWidth), ht = Scale(c_, std::abs(h.biHeight));
        SetStretchBltMode(dc, COLORONCOLOR);
        StretchDIBits(dc, (r.right - w) / 2, (r.bottom - ht) / 2, w, ht, 0, 0, h.biWidth, std::abs(h.biHeight),
                      clip_.frames[frame_], clip_.Info(), DIB_RGB_COLORS, SRCCOPY);
    }

    TAnimate& a_;
    Clip clip_;
    bool loaded_ = false;
    size_t frame_ = 0;
};

}  // namespace

std::unique_ptr<IControlPeer> NewAnimatePeer(TControl& c) { return std::make_unique<AnimatePeer>(c); }

}  // namespace win32
