// The application object; see Application.h.
#include "widgets/Application.h"

#include <algorithm>

#include "platform/Platform.h"
#include "widgets/Forms.h"

TApplication::TApplication() = default;
TApplication::~TApplication() = default;

void TApplication::Initialize() {
    if (!peer_) peer_ = widgets::Factory().CreateAppPeer(*this);
}

void TApplication::SetTitle(const std::string& t) {
    title_ = t;
    if (peer_) peer_->TitleChanged();
}

void TApplication::ShowWindow(int cmd) {
    if (peer_) peer_->ShowWindow(cmd);
}

void TApplication::ProcessMessages() { platform::Ui().ProcessMessages(); }

void TApplication::Run() {
    terminated_ = false;
    if (MainForm && ShowMainForm) MainForm->Show();
    if (peer_) peer_->Run();
}

void TApplication::Terminate() {
    terminated_ = true;
    if (peer_) peer_->Terminate();
}

bool TApplication::HelpCommand(unsigned cmd, uintptr_t data) { return peer_ ? peer_->HelpCommand(HelpFile, cmd, data) : false; }

int TApplication::HookMainWindow(THook hook) {
    hooks_.emplace_back(nextHook_, std::move(hook));
    return nextHook_++;
}

void TApplication::UnhookMainWindow(int id) {
    hooks_.erase(std::remove_if(hooks_.begin(), hooks_.end(), [id](auto& h) { return h.first == id; }), hooks_.end());
}

bool TApplication::RunHooks(TMessage& m) {
    for (auto& h : hooks_)
        if (h.second(m)) return true;
    return false;
}

TApplication& Application() {
    static TApplication app;
    return app;
}
