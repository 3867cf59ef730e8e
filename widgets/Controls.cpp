// The portable half of forms, controls, menus and timers; see Controls.h and Forms.h.
#include "widgets/Controls.h"

#include <algorithm>
#include <stdexcept>

#include "platform/Platform.h"
#include "widgets/Forms.h"

namespace widgets {
namespace {
IWidgetFactory* g_factory = nullptr;
}
IWidgetFactory& Factory() {
    if (!g_factory) throw std::logic_error("no widget factory installed");
    return *g_factory;
}
void SetFactory(IWidgetFactory* f) { g_factory = f; }
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

void TWinControl::RemoveChild(TControl* c) { children_.erase(std::remove(children_.begin(), children_.end(), c), children_.end()); }

// ---- TListBox, TStatusBar, TAnimate ----

void TListBox::Add(const std::string& line) {
    items_.push_back(line);
    Changed(TProp::Items);
}
void TListBox::AddStrings(const std::vector<std::string>& lines) {
    if (lines.empty()) return;
    items_.insert(items_.end(), lines.begin(), lines.end());
    Changed(TProp::Items);
}
void TListBox::Clear() {
    items_.clear();
    itemIndex_ = -1;
    ++resets_;
    Changed(TProp::Items);
}
void TListBox::SetItems(const std::vector<std::string>& items) {
    items_ = items;
    itemIndex_ = -1;
    ++resets_;
    Changed(TProp::Items);
}
void TListBox::SetItemIndex(int i) {
    itemIndex_ = (i >= 0 && i < static_cast<int>(items_.size())) ? i : -1;
    Changed(TProp::ItemIndex);
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

// ---- TTimer ----

TTimer::TTimer(TComponent* owner, uint32_t interval, bool enabled) : TComponent(owner), enabled_(enabled), interval_(interval) {
    Rearm();
}

TTimer::~TTimer() {
    if (id_) platform::Ui().StopTimer(id_);
}

void TTimer::SetEnabled(bool v) {
    if (v == enabled_) return;
    enabled_ = v;
    Rearm();
}

void TTimer::SetInterval(uint32_t ms) {
    if (ms == interval_) return;
    interval_ = ms;
    Rearm();
}

// A timer runs only when enabled with a non-zero interval; changing either restarts it.
void TTimer::Rearm() {
    if (!enabled_ && !id_) return;
    if (id_) {
        platform::Ui().StopTimer(id_);
        id_ = 0;
    }
    if (enabled_ && interval_ > 0) {
        id_ = platform::Ui().StartTimer(interval_, [this] {
            if (OnTimer) OnTimer(this);
        });
    }
}

// ---- Menus ----

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

// ---- TForm ----

TForm::TForm(TComponent* owner, const std::string& name) : TWinControl(owner, nullptr, TControlKind::Form, name) {
    SetVisible(false);
}

TForm::~TForm() {
    if (OnDestroy) OnDestroy(this);
}

static void RealizeChildren(TWinControl& w) {
    for (TControl* c : w.Controls()) {
        c->Realize();
        if (auto* wc = dynamic_cast<TWinControl*>(c)) RealizeChildren(*wc);
    }
}

void TForm::CreateHandle() {
    if (Menu) Menu->Realize();
    Realize();
    RealizeChildren(*this);
}

void TForm::Show() {
    SetVisible(true);
    if (peer_) peer_->BringToFront();
}

void TForm::Hide() { SetVisible(false); }

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

// ---- TApplication ----

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
