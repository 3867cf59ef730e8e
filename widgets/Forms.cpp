// Forms: creating their windows, showing and closing them, and what the dialog keyboard
// asks of them (the next tab stop, the target of a mnemonic); see Forms.h.
#include "widgets/Forms.h"

#include <algorithm>
#include <cctype>

#include "platform/Platform.h"

namespace {
TForm* g_activeForm = nullptr;
}

TForm::TForm(TComponent* owner, const std::string& name) : TWinControl(owner, nullptr, TControlKind::Form, name) {
    SetVisible(false);
}

TForm::~TForm() {
    if (g_activeForm == this) g_activeForm = nullptr;
    if (OnDestroy) OnDestroy(this);
}

void TForm::CreateHandle() {
    if (Menu) Menu->Realize();
    Realize();
    for (TControl* c : AllControls()) c->Realize();
    if (TitleBar) TitleBar->Realize();
}

void TForm::Show() {
    if (handleOnShow_ && !peer_) CreateHandle();
    SetVisible(true);
    if (peer_) peer_->BringToFront();
}

void TForm::Hide() {
    SetVisible(false);
    if (g_activeForm == this) g_activeForm = nullptr;
}

void TForm::Activated() {
    if (g_activeForm == this) return;
    g_activeForm = this;
    if (OnActivate) OnActivate(this);
}

TForm* TForm::ActiveForm() { return g_activeForm; }

TForm* FormOf(TControl* c) {
    while (c && c->Parent()) c = c->Parent();
    return c && c->Kind() == TControlKind::Form ? static_cast<TForm*>(c) : nullptr;
}

TControl* TForm::DefaultButtonFor(const TControl* focused) const {
    return focused && focused->EnterButton ? focused->EnterButton : DefaultButton;
}

void TForm::FocusMoved(const TControl* focused) {
    TControl* now = DefaultButtonFor(focused);
    for (TControl* c : AllControls())
        if (c->Kind() == TControlKind::Button) c->SetDefault(c == now);
}

namespace {
bool ShowingInForm(const TControl* c) {
    for (; c && c->Kind() != TControlKind::Form; c = c->Parent())
        if (!c->Visible()) return false;
    return true;
}
// The letter a caption marks with "&" ("&&" stands for "&" itself); 0 when none.
char MnemonicOf(const std::string& caption) {
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] == '&') {
            ++i;
            continue;
        }
        return static_cast<char>(std::tolower(static_cast<unsigned char>(caption[i + 1])));
    }
    return 0;
}
}  // namespace

TControl* TForm::NextTabStop(TControl* from, bool backwards) const {
    std::vector<TControl*> all = AllControls();
    if (backwards) std::reverse(all.begin(), all.end());
    auto start = std::find(all.begin(), all.end(), from);
    size_t n = all.size(), first = start == all.end() ? 0 : static_cast<size_t>(start - all.begin()) + 1;
    for (size_t k = 0; k < n; ++k) {
        TControl* c = all[(first + k) % n];
        if (c != from && c->CanTabTo()) return c;
    }
    return nullptr;
}

TControl* TForm::MnemonicTarget(char key) const {
    key = static_cast<char>(std::tolower(static_cast<unsigned char>(key)));
    if (!key) return nullptr;
    std::vector<TControl*> all = AllControls();
    for (TControl* c : all) {
        if (MnemonicOf(c->Caption()) != key || !c->Enabled()) continue;
        switch (c->Kind()) {
            case TControlKind::Button:
            case TControlKind::CheckBox:
            case TControlKind::RadioButton:
                if (c->CanTabTo()) return c;
                break;
            case TControlKind::TabSheet:
                if (c->Parent() && c->Parent()->CanTabTo()) return c;
                break;
            case TControlKind::Label:
            case TControlKind::StaticText:
            case TControlKind::GroupBox:
                if (ShowingInForm(c))
                    if (TControl* next = NextTabStop(c, false)) return next;
                break;
            default: break;
        }
    }
    return nullptr;
}

std::vector<TPageControl*> TForm::PageControls() const {
    std::vector<TPageControl*> out;
    for (TControl* c : AllControls())
        if (c->Kind() == TControlKind::PageControl) out.push_back(static_cast<TPageControl*>(c));
    return out;
}

void TForm::Close() {
    bool canClose = true;
    if (OnCloseQuery) OnCloseQuery(this, canClose);
    if (!canClose) return;
    TCloseAction action = TCloseAction::Hide;
    if (OnClose) OnClose(this, action);
    if (action == TCloseAction::None) return;
    Hide();
    if (modalResult_ == 0) modalResult_ = IDCANCEL_;
    if (peer_) peer_->EndModal(modalResult_);
    if (Application().MainForm == this) {
        closed_ = true;
        Application().Terminate();
    }
}

int TForm::ShowModal() {
    modalResult_ = 0;
    Show();
    int r = peer_ ? peer_->ShowModal() : 0;
    Hide();
    return r;
}

void TForm::SetModalResult(int r) {
    modalResult_ = r;
    if (r != 0) {
        Hide();
        if (peer_) peer_->EndModal(r);
    }
}

bool TForm::PostMsg(uint32_t msg, uintptr_t w, intptr_t l) { return peer_ ? peer_->Post(msg, w, l) : false; }

intptr_t TForm::Perform(uint32_t msg, uintptr_t w, intptr_t l) {
    TMessage m{msg, w, l, 0, false};
    Dispatch(m);
    return m.Result;
}

