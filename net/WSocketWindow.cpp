// Window-message plumbing of the asynchronous socket: the hidden window each component owns,
// the dispatch of its private messages, and the rule that messages for a socket that has
// been closed are dropped here, before any of the component's logic sees them.
//
// Winsock may already have queued events for a socket when it is closed, and it may give
// the next socket the very same handle value. So closing posts a fence message behind
// whatever is queued; until the fence comes back, events carrying the old handle are stale.
#include "net/WSocketWindow.h"

#include <algorithm>

#include "net/WSocket.h"
#include "platform/Platform.h"

namespace {
constexpr uint32_t WM_SOCKET_FENCE = 1031;
}

SocketWindow::SocketWindow(TCustomWSocket& owner) : owner_(owner) {
    window_ = platform::Ui().CreateMessageWindow(
        [this](uint32_t msg, uintptr_t w, intptr_t l) { return Dispatch(msg, w, l); });
}

SocketWindow::~SocketWindow() = default;

void SocketWindow::Forget(net::TSocketHandle s) {
    if (s == net::kInvalidSocket) return;
    if (window_->Post(WM_SOCKET_FENCE, s, 0)) stale_.push_back(s);
}

intptr_t SocketWindow::Dispatch(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    TCustomWSocket& s = owner_;
    try {
        switch (msg) {
            case WM_ASYNCSELECT: {
                auto h = static_cast<net::TSocketHandle>(wParam);
                if (std::find(stale_.begin(), stale_.end(), h) != stale_.end()) return 0;
                // While a close waits for the system, the socket's own events would close it
                // a second time from inside the first close.
                if (h == net::kInvalidSocket || h != s.hSocket_ || s.paused_ || s.closing_) return 0;
                s.HandleSocketEvent(wParam, lParam);
                return 0;
            }
            case WM_SOCKET_FENCE: {
                auto it = std::find(stale_.begin(), stale_.end(), static_cast<net::TSocketHandle>(wParam));
                if (it != stale_.end()) stale_.erase(it);
                return 0;
            }
            case WM_ASYNCGETHOSTBYNAME:
            case WM_ASYNCGETHOSTBYADDR:
                s.HandleLookupDone(msg, wParam, lParam);
                return 0;
            case WM_CLOSE_DELAYED:
                s.Close();
                return 0;
            case WM_TRIGGER_EXCEPTION:
                throw ESocketException("Test exception in WSocket");
            default:
                return kMsgDefault;
        }
    } catch (const Exception& e) {
        s.HandleBackgroundException(e);
        return 0;
    }
}
