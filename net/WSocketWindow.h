// The socket's hidden window and the routing of its messages; see WSocketWindow.cpp.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "net/SocketApi.h"
#include "platform/MessageWindow.h"

class TCustomWSocket;

class SocketWindow {
public:
    explicit SocketWindow(TCustomWSocket& owner);
    ~SocketWindow();
    IMessageWindow& Window() { return *window_; }
    // The component let go of this socket handle: whatever the system had already queued
    // for it is dropped when it arrives, even if a new socket gets the same handle value.
    void Forget(net::TSocketHandle s);

private:
    intptr_t Dispatch(uint32_t msg, uintptr_t wParam, intptr_t lParam);
    TCustomWSocket& owner_;
    std::unique_ptr<IMessageWindow> window_;
    // Handles closed whose fence message has not come back through the queue yet.
    std::vector<net::TSocketHandle> stale_;
};
