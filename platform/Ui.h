// The user-interface seam: the message queue, window timers, hidden message windows,
// message boxes and the other small services the program asks of the windowing system.
// Forms and controls (widgets/Controls.h) talk to it through their peers.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/MessageWindow.h"

// Message box styles and answers, with the values of the Windows API.
enum : uint32_t {
    MB_OK_ = 0x0, MB_OKCANCEL_ = 0x1, MB_YESNOCANCEL_ = 0x3, MB_YESNO_ = 0x4,
    MB_ICONERROR_ = 0x10, MB_ICONQUESTION_ = 0x20, MB_ICONWARNING_ = 0x30, MB_ICONINFORMATION_ = 0x40,
    MB_DEFBUTTON2_ = 0x100,
    // Ours, not the Windows API's: the box does not take the foreground from another
    // program (a question that one stray Enter must not answer). Other boxes come forward.
    MB_STAYBEHIND_ = 0x40000000,
};
enum : int { IDOK_ = 1, IDCANCEL_ = 2, IDYES_ = 6, IDNO_ = 7 };

class IUi {
public:
    virtual ~IUi() = default;
    // Handles every message waiting in the user-interface thread's queue, including those
    // posted while doing so, then returns.
    virtual void ProcessMessages() = 0;
    virtual std::unique_ptr<IMessageWindow> CreateMessageWindow(IMessageWindow::Handler handler) = 0;
    // A window timer: onTick runs on the user-interface thread every ms milliseconds,
    // only while that thread waits in its message loop. Returns a non-zero id.
    virtual uintptr_t StartTimer(uint32_t ms, std::function<void()> onTick) = 0;
    virtual void StopTimer(uintptr_t id) = 0;
    // A modal message box; returns the button pressed (IDOK_, IDYES_, ...).
    virtual int MsgBox(const std::string& text, const std::string& caption, uint32_t flags,
                           int helpContext) = 0;
    // The hourglass (true) or the default cursor (false) over the whole screen.
    virtual void SetBusyCursor(bool busy) = 0;
    // The tick count at which the message being handled was posted (by the system, for a
    // socket's notice: when the data arrived); 0 when not known.
    virtual uint32_t MessageTick() { return 0; }
};
