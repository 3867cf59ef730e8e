// The progress dialog's window definition; its uses live with the operations that show it.
#include "app/Unit4.h"

#include "core/HelpContexts.h"
#include "settings/IniLang.h"

TForm4* Form4 = nullptr;

namespace {
class TNoProgress : public TProgressSink {
public:
    void Begin(const TBegin&) override {}
    void Stage(const std::string&) override {}
    void SetStatus(const std::string&) override {}
    void End() override {}
};
}  // namespace

TProgressSink& Progress() {
    static TNoProgress none;
    if (Form4) return *Form4;
    return none;
}

TForm4::TForm4(TComponent* owner)
    : TForm(owner, "Form4"),
      Animate1(this, this, "Animate1"),
      Status(this, this, TControlKind::Label, "Status"),
      Button1(this, this, TControlKind::Button, "Button1"),
      MSOfficeCaption1(this, nullptr, TControlKind::TitleBar, "MSOfficeCaption1") {
    Form4 = this;
    BorderStyle = TBorderStyle::Dialog;
    SystemMenu = true;
    MinimizeBox = false;
    StayOnTop = true;
    CenterOnScreen = true;
    SetHelpContext(helpctx::Progress);
    SetClientSize(262, 112);
    Animate1.SetBounds(8, 8, 72, 65);
    Animate1.StopFrame = 4;
    Status.SetBounds(80, 8, 185, 65);
    Status.SetWordWrap(true);
    Status.SetCaption("Status");
    Button1.SetBounds(102, 81, 75, 25);
    Button1.SetCaption("Cancel");
    Button1.SetHint("Cancel the connection");
    Button1.OnClick = [this](TObject*) {
        if (onCancel_) onCancel_();
    };
    CancelButton = &Button1;  // Escape
    TitleBar = &MSOfficeCaption1;
    TitleBarShowsCaption = true;
    TranslateForm(*this);
    CreateHandleOnShow();
}

TForm4::~TForm4() {
    if (Form4 == this) Form4 = nullptr;
}

void TForm4::PlayAnimation(const std::string& resName) {
    Animate1.SetActive(false);
    Animate1.SetResName("");
    Animate1.SetResName(resName);
    Animate1.SetActive(true);
}

void TForm4::WndProc(TMessage& m) {
    if (m.Msg != WM_SYSCOMMAND_ || (m.WParam & 0xFFF0) != SC_CLOSE_) return;
    if (!Button1.Visible() || !Button1.Enabled()) return;
    m.Handled = true;
    Button1.Click();
}

void TForm4::Begin(const TBegin& what) {
    onCancel_ = what.onCancel;
    Status.SetCaption("");
    SetCaption(what.caption);
    MSOfficeCaption1.SetCaption(what.heading);
    PlayAnimation(what.animation);
    Button1.SetEnabled(what.cancellable);
    Button1.SetVisible(what.cancellable);
    Repaint();
    Show();
    Repaint();
}

void TForm4::Stage(const std::string& heading) {
    Status.SetCaption("");
    SetCaption("");
    MSOfficeCaption1.SetCaption(heading);
    Repaint();
}

void TForm4::SetStatus(const std::string& text) { Status.SetCaption(text); }

void TForm4::End() {
    onCancel_ = nullptr;
    SetEnabled(true);
    Hide();
    Button1.SetEnabled(true);
    Button1.SetVisible(true);
}
