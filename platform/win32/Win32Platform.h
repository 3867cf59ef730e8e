// The Win32 backends of the clock, profile-independent UI services and message windows.
#pragma once
#include "platform/Clock.h"
#include "platform/Ui.h"

namespace win32 {
class Clock : public IClock {
public:
    uint32_t TickCount() override;
    void Sleep(uint32_t ms) override;
    TDateTime Now() override;
    uint32_t SetSystemTimeUtc(const TSystemTime& utc) override;
};

class Ui : public IUi {
public:
    void ProcessMessages() override;
    std::unique_ptr<IMessageWindow> CreateMessageWindow(IMessageWindow::Handler handler) override;
    uintptr_t StartTimer(uint32_t ms, std::function<void()> onTick) override;
    void StopTimer(uintptr_t id) override;
    int MsgBox(const std::string& text, const std::string& caption, uint32_t flags, int helpContext) override;
    void SetBusyCursor(bool busy) override;
};

// The module's instance handle, for resources and window classes.
void* Instance();
}  // namespace win32

#include "platform/Shell.h"

namespace win32 {
class Shell : public IShell {
public:
    bool NotifyIcon(uint32_t action, const TNotifyIconData& data) override;
    void SetForegroundWindow(uintptr_t window) override;
    void GetCursorPos(int& x, int& y) override;
    uintptr_t LoadIconResource(const std::string& name) override;
    intptr_t ShellExecute(const std::string& operation, const std::string& file, const std::string& params,
                          const std::string& dir, int show) override;
    bool PlaySound(const std::string& file) override;
    std::string SystemDirectory() override;
    bool LocalHostEntry(std::string& officialName, std::string& firstAddress) override;
    void Beep() override;
};
}  // namespace win32
