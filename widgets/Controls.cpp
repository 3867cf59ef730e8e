// The portable half of forms, controls, menus and timers; see Controls.h and Forms.h.
#include "widgets/Controls.h"

#include <algorithm>
#include <cctype>
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

void TControl::TextChangedByUser(const std::string& text) {
    caption_ = text;
    if (OnChange) OnChange(this);
}
void TControl::FocusEntered() {
    if (OnEnter) OnEnter(this);
}
void TControl::FocusLeft() {
    if (OnExit) OnExit(this);
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

// ---- TListBox, TListView, TPageControl, TOpenDialog ----

namespace {
// Orders texts as the system's sorted lists do: letter case aside.
bool LessNoCase(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
    });
}
bool SameNoCase(const std::string& a, const std::string& b) { return !LessNoCase(a, b) && !LessNoCase(b, a); }
}  // namespace

void TListBox::Add(const std::string& line) {
    if (Sorted) {
        auto at = std::upper_bound(items_.begin(), items_.end(), line, LessNoCase);
        int pos = static_cast<int>(at - items_.begin());
        items_.insert(at, line);
        if (itemIndex_ >= pos) ++itemIndex_;
        if (pos + 1 != static_cast<int>(items_.size())) ++resets_;  // not at the end: the window refills
    } else {
        items_.push_back(line);
    }
    Changed(TProp::Items);
}
void TListBox::AddStrings(const std::vector<std::string>& lines) {
    if (lines.empty()) return;
    if (Sorted) {
        for (const std::string& l : lines) Add(l);
        return;
    }
    items_.insert(items_.end(), lines.begin(), lines.end());
    Changed(TProp::Items);
}
void TListBox::Clear() {
    items_.clear();
    itemIndex_ = -1;
    if (IsCombo()) SetCaption("");
    ++resets_;
    Changed(TProp::Items);
}
void TListBox::SetItems(const std::vector<std::string>& items) {
    items_ = items;
    if (Sorted) std::stable_sort(items_.begin(), items_.end(), LessNoCase);
    itemIndex_ = -1;
    if (IsCombo() && ComboStyle == TComboStyle::DropDownList) SetCaption("");
    ++resets_;
    Changed(TProp::Items);
}
void TListBox::Delete(int i) {
    if (i < 0 || i >= static_cast<int>(items_.size())) return;
    items_.erase(items_.begin() + i);
    ++resets_;
    if (itemIndex_ == i) itemIndex_ = -1;
    else if (itemIndex_ > i) --itemIndex_;
    if (IsCombo() && ComboStyle == TComboStyle::DropDownList && itemIndex_ < 0) SetCaption("");
    Changed(TProp::Items);
    Changed(TProp::ItemIndex);
}
int TListBox::IndexOf(const std::string& s) const {
    for (size_t i = 0; i < items_.size(); ++i)
        if (SameNoCase(items_[i], s)) return static_cast<int>(i);
    return -1;
}
void TListBox::SetItemIndex(int i) {
    itemIndex_ = (i >= 0 && i < static_cast<int>(items_.size())) ? i : -1;
    Changed(TProp::ItemIndex);
    if (IsCombo()) SetCaption(itemIndex_ >= 0 ? items_[static_cast<size_t>(itemIndex_)] : "");
}
void TListBox::SelectedByUser(int i) {
    itemIndex_ = (i >= 0 && i < static_cast<int>(items_.size())) ? i : -1;
    if (!IsCombo()) return;
    SetCaptionQuiet(itemIndex_ >= 0 ? items_[static_cast<size_t>(itemIndex_)] : "");
    if (OnChange) OnChange(this);
}

int TListView::AddRow(const std::vector<std::string>& cells) {
    std::vector<std::string> row = cells;
    if (row.empty()) row.emplace_back();
    size_t pos = rows_.size();
    if (SortByFirstColumn) {
        auto at = std::upper_bound(rows_.begin(), rows_.end(), row,
                                   [](const auto& a, const auto& b) { return LessNoCase(a[0], b[0]); });
        pos = static_cast<size_t>(at - rows_.begin());
    }
    rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(pos), std::move(row));
    if (itemIndex_ >= static_cast<int>(pos)) ++itemIndex_;
    Changed(TProp::Rows);
    return static_cast<int>(pos);
}
void TListView::DeleteRow(int i) {
    if (i < 0 || i >= RowCount()) return;
    rows_.erase(rows_.begin() + i);
    if (itemIndex_ == i) itemIndex_ = -1;
    else if (itemIndex_ > i) --itemIndex_;
    Changed(TProp::Rows);
}
void TListView::ClearRows() {
    rows_.clear();
    itemIndex_ = -1;
    Changed(TProp::Rows);
}
void TListView::SetItemIndex(int i) {
    itemIndex_ = (i >= 0 && i < RowCount()) ? i : -1;
    Changed(TProp::ItemIndex);
}
void TListView::SelectedByUser(int i) { itemIndex_ = (i >= 0 && i < RowCount()) ? i : -1; }

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

bool TOpenDialog::Execute(uintptr_t ownerWindow) { return widgets::Factory().RunOpenDialog(*this, ownerWindow); }

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

namespace {
void CollectControls(const TWinControl& w, std::vector<TControl*>& out) {
    for (TControl* c : w.Controls()) {
        out.push_back(c);
        if (auto* wc = dynamic_cast<TWinControl*>(c)) CollectControls(*wc, out);
    }
}
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
    std::vector<TControl*> all;
    CollectControls(*this, all);
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
    std::vector<TControl*> all;
    CollectControls(*this, all);
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
    std::vector<TControl*> all;
    CollectControls(*this, all);
    std::vector<TPageControl*> out;
    for (TControl* c : all)
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
