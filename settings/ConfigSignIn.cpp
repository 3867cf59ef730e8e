// The settings dialog's Mail page, its sign-in part: how the mailbox in the boxes signs in
// (its password or a provider), and "Sign in..." for it, which runs the browser sign-in.
#include "core/HelpContexts.h"
#include "platform/Platform.h"
#include "settings/Config.h"
#include "settings/Ini.h"
#include "settings/IniLang.h"
#include "settings/SignIn.h"

TForm2::TSignInPage::TSignInPage(TForm2& f, TPageControl& notebook)
    : Tab(&f, &notebook, TControlKind::TabSheet, "TabSignIn"),
      GroupGoogle(&f, &Tab, TControlKind::GroupBox, "GroupGoogle"),
      LabelGoogleId(&f, &GroupGoogle, TControlKind::Label, "LabelGoogleId"),
      GoogleClientId(&f, &GroupGoogle, TControlKind::Edit, "GoogleClientId"),
      LabelGoogleSecret(&f, &GroupGoogle, TControlKind::Label, "LabelGoogleSecret"),
      GoogleClientSecret(&f, &GroupGoogle, TControlKind::Edit, "GoogleClientSecret"),
      GroupMicrosoft(&f, &Tab, TControlKind::GroupBox, "GroupMicrosoft"),
      LabelMicrosoftId(&f, &GroupMicrosoft, TControlKind::Label, "LabelMicrosoftId"),
      MicrosoftClientId(&f, &GroupMicrosoft, TControlKind::Edit, "MicrosoftClientId"),
      LabelClientIdHelp(&f, &Tab, TControlKind::Label, "LabelClientIdHelp"),
      GroupOther(&f, &Tab, TControlKind::GroupBox, "GroupOther"),
      LabelOtherAuthorization(&f, &GroupOther, TControlKind::Label, "LabelOtherAuthorization"),
      OtherAuthorizationEndpoint(&f, &GroupOther, TControlKind::Edit, "OtherAuthorizationEndpoint"),
      LabelOtherToken(&f, &GroupOther, TControlKind::Label, "LabelOtherToken"),
      OtherTokenEndpoint(&f, &GroupOther, TControlKind::Edit, "OtherTokenEndpoint"),
      LabelOtherScope(&f, &GroupOther, TControlKind::Label, "LabelOtherScope"),
      OtherScope(&f, &GroupOther, TControlKind::Edit, "OtherScope"),
      LabelOtherId(&f, &GroupOther, TControlKind::Label, "LabelOtherId"),
      OtherClientId(&f, &GroupOther, TControlKind::Edit, "OtherClientId"),
      LabelOtherSecret(&f, &GroupOther, TControlKind::Label, "LabelOtherSecret"),
      OtherClientSecret(&f, &GroupOther, TControlKind::Edit, "OtherClientSecret") {}

// Two columns: the built-in providers (their endpoints are known; only the program's
// registration with them is the user's) and the other provider, wholly typed.
void TForm2::TSignInPage::Build() {
    Tab.SetHelpContext(helpctx::SignIn);
    Tab.SetCaption("Sign-in");
    Place(GroupGoogle, 8, 4, 230, 104, "Google");
    Place(LabelGoogleId, 10, 18, 200, 13, "Client ID");
    Place(GoogleClientId, 10, 32, 210, 21);
    Place(LabelGoogleSecret, 10, 58, 200, 13, "Client secret");
    Place(GoogleClientSecret, 10, 72, 210, 21);
    Place(GroupMicrosoft, 8, 114, 230, 62, "Microsoft");
    Place(LabelMicrosoftId, 10, 18, 200, 13, "Client ID");
    Place(MicrosoftClientId, 10, 32, 210, 21);
    Place(LabelClientIdHelp, 10, 186, 226, 64,
          "A service gives a client ID to the programs registered with it; Help (F1) tells how to get one.");
    LabelClientIdHelp.SetWordWrap(true);
    Place(GroupOther, 246, 4, 240, 252, "Other provider");
    const std::pair<TControl*, TControl*> rows[] = {
        {&LabelOtherAuthorization, &OtherAuthorizationEndpoint}, {&LabelOtherToken, &OtherTokenEndpoint},
        {&LabelOtherScope, &OtherScope}, {&LabelOtherId, &OtherClientId}, {&LabelOtherSecret, &OtherClientSecret}};
    const char* const captions[] = {"Authorization endpoint", "Token endpoint", "Scope", "Client ID", "Client secret"};
    for (int i = 0; i < 5; ++i) {
        Place(*rows[i].first, 10, 18 + 46 * i, 220, 13, captions[i]);
        Place(*rows[i].second, 10, 32 + 46 * i, 220, 21);
    }
    for (TControl* endpoint : {&OtherAuthorizationEndpoint, &OtherTokenEndpoint})
        endpoint->SetHint("https://..., or http:// to a loopback address (127.0.0.1) only");
}

void TForm2::BuildSignInControls() {
    Label17.SetBounds(10, 146, 150, 13);
    Label17.SetCaption("Sign in with");
    ComboSignIn.SetBounds(10, 160, 86, 21);
    ComboSignIn.ComboStyle = TComboStyle::DropDownList;
    // In the order of TSignInKind; the providers' names stand as they are.
    ComboSignIn.SetItems({GetLangText("Password", "const_SignInPassword"), "Google", "Microsoft",
                          GetLangText("Other", "const_SignInOther")});
    ComboSignIn.SetItemIndex(skPassword);
    ButtonSignIn.SetBounds(100, 158, 62, 25);
    ButtonSignIn.SetCaption("Sign in...");
    ButtonSignIn.SetEnabled(false);
    ComboSignIn.OnChange = [this](TObject* s) { ComboSignInChange(s); };
    ButtonSignIn.OnClick = [this](TObject* s) { ButtonSignInClick(s); };
}

std::string TForm2::ShownSignInKind() const {
    return SignInKindText(ComboSignIn.ItemIndex() > 0 ? TSignInKind(ComboSignIn.ItemIndex()) : skPassword);
}

void TForm2::ShowSignInKind(const std::string& kind) {
    ComboSignIn.SetItemIndex(SignInKindFromText(kind));
    const bool password = ComboSignIn.ItemIndex() <= 0;
    Label11.SetEnabled(password);
    edt_password.SetEnabled(password);
    MailboxChange(nullptr);
}

int TForm2::RowInBoxes() const {
    const int r = ListView1.ItemIndex();
    if (r < 0 || ListView1.Row(r).size() < 2) return -1;
    return ListView1.Row(r)[0] == ShownText(edt_username) && ListView1.Row(r)[1] == ShownText(edt_hostname) ? r : -1;
}

// The choice applies to the selected mailbox while the boxes still show it, and to the one
// the boxes will add.
void TForm2::ComboSignInChange(TObject*) {
    const std::string kind = ShownSignInKind();
    const int r = RowInBoxes();
    if (r >= 0 && r < static_cast<int>(MailboxSignIns.size())) MailboxSignIns[static_cast<size_t>(r)] = kind;
    ShowSignInKind(kind);
}

void TForm2::ForgetDroppedSignIns() {
    for (size_t i = 0; i < MailList.size(); ++i) {
        const std::string server = i < PopServerList.size() ? PopServerList[i] : "";
        bool kept = false;
        for (int r = 0; r < ListView1.RowCount(); ++r) {
            const std::vector<std::string>& row = ListView1.Row(r);
            kept = kept || (row.size() > 1 && OneLine(row[0]) == MailList[i] && OneLine(row[1]) == server &&
                            r < static_cast<int>(MailboxSignIns.size()) &&
                            SignInKindFromText(MailboxSignIns[static_cast<size_t>(r)]) != skPassword);
        }
        try {
            if (!kept) ForgetSignIn(MailList[i], server);
        } catch (const EIniFileException&) {
            // Left for the next OK; the settings' own save below says why.
        }
    }
}

void TForm2::ButtonSignInClick(TObject*) {
    if (signingIn_) {
        signInCancelled_ = true;
        return;
    }
    const TSignInKind kind = SignInKindFromText(ShownSignInKind());
    const std::string account = OneLine(ShownText(edt_username)), server = OneLine(ShownText(edt_hostname));
    if (kind == skPassword || account.empty() || server.empty()) return;
    signingIn_ = true;
    signInCancelled_ = false;
    const std::string caption = ButtonSignIn.Caption();
    ButtonSignIn.SetCaption(GetLangText("Cancel", "const_SignInCancel"));
    // The dialog goes on answering while the user is in the browser; closing it cancels.
    const TSignInOutcome out = SignInMailbox(kind, account, server, [this] {
        Application().ProcessMessages();
        return !signInCancelled_ && Visible();
    });
    signingIn_ = false;
    ButtonSignIn.SetCaption(caption);
    if (out.Cancelled) return;
    if (out.Ok)
        platform::Ui().MsgBox(GetLangText("Signed in. Velmora can now check the mailbox", "const_SignedIn") + " " + account + ".",
                              Application().Title(), MB_OK_ | MB_ICONINFORMATION_, helpctx::SignIn);
    else
        platform::Ui().MsgBox(GetLangText("The sign-in did not succeed:", "const_SignInFailed") + " " + out.Problem,
                              Application().Title(), MB_OK_ | MB_ICONWARNING_, helpctx::SignIn);
}
