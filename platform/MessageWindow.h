// A hidden window owned by a component that receives asynchronous notifications
// (the dial-up service, a socket, the notification area). Messages posted to it from any
// thread are handled on the user-interface thread, in the order they were posted.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>

// What a handler returns for a message it leaves to the system's default handling.
constexpr intptr_t kMsgDefault = INTPTR_MIN;

class IMessageWindow {
public:
    // Returns the message result (or kMsgDefault). Runs on the user-interface thread.
    using Handler = std::function<intptr_t(uint32_t msg, uintptr_t wParam, intptr_t lParam)>;
    virtual ~IMessageWindow() = default;
    // The window's handle (an HWND on Windows, a unique token headless). Stable for its life.
    virtual uintptr_t Handle() const = 0;
    // Queues a message; safe from any thread. False once the window is gone.
    virtual bool Post(uint32_t msg, uintptr_t wParam, intptr_t lParam) = 0;
    // Handles a message at once on the calling (user-interface) thread.
    virtual intptr_t Send(uint32_t msg, uintptr_t wParam, intptr_t lParam) = 0;
};
