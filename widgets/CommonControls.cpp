// Tabbed pages, the status bar and the animation control; see CommonControls.h.
#include "widgets/CommonControls.h"

int TPageControl::PageCount() const {
    int n = 0;
    for (TControl* c : Controls())
        if (c->Kind() == TControlKind::TabSheet) ++n;
    return n;
}
TWinControl* TPageControl::Page(int i) const {
    for (TControl* c : Controls())
        if (c->Kind() == TControlKind::TabSheet && i-- == 0) return static_cast<TWinControl*>(c);
    return nullptr;
}
int TPageControl::IndexOfPage(const std::string& caption) const {
    for (int i = 0; i < PageCount(); ++i)
        if (Page(i)->Caption() == caption) return i;
    return -1;
}
void TPageControl::AddChild(TControl* c) {
    TWinControl::AddChild(c);
    if (c->Kind() == TControlKind::TabSheet && PageCount() - 1 != active_) c->SetVisible(false);
}
void TPageControl::SetActivePageIndex(int i) {
    if (i < 0 || i >= PageCount()) return;
    active_ = i;
    ShowActivePage();
}
void TPageControl::PageSelectedByUser(int i) {
    if (i < 0 || i >= PageCount()) return;
    active_ = i;
    ShowActivePage();
    if (OnChange) OnChange(this);
}
// The page in front is shown before the others are hidden, so the control never stands empty.
void TPageControl::ShowActivePage() {
    Changed(TProp::ActivePage);
    if (TWinControl* p = Page(active_)) p->SetVisible(true);
    for (int i = 0; i < PageCount(); ++i)
        if (i != active_) Page(i)->SetVisible(false);
}


void TStatusBar::SetPanelText(size_t i, const std::string& text) {
    if (i >= panels_.size()) return;
    panels_[i].Text = text;
    Changed(TProp::Panels);
}
void TStatusBar::SetPanels(const std::vector<TStatusPanel>& p) {
    panels_ = p;
    Changed(TProp::Panels);
}

void TAnimate::SetResName(const std::string& n) {
    resName_ = n;
    Changed(TProp::Animation);
}
void TAnimate::SetActive(bool a) {
    active_ = a;
    if (peer_) peer_->Play(a);
}
