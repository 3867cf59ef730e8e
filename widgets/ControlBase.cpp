// The portable half of every control: its properties, its peer, and the factory that
// makes peers; see ControlBase.h.
#include "widgets/ControlBase.h"

#include <algorithm>
#include <stdexcept>

#include "platform/Services.h"
#include "widgets/CommonControls.h"
#include "widgets/Forms.h"

namespace widgets {
IWidgetFactory& Factory() {
    IWidgetFactory* factory = platform::Installed().widgets;
    if (!factory) throw std::logic_error("no widget factory installed");
    return *factory;
}
}  // namespace widgets

// ---- TControl ----

TControl::TControl(TComponent* owner, TWinControl* parent, TControlKind kind, const std::string& name)
    : TComponent(owner), kind_(kind), parent_(parent) {
    SetName(name);
    if (parent_) parent_->AddChild(this);
}

TControl::~TControl() {
    if (peer_) peer_->Destroying();
    peer_.reset();
    if (parent_) parent_->RemoveChild(this);
}

void TControl::Realize() {
    if (!peer_) peer_ = widgets::Factory().CreatePeer(*this);
}

void TControl::Changed(TProp p) {
    if (peer_) peer_->Update(p);
}

void TControl::SetCaption(const std::string& s) {
    caption_ = s;
    Changed(TProp::Caption);
}
void TControl::SetEnabled(bool v) {
    enabled_ = v;
    Changed(TProp::Enabled);
}
void TControl::SetVisible(bool v) {
    visible_ = v;
    Changed(TProp::Visible);
}
void TControl::SetHint(const std::string& s) {
    hint_ = s;
    Changed(TProp::Hint);
}
void TControl::SetBounds(int left, int top, int width, int height) {
    bounds_ = TRect{left, top, width, height};
    Changed(TProp::Bounds);
}
void TControl::SetFont(const TFontStyle& f) {
    font_ = f;
    Changed(TProp::Font);
}
void TControl::SetChecked(bool v) {
    checked_ = v;
    Changed(TProp::Checked);
}
void TControl::SetHandCursor(bool v) {
    handCursor_ = v;
    Changed(TProp::Cursor);
}
void TControl::SetGlyph(const std::string& resName) {
    glyph_ = resName;
    Changed(TProp::Glyph);
}
void TControl::Repaint() {
    if (peer_) peer_->Repaint();
}
void TControl::Click() {
    if (OnClick) OnClick(this);
}
void TControl::DblClick() {
    if (OnDblClick) OnDblClick(this);
}

void TControl::TextChangedByUser(const std::string& text) {
    caption_ = text;
    if (OnChange) OnChange(this);
}
void TControl::FocusEntered() {
    if (TForm* form = FormOf(this)) form->FocusMoved(this);
    if (OnEnter) OnEnter(this);
}
void TControl::FocusLeft() {
    if (TForm* form = FormOf(this); form && EnterButton) form->FocusMoved(nullptr);
    if (OnExit) OnExit(this);
}
void TControl::SetDefault(bool v) {
    if (default_ == v) return;
    default_ = v;
    Changed(TProp::Default);
}
void TControl::KeyReleased(uint16_t key) {
    if (OnKeyUp) OnKeyUp(this, key);
}
void TControl::SetFocus() {
    if (peer_) peer_->Focus();
}

bool TControl::Showing() const {
    for (const TControl* c = this; c; c = c->Parent())
        if (!c->Visible()) return false;
    return true;
}

bool TControl::CanTabTo() const {
    switch (kind_) {
        case TControlKind::Button:
        case TControlKind::CheckBox:
        case TControlKind::RadioButton:
        case TControlKind::Edit:
        case TControlKind::ComboBox:
        case TControlKind::ListBox:
        case TControlKind::ListView:
        case TControlKind::PageControl:
        case TControlKind::SpeedButton:  // the tool buttons are reached with Tab too
        case TControlKind::FavoritesButton: break;
        default: return false;
    }
    if (!TabStop) return false;
    // Whether the form itself is shown does not matter: the order is the same.
    for (const TControl* c = this; c && c->Kind() != TControlKind::Form; c = c->Parent())
        if (!c->Visible() || !c->Enabled()) return false;
    return true;
}

void TWinControl::RemoveChild(TControl* c) { children_.erase(std::remove(children_.begin(), children_.end(), c), children_.end()); }

static void CollectControls(const TWinControl& w, std::vector<TControl*>& out) {
    for (TControl* c : w.Controls()) {
        out.push_back(c);
        if (auto* wc = dynamic_cast<TWinControl*>(c)) CollectControls(*wc, out);
    }
}

std::vector<TControl*> TWinControl::AllControls() const {
    std::vector<TControl*> all;
    CollectControls(*this, all);
    return all;
}

int TControl::HelpContextInFront() const {
    for (const TControl* c = this; c; c = c->Parent()) {
        if (c->Kind() == TControlKind::PageControl) {
            const auto* pages = static_cast<const TPageControl*>(c);
            if (const TWinControl* page = pages->Page(pages->ActivePageIndex()); page && page->HelpContext())
                return page->HelpContext();
        }
        if (c->HelpContext()) return c->HelpContext();
    }
    return 0;
}
