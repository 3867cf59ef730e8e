// The application object: it owns the hidden application window (the one that carries the
// taskbar button and receives its system commands) and the message loop, and knows the
// main form. Its backend peer makes the window and runs the loop.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "widgets/ControlBase.h"

class TForm;

// What a backend does for the application window.
class IAppPeer {
public:
    virtual ~IAppPeer() = default;
    virtual uintptr_t Handle() const = 0;
    virtual void ShowWindow(int cmd) = 0;
    virtual void TitleChanged() = 0;
    virtual void Run() = 0;
    virtual void Terminate() = 0;
    virtual bool HelpCommand(const std::string& file, unsigned cmd, uintptr_t data) = 0;
};

class TApplication : public TComponent {
public:
    TApplication();
    ~TApplication() override;
    void Initialize();
    uintptr_t Handle() const { return peer_ ? peer_->Handle() : 0; }
    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& t);
    std::string HelpFile;
    bool ShowMainForm = true;
    TForm* MainForm = nullptr;
    bool Terminated() const { return terminated_; }

    // ShowWindow on the application window (SW_HIDE takes the taskbar button away).
    void ShowWindow(int cmd);
    void ProcessMessages();
    void Run();
    void Terminate();
    bool HelpCommand(unsigned cmd, uintptr_t data);

    // Hooks on the application window's messages; a hook returns true when it handled one.
    using THook = std::function<bool(TMessage& m)>;
    int HookMainWindow(THook hook);
    void UnhookMainWindow(int id);
    bool RunHooks(TMessage& m);
    IAppPeer* Peer() const { return peer_.get(); }
    void SetPeer(std::unique_ptr<IAppPeer> p) { peer_ = std::move(p); }

private:
    std::string title_;
    bool terminated_ = false;
    std::unique_ptr<IAppPeer> peer_;
    std::vector<std::pair<int, THook>> hooks_;
    int nextHook_ = 1;
};

// The one application object of the program.
TApplication& Application();
