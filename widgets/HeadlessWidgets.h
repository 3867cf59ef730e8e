// The headless backend of forms and controls: peers that remember what they were told,
// so a test can say "the status went Dialing..., then Connected.".
#pragma once
#include <map>
#include <string>
#include <vector>

#include "platform/MessageWindow.h"
#include "widgets/Forms.h"

namespace headless {

class ControlPeer : public IControlPeer {
public:
    explicit ControlPeer(TControl& c, uintptr_t handle);
    ~ControlPeer() override;
    void Update(TProp what) override;
    uintptr_t Handle() const override { return handle_; }
    void Repaint() override { ++repaints; }
    // A form brought to the front becomes the active window.
    void BringToFront() override;
    // The focus moves here: the control that had it is told it left, this one that it came.
    void Focus() override;
    bool Post(uint32_t msg, uintptr_t w, intptr_t l) override;
    int ShowModal() override;
    void Play(bool active) override { plays.push_back(active); }

    std::vector<std::string> captions;  // every caption given, the first one included
    std::vector<bool> visibility;       // every change of Visible
    std::vector<std::string> lines;     // list boxes: every line added, in order
    std::vector<bool> plays;
    int repaints = 0, broughtToFront = 0;
    // ShowModal: what the modal loop does before it returns (e.g. press a button).
    std::function<int(TForm&)> onModal;

private:
    TControl& control_;
    uintptr_t handle_;
    std::unique_ptr<IMessageWindow> queue_;  // forms: their posted messages
};

class MenuPeer : public IMenuPeer {
public:
    explicit MenuPeer(TMenu& m) : menu_(m) {}
    void ItemChanged(TMenuItem&) override { ++changes; }
    void Rebuild() override {}
    uintptr_t Handle() const override { return reinterpret_cast<uintptr_t>(&menu_); }
    void Popup(int x, int y) override { popups.push_back({x, y}); }
    int changes = 0;
    std::vector<std::pair<int, int>> popups;

private:
    TMenu& menu_;
};

class AppPeer : public IAppPeer {
public:
    uintptr_t Handle() const override { return 0xA770; }
    void ShowWindow(int cmd) override { showCalls.push_back(cmd); }
    void TitleChanged() override {}
    void Run() override {}
    void Terminate() override { ++terminations; }
    bool HelpCommand(const std::string& file, unsigned cmd, uintptr_t) override {
        helpCalls.push_back({file, cmd});
        return true;
    }
    std::vector<int> showCalls;
    std::vector<std::pair<std::string, unsigned>> helpCalls;
    int terminations = 0;
};

// One file-open dialog the program asked for, as it stood when shown.
struct OpenDialogCall {
    std::string Filter, Title, FileName;
    bool HideReadOnly, PathMustExist, FileMustExist;
    uintptr_t owner;
};

class WidgetFactory : public IWidgetFactory {
public:
    std::unique_ptr<IControlPeer> CreatePeer(TControl& c) override;
    std::unique_ptr<IMenuPeer> CreateMenuPeer(TMenu& m) override;
    std::unique_ptr<IAppPeer> CreateAppPeer(TApplication& app) override;
    bool RunOpenDialog(TOpenDialog& dialog, uintptr_t ownerWindow) override;
    // What the user does in a file-open dialog: choose a file (set FileName, return true)
    // or cancel (false). Unset: every dialog is cancelled.
    std::function<bool(TOpenDialog&)> openDialogAnswer;
    std::vector<OpenDialogCall> openDialogs;

private:
    uintptr_t next_ = 0x20000;
};

// The control that has the focus (nullptr: none has had it yet).
TControl* FocusedControl();

// The recording peer of a realized control or menu (nullptr if it has none).
ControlPeer* PeerOf(const TControl& c);
MenuPeer* PeerOf(const TMenu& m);
AppPeer* PeerOf(TApplication& a);

}  // namespace headless
