// Menu items and menus; see Menus.h.
#include "widgets/Menus.h"

namespace {
uint32_t g_nextCommand = 100;
}

TMenuItem::TMenuItem(TMenu* menu, TMenuItem* parent, const std::string& name, const std::string& caption)
    : TComponent(parent), menu_(menu), caption_(caption), command_(g_nextCommand++) {
    SetName(name);
}

void TMenuItem::SetCaption(const std::string& s) {
    caption_ = s;
    if (menu_) menu_->Notify(*this);
}
void TMenuItem::SetEnabled(bool v) {
    enabled_ = v;
    if (menu_) menu_->Notify(*this);
}
void TMenuItem::SetChecked(bool v) {
    checked_ = v;
    if (menu_) menu_->Notify(*this);
}
void TMenuItem::Click() {
    if (OnClick) OnClick(this);
}
TMenuItem* TMenuItem::Add(const std::string& name, const std::string& caption) {
    items_.push_back(std::make_unique<TMenuItem>(menu_, this, name, caption));
    return items_.back().get();
}

TMenu::TMenu(TComponent* owner, const std::string& name, bool popup) : TComponent(owner), root_(this, nullptr, name, ""), popup_(popup) {
    SetName(name);
}
TMenu::~TMenu() = default;

void TMenu::Realize() {
    if (!peer_) peer_ = widgets::Factory().CreateMenuPeer(*this);
}

static TMenuItem* FindIn(TMenuItem& item, uint32_t cmd) {
    for (int i = 0; i < item.Count(); ++i) {
        TMenuItem* c = item.Items(i);
        if (c->Command() == cmd) return c;
        if (TMenuItem* f = FindIn(*c, cmd)) return f;
    }
    return nullptr;
}

TMenuItem* TMenu::FindCommand(uint32_t cmd) { return FindIn(root_, cmd); }

void TMenu::Popup(int x, int y) {
    if (peer_) peer_->Popup(x, y);
}
