// Recording peers for forms, controls, menus and the application; see HeadlessWidgets.h.
#include "widgets/HeadlessWidgets.h"

#include "platform/Platform.h"

namespace headless {

namespace {
TControl* g_focused = nullptr;
}

TControl* FocusedControl() { return g_focused; }

ControlPeer::ControlPeer(TControl& c, uintptr_t handle) : control_(c), handle_(handle) {
    captions.push_back(c.Caption());
    if (c.Kind() == TControlKind::Form) {
        TForm* form = static_cast<TForm*>(&c);
        queue_ = platform::Ui().CreateMessageWindow([form](uint32_t msg, uintptr_t w, intptr_t l) {
            TMessage m{msg, w, l, 0, false};
            form->Dispatch(m);
            return m.Result;
        });
    }
}

void ControlPeer::Update(TProp what) {
    switch (what) {
        case TProp::Caption: captions.push_back(control_.Caption()); break;
        case TProp::Visible: visibility.push_back(control_.Visible()); break;
        case TProp::Items: {
            auto* lb = static_cast<TListBox*>(&control_);
            if (!lb->Items().empty() && lines.size() < lb->Items().size()) lines.push_back(lb->Items().back());
            break;
        }
        default: break;
    }
}

ControlPeer::~ControlPeer() {
    if (g_focused == &control_) g_focused = nullptr;
}

void ControlPeer::BringToFront() {
    ++broughtToFront;
    if (control_.Kind() == TControlKind::Form) static_cast<TForm&>(control_).Activated();
}

void ControlPeer::Focus() {
    if (g_focused == &control_) return;
    TControl* old = g_focused;
    g_focused = &control_;
    if (old) old->FocusLeft();
    control_.FocusEntered();
}

bool ControlPeer::Post(uint32_t msg, uintptr_t w, intptr_t l) { return queue_ && queue_->Post(msg, w, l); }

int ControlPeer::ShowModal() {
    if (onModal) return onModal(*static_cast<TForm*>(&control_));
    return IDOK_;
}

bool WidgetFactory::RunOpenDialog(TOpenDialog& d, uintptr_t owner) {
    openDialogs.push_back({d.Filter, d.Title, d.FileName, d.HideReadOnly, d.PathMustExist, d.FileMustExist, owner});
    return openDialogAnswer ? openDialogAnswer(d) : false;
}

std::unique_ptr<IControlPeer> WidgetFactory::CreatePeer(TControl& c) { return std::make_unique<ControlPeer>(c, next_++); }

std::unique_ptr<IMenuPeer> WidgetFactory::CreateMenuPeer(TMenu& m) { return std::make_unique<MenuPeer>(m); }

std::unique_ptr<IAppPeer> WidgetFactory::CreateAppPeer(TApplication&) { return std::make_unique<AppPeer>(); }

ControlPeer* PeerOf(const TControl& c) { return dynamic_cast<ControlPeer*>(c.Peer()); }
MenuPeer* PeerOf(const TMenu& m) { return dynamic_cast<MenuPeer*>(m.Peer()); }
AppPeer* PeerOf(TApplication& a) { return dynamic_cast<AppPeer*>(a.Peer()); }

}  // namespace headless
