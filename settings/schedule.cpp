// The schedule dialog: its window, the list of programs to start, arming and disarming, and
// the two timers that dial and hang up at the chosen minutes.
#include "settings/schedule.h"

#include "core/HelpContexts.h"
#include "core/DateTime.h"
#include "core/SysUtils.h"
#include "platform/Platform.h"
#include "settings/IniLang.h"

TForm3* Form3 = nullptr;
bool ScheduledRun = false;

namespace {
std::vector<std::string> TwoDigitSteps(int count, int step) {
    std::vector<std::string> v;
    for (int i = 0; i < count; ++i) v.push_back(Pad2(i * step));
    return v;
}

// Whether the local time's hour and minute are the ones the two lists show. A list with
// nothing chosen matches no time.
bool AtChosenTime(const TListBox& hourList, const TListBox& minuteList) {
    int32_t hour = 0, minute = 0;
    if (!TryStrToInt(hourList.Caption(), hour) || !TryStrToInt(minuteList.Caption(), minute)) return false;
    int h, m, s, ms;
    DecodeTime(platform::Clock().Now(), h, m, s, ms);
    return h == hour && m == minute;
}
}  // namespace

TForm3::TForm3(TComponent* owner, IDialogHost* host)
    : TForm(owner, "Form3"),
      Label2(this, this, TControlKind::Label, "Label2"),
      Label1(this, this, TControlKind::Label, "Label1"),
      Label3(this, this, TControlKind::Label, "Label3"),
      Label4(this, this, TControlKind::Label, "Label4"),
      ComboBox1(this, this, "ComboBox1", TControlKind::ComboBox),
      ComboBox2(this, this, "ComboBox2", TControlKind::ComboBox),
      Label5(this, this, TControlKind::Label, "Label5"),
      Label6(this, this, TControlKind::Label, "Label6"),
      Label7(this, this, TControlKind::Label, "Label7"),
      ComboBox3(this, this, "ComboBox3", TControlKind::ComboBox),
      ComboBox4(this, this, "ComboBox4", TControlKind::ComboBox),
      Label8(this, this, TControlKind::Label, "Label8"),
      Edit1(this, this, TControlKind::Edit, "Edit1"),
      Button1(this, this, TControlKind::Button, "Button1"),
      Label9(this, this, TControlKind::Label, "Label9"),
      Edit2(this, this, TControlKind::Edit, "Edit2"),
      Button5(this, this, TControlKind::Button, "Button5"),
      Button6(this, this, TControlKind::Button, "Button6"),
      ListView1(this, this, "ListView1"),
      Button2(this, this, TControlKind::Button, "Button2"),
      Button3(this, this, TControlKind::Button, "Button3"),
      Button4(this, this, TControlKind::Button, "Button4"),
      Timer1(this, kTickMs, false),
      TimerScheduledHangUp(this, kTickMs, false),
      OpenDialog1(this) {
    Form3 = this;
    host_ = host;
    BuildControls();
    Button1.OnClick = [this](TObject* s) { Button1Click(s); };
    Button5.OnClick = [this](TObject* s) { Button5Click(s); };
    Button6.OnClick = [this](TObject* s) { Button6Click(s); };
    Button2.OnClick = [this](TObject* s) { Button2Click(s); };
    Button3.OnClick = [this](TObject* s) { Button3Click(s); };
    Button4.OnClick = [this](TObject* s) { Button4Click(s); };
    Timer1.OnTimer = [this](TObject* s) { Timer1Timer(s); };
    TimerScheduledHangUp.OnTimer = [this](TObject* s) { TimerScheduledHangUpTimer(s); };
    TranslateForm(*this);
    CreateHandleOnShow();
}

TForm3::~TForm3() {
    if (Form3 == this) Form3 = nullptr;
}

// The window as stored in its resource.
void TForm3::BuildControls() {
    SetCaption("Scheduling program to execute unattended");
    SetHint("Used to specify an Internet application to run unattended");
    SetHelpContext(helpctx::Schedule);
    ShowHint = true;
    BorderStyle = TBorderStyle::Dialog;
    MinimizeBox = false;
    CenterOnScreen = true;
    SetClientSize(717, 289);
    OwnerForm = host_ ? host_->HostForm() : nullptr;  // stays above the window it is opened from
    DefaultButton = &Button2;
    CancelButton = &Button3;

    TFontStyle bold;
    bold.Bold = true;
    Label2.SetFont(bold);
    Label2.SetBounds(8, 8, 260, 16);
    Label2.SetCaption("Schedule program to execute at :");

    // Two rows of hour and minute lists, each under its own "Hour" and "Minutes" heading.
    const std::vector<std::string> hours = TwoDigitSteps(24, 1), minutes = TwoDigitSteps(12, 5);
    struct Row {
        TControl& caption;
        const char* text;
        TControl &hourLabel, &minuteLabel;
        TListBox &hour, &minute;
        int top;
    };
    for (const Row& r : {Row{Label1, "Dial at:", Label3, Label4, ComboBox1, ComboBox2, 32},
                         Row{Label5, "Hang-up at:", Label6, Label7, ComboBox3, ComboBox4, 80}}) {
        r.caption.SetBounds(8, r.top + 20, 68, 13);
        r.caption.SetCaption(r.text);
        r.hourLabel.SetBounds(80, r.top, 56, 13);
        r.hourLabel.SetCaption("Hour");
        r.minuteLabel.SetBounds(144, r.top, 56, 13);
        r.minuteLabel.SetCaption("Minutes");
        for (TListBox* list : {&r.hour, &r.minute}) {
            list->ComboStyle = TComboStyle::DropDownList;
            list->SetItems(list == &r.hour ? hours : minutes);
            list->SetItemIndex(-1);
        }
        r.hour.SetBounds(80, r.top + 16, 56, 21);
        r.minute.SetBounds(144, r.top + 16, 56, 21);
    }

    Label8.SetBounds(8, 132, 224, 13);
    Label8.SetCaption("Program to execute with parameters:");
    Edit1.SetBounds(8, 148, 224, 21);
    Edit1.SetHint("If you need help contact your Software publisher");
    Button1.SetBounds(157, 174, 75, 25);
    Button1.SetCaption("Browse");
    Label9.SetBounds(8, 206, 224, 13);
    Label9.SetCaption("Working directory :");
    Edit2.SetBounds(8, 222, 224, 21);
    Edit2.SetHint("Some software need this to work properly; They usually take their data in this directory");
    Button5.SetBounds(244, 148, 84, 25);
    Button5.SetCaption("Add ---->");
    Button6.SetBounds(244, 180, 84, 25);
    Button6.SetCaption("<---- Remove");

    ListView1.SetBounds(340, 8, 369, 235);
    ListView1.Columns = {{"Application", 200}, {"Working directory", 163}};
    ListView1.SortByFirstColumn = true;
    ListView1.SetHelpContext(helpctx::Schedule);

    Button2.SetBounds(472, 256, 75, 25);
    Button2.SetCaption("Ok");
    Button3.SetBounds(555, 256, 75, 25);
    Button3.SetCaption("Cancel");
    Button4.SetBounds(8, 256, 110, 25);
    Button4.SetCaption("Reset scheduling");
    Button4.SetHint("Deactivate  schedule already programmed;  Use this option to kill a wrong schedule");
    Button4.SetEnabled(false);

    OpenDialog1.Filter = "Application|*.exe;*.com";
}

// "Browse": the chosen program's full path becomes the command text.
void TForm3::Button1Click(TObject*) {
    OpenDialog1.Filter = "Application|*.exe;*.com";
    if (OpenDialog1.Execute(Handle())) Edit1.SetCaption(OpenDialog1.FileName);
}

// "Add": the row takes its place in the order of the command texts; empty texts are kept.
void TForm3::Button5Click(TObject*) { ListView1.AddRow({Edit1.Caption(), Edit2.Caption()}); }

void TForm3::Button6Click(TObject*) {
    if (ListView1.ItemIndex() < 0) {
        platform::Ui().MsgBox(GetLangText("Select an Application to delete in the list at right, and then click on the "
                                          "remove button",
                                          "const_appDelete"),
                              Application().Title(), MB_OK_ | MB_ICONWARNING_, helpctx::Schedule);
        return;
    }
    ListView1.DeleteRow(ListView1.ItemIndex());
}

// "Ok": arms the dial with the four times chosen; the main window's message list says when.
void TForm3::Button2Click(TObject*) {
    for (const TListBox* list : {&ComboBox1, &ComboBox2, &ComboBox3, &ComboBox4}) {
        if (list->ItemIndex() < 0) {
            platform::Ui().MsgBox(GetLangText("Error, Missing or bad values. Verify your inputs", "const_schedMissing"),
                                  Application().Title(), MB_OK_ | MB_ICONERROR_, helpctx::ScheduleBadValues);
            return;
        }
    }
    Timer1.SetEnabled(true);
    if (host_) {
        host_->ClearMessages();
        host_->AddMessage(GetLangText("Scheduled to execute at ", "const_schedScheduled") + ComboBox1.Caption() + ":" +
                          ComboBox2.Caption());
    }
    Button4.SetEnabled(true);
    Hide();
}

// "Cancel": the dialog goes away; whatever is armed stays armed.
void TForm3::Button3Click(TObject*) { Close(); }

// "Reset scheduling": disarms the dial. A hang-up that a scheduled connection has already
// armed still happens.
void TForm3::Button4Click(TObject*) {
    Timer1.SetEnabled(false);
    Button4.SetEnabled(false);
    if (host_) host_->ClearMessages();
    platform::Ui().MsgBox(GetLangText("The scheduling has been removed and turned off.", "const_schedRemoved"),
                          Application().Title(), MB_OK_, helpctx::Schedule);
    Close();
}

// The lists are read at every tick, so a selection changed after "Ok" moves the awaited
// time. The dial happens once per "Ok".
void TForm3::Timer1Timer(TObject*) {
    if (!AtChosenTime(ComboBox1, ComboBox2)) return;
    Timer1.SetEnabled(false);
    ScheduledRun = true;
    if (!host_) return;
    if (host_->IsOnline()) {
        // The line is already up: dialing again would drop it and lose its time online, so
        // this connection becomes the scheduled one.
        host_->RunScheduledPrograms();
        TimerScheduledHangUp.SetEnabled(true);
    } else {
        host_->Dial();
    }
}

void TForm3::TimerScheduledHangUpTimer(TObject*) {
    if (!AtChosenTime(ComboBox3, ComboBox4)) return;
    TimerScheduledHangUp.SetEnabled(false);
    ScheduledRun = false;
    if (host_) host_->HangUp();
}
