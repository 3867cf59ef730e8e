// The settings dialog "Configure Velmora": every setting the user may change, on five
// tabbed pages, loaded from the in-memory settings each time the dialog becomes active and
// written back (file, start with Windows, main window) by OK.
#pragma once
#include <string>
#include <vector>

#include "net/OAuth.h"
#include "settings/DialogHost.h"
#include "widgets/Forms.h"

class TForm2 : public TForm {
public:
    // The host (the window it is opened from, which it stays above) may be nullptr.
    explicit TForm2(TComponent* owner, IDialogHost* host = nullptr);
    ~TForm2() override;

    // Shows the dialog (which reloads it) with the page of that caption in front, if given.
    void ShowSettings(const std::string& page = "");
    // Shows the Dial-up page with the focus in the first of user name and password that is empty.
    void ShowMissingCredentials();

    // Controls, in creation order (the order Tab follows).
    TWinControl Panel1;
    TPageControl TabbedNotebook1;
    // "Dial-up connection"
    TWinControl TabDialUp;
    TControl Label1;
    TListBox ComboBox3;
    TControl Button12, Button11;
    TControl Label2, Label3;
    TControl edt_usernameDUN, edt_passwordDUN;
    TControl chk_StayOnline;
    TWinControl GroupBox1;
    TControl Label4, EdtPhoneNumber, ButtonPhoneAdd, ButtonRemovePhone;
    TListBox ListBox3;
    // "Automate"
    TWinControl TabAutomate;
    TControl CheckBox4, CheckBox1, CheckBox3, Label5;
    TListBox ComboBox1;
    TControl Label6;
    TListBox ComboBox2;
    TControl Label7, AutoAdjustClock, Label8;
    TListBox edt_timeServer;
    // "Mail"
    TWinControl TabMail;
    TWinControl GroupBox2;
    TControl Label9, edt_hostname, Label10, edt_username, Label11, edt_password, Label17;
    // How the mailbox signs in: its line is a TSignInKind (Password, Google, Microsoft, Other).
    TListBox ComboSignIn;
    TControl ButtonSignIn, Button6, Button7;
    TListView ListView1;
    // The mailbox passwords, one per row of ListView1. Kept in memory only, never in a
    // window, where any program could read them.
    std::vector<std::string> MailboxPasswords;
    // How each row of ListView1 signs in ("password", "google", ...: the list SignInList).
    std::vector<std::string> MailboxSignIns;
    // "Mail options"
    TWinControl TabMailOptions;
    TControl CheckBox2, Label12, Edit1, Label13;
    TControl Label14, edt_emailApplication, Button3, CheckBoxStartAppEmailReceived;
    TControl Label15, edt_WaveSound, SpeedButton1, Button4;
    // "AutoRun"
    TWinControl TabAutoRun;
    TWinControl GroupBox3;
    TControl Label16, WebBrowser, Button5;
    TWinControl GroupBox4;
    TControl edt_application, Button9, Button8, Button10;
    TListBox HListBox3;
    // "Sign-in": the providers' client ids and the other provider's endpoints, the settings
    // file's section "OAuth" (settings/ConfigSignIn.cpp).
    struct TSignInPage {
        TSignInPage(TForm2& f, TPageControl& notebook);
        void Build();
        TWinControl Tab, GroupGoogle;
        TControl LabelGoogleId, GoogleClientId, LabelGoogleSecret, GoogleClientSecret;
        TWinControl GroupMicrosoft;
        TControl LabelMicrosoftId, MicrosoftClientId, LabelClientIdHelp;
        TWinControl GroupOther;
        TControl LabelOtherAuthorization, OtherAuthorizationEndpoint, LabelOtherToken, OtherTokenEndpoint;
        TControl LabelOtherScope, OtherScope, LabelOtherId, OtherClientId, LabelOtherSecret, OtherClientSecret;
        TOAuthSettings Values;  // as the file has them, read on each activation
    } SignInPage;
    TControl Button1OK, Button2Cancel;

    TOpenDialog OpenDialog1;

    void FormCreate();
    void FormActivate(TObject* Sender);
    void ComboBox3Enter(TObject* Sender);
    void ComboBox3Change(TObject* Sender);
    void Button12Click(TObject* Sender);
    void Button11Click(TObject* Sender);
    void PhoneNumberChange(TObject* Sender);
    void ButtonPhoneAddClick(TObject* Sender);
    void ButtonRemovePhoneClick(TObject* Sender);
    void MailboxChange(TObject* Sender);
    bool MailboxComplete() const;
    void Button6Click(TObject* Sender);
    // The Mail page's sign-in (settings/ConfigSignIn.cpp): the kind chosen for the mailbox
    // in the boxes, and "Sign in..." for it, whose caption is Cancel while the browser is out.
    void ComboSignInChange(TObject* Sender);
    void ButtonSignInClick(TObject* Sender);
    // The kind the combo shows; the password where it shows none.
    std::string ShownSignInKind() const;
    // Shows the kind of a row (a settings word) in the combo, and what it enables.
    void ShowSignInKind(const std::string& kind);
    // On OK: a mailbox gone from the list, or now signing in with its password, leaves no
    // sign-in behind.
    void ForgetDroppedSignIns();
    void ListView1Click(TObject* Sender);
    void Button7Click(TObject* Sender);
    void Button8Click(TObject* Sender);
    void Button10Click(TObject* Sender);
    void SpeedButton1Click(TObject* Sender);
    void CheckBox2Click(TObject* Sender);
    void CheckBox3Click(TObject* Sender);
    void Button1OKClick(TObject* Sender);
    void Button2CancelClick(TObject* Sender);

private:
    IDialogHost* host_ = nullptr;
    void BuildControls();
    void BuildSignInControls();
    void BindEvents();
    // The row of ListView1 the boxes show (account and server), or -1.
    int RowInBoxes() const;
    bool signingIn_ = false;
    bool signInCancelled_ = false;
    // Runs the file-open dialog for the picker's file type and puts the choice in target.
    void Browse(const std::string& typeKey, const std::string& typeName, const std::string& filter, TControl& target);
};

// The settings dialog of the program, while it exists.
extern TForm2* Form2;

// The hosts offered for setting the clock (TIME protocol, TCP port 37).
extern const std::vector<std::string> kTimeServers;

// The text a box shows now, asked of its window (another program may have set it without a
// change notification); and a text cut at its first line break, as a setting is stored.
std::string ShownText(const TControl& c);
std::string OneLine(const std::string& s);
std::vector<std::string> OneLine(const std::vector<std::string>& v);

// Places a control of the dialog (96-dpi units, as all its layout) and gives it its caption.
void Place(TControl& c, int left, int top, int width, int height, const char* caption = nullptr);

// Reads a number as the mail-check interval box takes it: leading blanks, a sign, decimal
// or "$"/"0x" hexadecimal digits. Returns 0 with value set, or the position (counting from
// 1) of the first character that is not part of a number (1 for an empty text).
int ParseIntPosition(const std::string& text, int32_t& value);
