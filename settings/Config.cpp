// The settings dialog: its window as stored, its creation and activation, and what its
// buttons do. The phonebook entries come through the dialog's host (the main window).
#include "settings/Config.h"

#include <algorithm>
#include <variant>

#include "core/HelpContexts.h"
#include "core/SysUtils.h"
#include "platform/Platform.h"
#include "settings/Ini.h"
#include "settings/IniBatch.h"
#include "settings/IniLang.h"
#include "settings/SignIn.h"

TForm2* Form2 = nullptr;

namespace {
const char* const kProgramFilter = " (*.exe)|*.exe";
const char* const kSoundFilter = " (*.wav)|*.wav";
constexpr int kMinDelay = 1, kMaxDelay = 99, kFallbackDelay = 15;

void Warn(const std::string& text, int helpContext) {
    platform::Ui().MsgBox(text, Application().Title(), MB_OK_ | MB_ICONWARNING_, helpContext);
}

std::vector<std::string> Range(int count, int step) {
    std::vector<std::string> v;
    for (int i = 0; i < count; ++i) v.push_back(Pad2(i * step));
    return v;
}

// One control bound to one setting: the dialog shows the setting each time it becomes active
// and stores the control's value on OK. What is shown follows the field: the text for a
// string, the check mark for a switch, the lines for a list, and for a number the line of a
// drop-down list, line i standing for i * step.
struct TBound {
    TControl& control;
    std::variant<std::string*, bool*, std::vector<std::string>*, int32_t*> field;
    int step = 1;
    const char* blankShows = nullptr;  // a file beside the program shown for an empty setting
};

// Every setting the dialog edits, in the order it shows them (a combo box's change would
// otherwise overwrite the user name below it). The mail-check interval, a number typed by
// hand and checked on OK, and the mailboxes (three lists in one view) are handled apart.
std::vector<TBound> Bindings(TForm2& f) {
    return {
        {f.edt_hostname, &IniInfo.Pop3Server},
        {f.edt_emailApplication, &IniInfo.EmailApp},
        {f.ComboBox3, &IniInfo.DialUpConnection},
        {f.edt_usernameDUN, &IniInfo.UsernameDUN},
        {f.edt_passwordDUN, &IniInfo.PasswordDUN},
        {f.CheckBox1, &IniOptions.AutoDial},
        {f.CheckBox2, &IniOptions.TimerEnabled},
        {f.CheckBox3, &IniOptions.AutoHangUp},
        {f.CheckBox4, &IniOptions.AutoStartUp},
        {f.WebBrowser, &IniInfo.WebBrowser},
        {f.AutoAdjustClock, &IniOptions.AutoAdjustClock},
        {f.CheckBoxStartAppEmailReceived, &IniOptions.AutoExecEmailApp},
        {f.edt_timeServer, &IniOptions.TimeServer},
        {f.chk_StayOnline, &IniOptions.StayOnline},
        {f.ComboBox1, &IniOptions.HangUpHour},
        {f.ComboBox2, &IniOptions.HangUpMinutes, 5},
        {f.edt_WaveSound, &IniInfo.SoundFile, 1, "newmail.wav"},
        {f.ListBox3, &PhoneNumberList},
        {f.HListBox3, &ApplicationList},
        {f.SignInPage.GoogleClientId, &f.SignInPage.Values.GoogleClientId},
        {f.SignInPage.GoogleClientSecret, &f.SignInPage.Values.GoogleClientSecret},
        {f.SignInPage.MicrosoftClientId, &f.SignInPage.Values.MicrosoftClientId},
        {f.SignInPage.OtherAuthorizationEndpoint, &f.SignInPage.Values.OtherAuthorizationEndpoint},
        {f.SignInPage.OtherTokenEndpoint, &f.SignInPage.Values.OtherTokenEndpoint},
        {f.SignInPage.OtherScope, &f.SignInPage.Values.OtherScope},
        {f.SignInPage.OtherClientId, &f.SignInPage.Values.OtherClientId},
        {f.SignInPage.OtherClientSecret, &f.SignInPage.Values.OtherClientSecret},
    };
}

void ShowSetting(const TBound& b) {
    if (auto* text = std::get_if<std::string*>(&b.field))
        b.control.SetCaption((*text)->empty() && b.blankShows ? ProgramDir + b.blankShows : **text);
    else if (auto* on = std::get_if<bool*>(&b.field))
        b.control.SetChecked(**on);
    else if (auto* lines = std::get_if<std::vector<std::string>*>(&b.field))
        static_cast<TListBox&>(b.control).SetItems(**lines);
    else
        static_cast<TListBox&>(b.control).SetItemIndex(*std::get<int32_t*>(b.field) / b.step);
}

// Texts are stored up to their first line break: each setting is one line of the file.
void StoreSetting(const TBound& b) {
    if (auto* text = std::get_if<std::string*>(&b.field))
        **text = OneLine(ShownText(b.control));
    else if (auto* on = std::get_if<bool*>(&b.field))
        **on = b.control.Checked();
    else if (auto* lines = std::get_if<std::vector<std::string>*>(&b.field))
        **lines = OneLine(static_cast<TListBox&>(b.control).Items());
    else
        *std::get<int32_t*>(b.field) = StrToIntDef(ShownText(b.control), 0);
}
}  // namespace

TForm2::TForm2(TComponent* owner, IDialogHost* host)
    : TForm(owner, "Form2"),
      Panel1(this, this, TControlKind::Panel, "Panel1"),
      TabbedNotebook1(this, &Panel1, "TabbedNotebook1"),
      TabDialUp(this, &TabbedNotebook1, TControlKind::TabSheet, "TabDialUp"),
      Label1(this, &TabDialUp, TControlKind::Label, "Label1"),
      ComboBox3(this, &TabDialUp, "ComboBox3", TControlKind::ComboBox),
      Button12(this, &TabDialUp, TControlKind::Button, "Button12"),
      Button11(this, &TabDialUp, TControlKind::Button, "Button11"),
      Label2(this, &TabDialUp, TControlKind::Label, "Label2"),
      Label3(this, &TabDialUp, TControlKind::Label, "Label3"),
      edt_usernameDUN(this, &TabDialUp, TControlKind::Edit, "edt_usernameDUN"),
      edt_passwordDUN(this, &TabDialUp, TControlKind::Edit, "edt_passwordDUN"),
      chk_StayOnline(this, &TabDialUp, TControlKind::CheckBox, "chk_StayOnline"),
      GroupBox1(this, &TabDialUp, TControlKind::GroupBox, "GroupBox1"),
      Label4(this, &GroupBox1, TControlKind::Label, "Label4"),
      EdtPhoneNumber(this, &GroupBox1, TControlKind::Edit, "EdtPhoneNumber"),
      ButtonPhoneAdd(this, &GroupBox1, TControlKind::Button, "ButtonPhoneAdd"),
      ButtonRemovePhone(this, &GroupBox1, TControlKind::Button, "ButtonRemovePhone"),
      ListBox3(this, &GroupBox1, "ListBox3"),
      TabAutomate(this, &TabbedNotebook1, TControlKind::TabSheet, "TabAutomate"),
      CheckBox4(this, &TabAutomate, TControlKind::CheckBox, "CheckBox4"),
      CheckBox1(this, &TabAutomate, TControlKind::CheckBox, "CheckBox1"),
      CheckBox3(this, &TabAutomate, TControlKind::CheckBox, "CheckBox3"),
      Label5(this, &TabAutomate, TControlKind::Label, "Label5"),
      ComboBox1(this, &TabAutomate, "ComboBox1", TControlKind::ComboBox),
      Label6(this, &TabAutomate, TControlKind::Label, "Label6"),
      ComboBox2(this, &TabAutomate, "ComboBox2", TControlKind::ComboBox),
      Label7(this, &TabAutomate, TControlKind::Label, "Label7"),
      AutoAdjustClock(this, &TabAutomate, TControlKind::CheckBox, "AutoAdjustClock"),
      Label8(this, &TabAutomate, TControlKind::Label, "Label8"),
      edt_timeServer(this, &TabAutomate, "edt_timeServer", TControlKind::ComboBox),
      TabMail(this, &TabbedNotebook1, TControlKind::TabSheet, "TabMail"),
      GroupBox2(this, &TabMail, TControlKind::GroupBox, "GroupBox2"),
      Label9(this, &GroupBox2, TControlKind::Label, "Label9"),
      edt_hostname(this, &GroupBox2, TControlKind::Edit, "edt_hostname"),
      Label10(this, &GroupBox2, TControlKind::Label, "Label10"),
      edt_username(this, &GroupBox2, TControlKind::Edit, "edt_username"),
      Label11(this, &GroupBox2, TControlKind::Label, "Label11"),
      edt_password(this, &GroupBox2, TControlKind::Edit, "edt_password"),
      Label17(this, &GroupBox2, TControlKind::Label, "Label17"),
      ComboSignIn(this, &GroupBox2, "ComboSignIn", TControlKind::ComboBox),
      ButtonSignIn(this, &GroupBox2, TControlKind::Button, "ButtonSignIn"),
      Button6(this, &GroupBox2, TControlKind::Button, "Button6"),
      Button7(this, &GroupBox2, TControlKind::Button, "Button7"),
      ListView1(this, &GroupBox2, "ListView1"),
      TabMailOptions(this, &TabbedNotebook1, TControlKind::TabSheet, "TabMailOptions"),
      CheckBox2(this, &TabMailOptions, TControlKind::CheckBox, "CheckBox2"),
      Label12(this, &TabMailOptions, TControlKind::Label, "Label12"),
      Edit1(this, &TabMailOptions, TControlKind::Edit, "Edit1"),
      Label13(this, &TabMailOptions, TControlKind::Label, "Label13"),
      Label14(this, &TabMailOptions, TControlKind::Label, "Label14"),
      edt_emailApplication(this, &TabMailOptions, TControlKind::Edit, "edt_emailApplication"),
      Button3(this, &TabMailOptions, TControlKind::Button, "Button3"),
      CheckBoxStartAppEmailReceived(this, &TabMailOptions, TControlKind::CheckBox, "CheckBoxStartAppEmailReceived"),
      Label15(this, &TabMailOptions, TControlKind::Label, "Label15"),
      edt_WaveSound(this, &TabMailOptions, TControlKind::Edit, "edt_WaveSound"),
      SpeedButton1(this, &TabMailOptions, TControlKind::SpeedButton, "SpeedButton1"),
      Button4(this, &TabMailOptions, TControlKind::Button, "Button4"),
      TabAutoRun(this, &TabbedNotebook1, TControlKind::TabSheet, "TabAutoRun"),
      GroupBox3(this, &TabAutoRun, TControlKind::GroupBox, "GroupBox3"),
      Label16(this, &GroupBox3, TControlKind::Label, "Label16"),
      WebBrowser(this, &GroupBox3, TControlKind::Edit, "WebBrowser"),
      Button5(this, &GroupBox3, TControlKind::Button, "Button5"),
      GroupBox4(this, &TabAutoRun, TControlKind::GroupBox, "GroupBox4"),
      edt_application(this, &GroupBox4, TControlKind::Edit, "edt_application"),
      Button9(this, &GroupBox4, TControlKind::Button, "Button9"),
      Button8(this, &GroupBox4, TControlKind::Button, "Button8"),
      Button10(this, &GroupBox4, TControlKind::Button, "Button10"),
      HListBox3(this, &GroupBox4, "HListBox3"),
      SignInPage(*this, TabbedNotebook1),
      Button1OK(this, &Panel1, TControlKind::Button, "Button1OK"),
      Button2Cancel(this, &Panel1, TControlKind::Button, "Button2Cancel"),
      OpenDialog1(this) {
    Form2 = this;
    host_ = host;
    BuildControls();
    BindEvents();
    TranslateForm(*this);
    CreateHandleOnShow();
    FormCreate();
}

TForm2::~TForm2() {
    OnActivate = nullptr;
    if (Form2 == this) Form2 = nullptr;
}

// The window as stored: the notebook's panel sits 60 pixels down, under room that the
// creation takes away again.
void TForm2::BuildControls() {
    SetCaption("Configure Velmora");
    SetClientSize(520, 400);
    BorderStyle = TBorderStyle::Dialog;
    MinimizeBox = false;
    CenterOnScreen = true;
    SetHelpContext(helpctx::Settings);
    OwnerForm = host_ ? host_->HostForm() : nullptr;
    DefaultButton = &Button1OK;
    CancelButton = &Button2Cancel;

    Panel1.SetBounds(0, 60, 520, 340);
    TabbedNotebook1.SetBounds(8, 8, 504, 290);
    TabbedNotebook1.SetHelpContext(helpctx::Settings);
    Button1OK.SetBounds(356, 306, 75, 25);
    Button1OK.SetCaption("OK");
    Button2Cancel.SetBounds(437, 306, 75, 25);
    Button2Cancel.SetCaption("Cancel");


    TabDialUp.SetHelpContext(helpctx::SettingsDialUp);
    TabDialUp.SetCaption("Dial-up connection");
    Place(Label1, 8, 8, 300, 13, "Select a Dial Up Networking entry to connect to the Internet");
    Place(ComboBox3, 8, 24, 240, 21);
    ComboBox3.Sorted = true;
    ComboBox3.MaxLength = 254;
    Place(Button12, 256, 22, 96, 25, "Properties...");
    Place(Button11, 358, 22, 128, 25, "Add new connection");
    Place(Label2, 8, 60, 70, 13, "Username :");
    Place(edt_usernameDUN, 80, 56, 150, 21);
    Place(Label3, 8, 88, 70, 13, "Password :");
    Place(edt_passwordDUN, 80, 84, 150, 21);
    edt_passwordDUN.PasswordChar = '*';
    Place(chk_StayOnline, 256, 86, 220, 17, "Stay Online no matter what");
    Place(GroupBox1, 8, 116, 478, 140, "Additional Phone Numbers");
    Place(Label4, 10, 22, 100, 13, "Phone Number :");
    Place(EdtPhoneNumber, 10, 38, 160, 21);
    Place(ButtonPhoneAdd, 180, 36, 96, 25, "Add --->");
    ButtonPhoneAdd.SetEnabled(false);
    Place(ButtonRemovePhone, 180, 68, 96, 25, "<--- Remove");
    Place(ListBox3, 286, 18, 180, 112);

    TabAutomate.SetHelpContext(helpctx::SettingsAutomate);
    TabAutomate.SetCaption("Automate");
    Place(CheckBox4, 8, 12, 300, 17, "Execute on Windows Start-Up");
    Place(CheckBox1, 8, 36, 400, 17, "Connect automatically to Internet on Velmora Start-Up");
    Place(CheckBox3, 8, 66, 120, 17, "Always disconnect ");
    Place(Label5, 132, 68, 20, 13, "at:");
    Place(ComboBox1, 154, 64, 48, 21);
    Place(Label6, 208, 68, 36, 13, "Hours");
    Place(ComboBox2, 248, 64, 48, 21);
    Place(Label7, 302, 68, 50, 13, "Minutes");
    for (TListBox* c : {&ComboBox1, &ComboBox2}) {
        c->ComboStyle = TComboStyle::DropDownList;
        c->SetEnabled(false);
    }
    ComboBox1.SetItems(Range(24, 1));
    ComboBox2.SetItems(Range(12, 5));
    Place(AutoAdjustClock, 8, 104, 400, 17, "Adjust Computer Clock with atomic time server");
    Place(Label8, 8, 136, 110, 13, "Atomic time server");
    Place(edt_timeServer, 120, 132, 220, 21);
    edt_timeServer.SetHint("A host name alone is asked over the TIME protocol (TCP port 37); "
                           "ntp://host or ntp://host:port over network time (UDP port 123 unless given).");
    edt_timeServer.SetItems(kTimeServers);

    TabMail.SetHelpContext(helpctx::SettingsMail);
    TabMail.SetCaption("Mail");
    Place(GroupBox2, 8, 4, 478, 252, "Mail Boxes");
    Place(Label9, 10, 16, 150, 26, "Pop server (This is your email server)");
    Label9.SetWordWrap(true);
    Place(edt_hostname, 10, 44, 150, 21);
    // The caption stays as it always was; the forms of the server text are told here.
    edt_hostname.SetHint("POP3: host or pop3://host; over TLS pops://host (or pop3s://) or pop3+starttls://host. "
                         "IMAP: imap://host; over TLS imaps://host or imap+starttls://host. "
                         "A port may follow the host after a colon (host:port).");
    Place(Label10, 10, 70, 100, 13, "Account");
    Place(edt_username, 10, 84, 150, 21);
    Place(Label11, 10, 108, 100, 13, "Password");
    Place(edt_password, 10, 122, 150, 21);
    edt_password.PasswordChar = '*';
    BuildSignInControls();
    Place(Button6, 8, 188, 155, 25, "Add mailbox to the list --->");
    Button6.SetEnabled(false);
    Place(Button7, 8, 218, 155, 25, "<--- Remove Mailbox");
    Button7.SetEnabled(false);
    Place(ListView1, 166, 18, 304, 224);
    ListView1.Columns = {{"Account", 135}, {"POP Server", 171}};

    TabMailOptions.SetHelpContext(helpctx::SettingsMailOptions);
    TabMailOptions.SetCaption("Mail options");
    Place(CheckBox2, 8, 12, 300, 17, "Notify when  new emails incoming");
    CheckBox2.SetChecked(true);
    Place(Label12, 24, 40, 60, 13, "Check every");
    Place(Edit1, 100, 36, 28, 21, "15");
    Edit1.MaxLength = 2;
    Place(Label13, 134, 40, 50, 13, "minutes");
    Place(Label14, 8, 72, 200, 13, "Email application :");
    Place(edt_emailApplication, 8, 88, 390, 21);
    Place(Button3, 406, 86, 75, 25, "Browse");
    Place(CheckBoxStartAppEmailReceived, 8, 118, 400, 17, "Auto execute email application on email  received");
    Place(Label15, 8, 150, 250, 13, "Play this sound on email received :");
    Place(edt_WaveSound, 8, 170, 340, 21);
    Place(SpeedButton1, 354, 160, 44, 40, "Play");
    Place(Button4, 406, 168, 75, 25, "Browse");

    TabAutoRun.SetHelpContext(helpctx::SettingsAutoRun);
    TabAutoRun.SetCaption("AutoRun");
    Place(GroupBox3, 8, 4, 478, 62, "List of Application to Execute on Connection established");
    Place(Label16, 10, 28, 80, 13, "Web Browser :");
    Place(WebBrowser, 100, 24, 282, 21);
    Place(Button5, 392, 22, 75, 25, "Browse");
    Place(GroupBox4, 8, 74, 478, 182, "Additional applications");
    Place(edt_application, 10, 22, 290, 21);
    Place(Button9, 310, 20, 75, 25, "Browse");
    Place(Button8, 10, 54, 150, 25, "Add to the list --->");
    Place(Button10, 10, 86, 150, 25, "<--- Remove application");
    Place(HListBox3, 168, 54, 300, 118);
    SignInPage.Build();

    OpenDialog1.HideReadOnly = true;
    OpenDialog1.PathMustExist = true;
    OpenDialog1.FileMustExist = true;
}

void TForm2::BindEvents() {
    OnActivate = [this](TObject* s) { FormActivate(s); };
    ComboBox3.OnEnter = [this](TObject* s) { ComboBox3Enter(s); };
    ComboBox3.OnChange = [this](TObject* s) { ComboBox3Change(s); };
    Button12.OnClick = [this](TObject* s) { Button12Click(s); };
    Button11.OnClick = [this](TObject* s) { Button11Click(s); };
    // Every change of the text decides (typing, a paste with the mouse, an assistive tool),
    // and Enter in the boxes adds what they hold instead of closing the dialog.
    EdtPhoneNumber.OnChange = [this](TObject* s) { PhoneNumberChange(s); };
    EdtPhoneNumber.EnterButton = &ButtonPhoneAdd;
    ButtonPhoneAdd.OnClick = [this](TObject* s) { ButtonPhoneAddClick(s); };
    ButtonRemovePhone.OnClick = [this](TObject* s) { ButtonRemovePhoneClick(s); };
    for (TControl* box : {&edt_hostname, &edt_username, &edt_password}) {
        box->OnChange = [this](TObject* s) { MailboxChange(s); };
        box->EnterButton = &Button6;
    }
    Button6.OnClick = [this](TObject* s) { Button6Click(s); };
    ListView1.OnClick = [this](TObject* s) { ListView1Click(s); };
    Button7.OnClick = [this](TObject* s) { Button7Click(s); };
    Button8.OnClick = [this](TObject* s) { Button8Click(s); };
    Button10.OnClick = [this](TObject* s) { Button10Click(s); };
    SpeedButton1.OnClick = [this](TObject* s) { SpeedButton1Click(s); };
    CheckBox2.OnClick = [this](TObject* s) { CheckBox2Click(s); };
    CheckBox3.OnClick = [this](TObject* s) { CheckBox3Click(s); };
    Button1OK.OnClick = [this](TObject* s) { Button1OKClick(s); };
    Button2Cancel.OnClick = [this](TObject* s) { Button2CancelClick(s); };
    Button3.OnClick = [this](TObject*) { Browse("const_application", "Application", kProgramFilter, edt_emailApplication); };
    Button4.OnClick = [this](TObject*) { Browse("const_wav", "Wav sound file", kSoundFilter, edt_WaveSound); };
    Button5.OnClick = [this](TObject*) { Browse("const_application", "Application", kProgramFilter, WebBrowser); };
    Button9.OnClick = [this](TObject*) { Browse("const_application", "Application", kProgramFilter, edt_application); };
}

void TForm2::FormCreate() {
    TabbedNotebook1.SetActivePageIndex(0);
    Panel1.SetTop(Panel1.Top() - 60);
    SetClientSize(ClientWidth(), ClientHeight() - 60);
}

void TForm2::ShowSettings(const std::string& page) {
    Show();
    if (!page.empty()) TabbedNotebook1.SetActivePageIndex(TabbedNotebook1.IndexOfPage(page));
}

void TForm2::ShowMissingCredentials() {
    ShowSettings(TabDialUp.Caption());
    (IniInfo.UsernameDUN.empty() ? edt_usernameDUN : edt_passwordDUN).SetFocus();
}

// Every activation shows the settings as they are in memory: edits not confirmed with OK
// are gone.
void TForm2::FormActivate(TObject*) {
    ComboBox3.Clear();  // the phonebook's entries are listed when the box is entered
    SignInPage.Values = ReadOAuthSettings();
    for (const TBound& b : Bindings(*this)) ShowSetting(b);
    Edit1.SetCaption(IntToStr(IniOptions.TimerDelay));
    // One password line per mailbox row, whatever a hand-edited file holds.
    std::vector<std::string> passwords = PasswordList;
    passwords.resize(MailList.size());
    MailboxPasswords = passwords;
    MailboxSignIns = SignInList;
    MailboxSignIns.resize(MailList.size());
    ListView1.ClearRows();
    for (size_t i = 0; i < MailList.size(); ++i)
        ListView1.AddRow({MailList[i], i < PopServerList.size() ? PopServerList[i] : ""});
    SpeedButton1.SetGlyph("SPEAKER");
    Edit1.SetEnabled(CheckBox2.Checked());
    // The hang-up time can be changed only while the hang-up is on.
    CheckBox3Click(&CheckBox3);
    ShowSignInKind("");
}

void TForm2::ComboBox3Enter(TObject*) {
    ComboBox3.Clear();
    if (host_)
        for (const std::string& name : host_->EntryNames()) ComboBox3.Add(name);
    ComboBox3.SetCaption(IniInfo.DialUpConnection);
}

void TForm2::ComboBox3Change(TObject*) {
    if (!host_) return;
    std::string user, password;
    host_->EntryCredentials(ComboBox3.Caption(), user, password);
    edt_usernameDUN.SetCaption(user);
    edt_passwordDUN.SetCaption(password);
}

void TForm2::Button12Click(TObject*) {
    if (host_) host_->EditEntry(ComboBox3.Caption());
}

void TForm2::Button11Click(TObject*) {
    if (host_) host_->CreateEntry();
}

void TForm2::PhoneNumberChange(TObject*) { ButtonPhoneAdd.SetEnabled(!ShownText(EdtPhoneNumber).empty()); }

void TForm2::ButtonPhoneAddClick(TObject*) {
    if (!ShownText(EdtPhoneNumber).empty()) ListBox3.Add(ShownText(EdtPhoneNumber));
}

void TForm2::ButtonRemovePhoneClick(TObject*) {
    if (ListBox3.ItemIndex() < 0) {
        Warn(GetLangText("Select a Phone Number to delete in the list at right, and then click on the remove button",
                         "const_phoneNoDelete"),
             helpctx::SettingsDialUp);
        return;
    }
    ListBox3.Delete(ListBox3.ItemIndex());
}

// "Add mailbox to the list --->" only with a server, an account and a password (none for a
// mailbox that signs in with a provider): an empty row would be saved and make every check fail.
bool TForm2::MailboxComplete() const {
    return !ShownText(edt_hostname).empty() && !ShownText(edt_username).empty() &&
           (ComboSignIn.ItemIndex() > 0 || !ShownText(edt_password).empty());
}

void TForm2::MailboxChange(TObject*) {
    Button6.SetEnabled(MailboxComplete());
    ButtonSignIn.SetEnabled(signingIn_ || (ComboSignIn.ItemIndex() > 0 && !ShownText(edt_hostname).empty() &&
                                           !ShownText(edt_username).empty()));
}

void TForm2::Button6Click(TObject*) {
    if (!MailboxComplete()) {
        Button6.SetEnabled(false);
        return;
    }
    ListView1.AddRow({ShownText(edt_username), ShownText(edt_hostname)});
    const bool password = ComboSignIn.ItemIndex() <= 0;
    MailboxPasswords.push_back(password ? ShownText(edt_password) : "");
    MailboxSignIns.push_back(ShownSignInKind());
}

void TForm2::ListView1Click(TObject*) {
    int r = ListView1.ItemIndex();
    Button7.SetEnabled(r >= 0);
    if (r < 0) {
        edt_hostname.SetCaption("");
        edt_username.SetCaption("");
        edt_password.SetCaption("");
    } else {
        edt_hostname.SetCaption(ListView1.Row(r).size() > 1 ? ListView1.Row(r)[1] : "");
        edt_username.SetCaption(ListView1.Row(r)[0]);
        edt_password.SetCaption(r < static_cast<int>(MailboxPasswords.size()) ? MailboxPasswords[static_cast<size_t>(r)] : "");
    }
    ShowSignInKind(r >= 0 && r < static_cast<int>(MailboxSignIns.size()) ? MailboxSignIns[static_cast<size_t>(r)] : "");
}

void TForm2::Button7Click(TObject*) {
    int r = ListView1.ItemIndex();
    if (r < 0) {
        Warn(GetLangText("Select a Mailbox to delete in the list at right, and then click on the remove button",
                         "const_SelectMail"),
             helpctx::SettingsMail);
        return;
    }
    ListView1.DeleteRow(r);
    if (r < static_cast<int>(MailboxPasswords.size())) MailboxPasswords.erase(MailboxPasswords.begin() + r);
    if (r < static_cast<int>(MailboxSignIns.size())) MailboxSignIns.erase(MailboxSignIns.begin() + r);
}

void TForm2::Button8Click(TObject*) {
    if (edt_application.Caption().empty()) {
        Warn(GetLangText("Enter an Application with the browse button above and then click on the add buttton", "const_appAdd"),
             helpctx::SettingsAutoRun);
        return;
    }
    HListBox3.Add(edt_application.Caption());
}

void TForm2::Button10Click(TObject*) {
    if (HListBox3.ItemIndex() < 0) {
        Warn(GetLangText("Select an Application to delete in the list at right, and then click on the remove button",
                         "const_appDelete"),
             helpctx::SettingsAutoRun);
        return;
    }
    HListBox3.Delete(HListBox3.ItemIndex());
}

void TForm2::Browse(const std::string& typeKey, const std::string& typeName, const std::string& filter, TControl& target) {
    OpenDialog1.Filter = GetLangText(typeName, typeKey) + filter;
    if (OpenDialog1.Execute(Handle())) target.SetCaption(OpenDialog1.FileName);
}

void TForm2::SpeedButton1Click(TObject*) {
    if (host_) host_->PlaySoundFile(edt_WaveSound.Caption());
}

void TForm2::CheckBox2Click(TObject*) { Edit1.SetEnabled(CheckBox2.Checked()); }

void TForm2::CheckBox3Click(TObject*) {
    ComboBox1.SetEnabled(CheckBox3.Checked());
    ComboBox2.SetEnabled(CheckBox3.Checked());
}

void TForm2::Button1OKClick(TObject*) {
    for (const TBound& b : Bindings(*this)) StoreSetting(b);
    // The interval must be a number of minutes the timer can take: 1 to 99.
    int32_t delay = 0;
    int stopped = ParseIntPosition(ShownText(Edit1), delay);
    if (stopped == 0 && (delay < kMinDelay || delay > kMaxDelay)) stopped = 1;
    if (stopped != 0) {
        Warn(GetLangText("Error in the delay for checking email: ", "const_ErrorDelay") + IntToStr(stopped), helpctx::CheckDelay);
        IniOptions.TimerDelay = kFallbackDelay;
    } else {
        IniOptions.TimerDelay = delay;
        if (host_) host_->SetMailCheckInterval(static_cast<uint32_t>(delay) * 60000u);
    }
    ForgetDroppedSignIns();
    PasswordList = OneLine(MailboxPasswords);
    SignInList = OneLine(MailboxSignIns);
    MailList.clear();
    PopServerList.clear();
    for (int r = 0; r < ListView1.RowCount(); ++r) {
        MailList.push_back(OneLine(ListView1.Row(r)[0]));
        PopServerList.push_back(OneLine(ListView1.Row(r).size() > 1 ? ListView1.Row(r)[1] : ""));
    }
    try {
        WriteOAuthSettings(SignInPage.Values);
        WriteIniFile();
    } catch (const EIniFileException& e) {
        // The file stays as it was; the values stay in effect and the next OK tries again.
        platform::Ui().MsgBox(SettingsNotSavedText(e.Message()), Application().Title(), MB_OK_ | MB_ICONERROR_,
                              helpctx::SettingsNotSaved);
    }
    if (host_) host_->SettingsSaved();
    Close();
}

void TForm2::Button2CancelClick(TObject*) { Close(); }
