// The mail check: every configured mailbox is read with the POP3 or the IMAP client; what it holds is
// listed and counted, and, when a message was not there at the last check, announced with
// the new-mail sound (or the new-mail icon when the sound cannot be played), a balloon
// notice and, if wished, by starting the e-mail program.
#include "app/Main_F.h"
#include "app/Progress.h"
#include "core/HelpContexts.h"
#include "core/SysUtils.h"
#include "mail/ServerText.h"
#include "platform/Platform.h"
#include "settings/Ini.h"
#include "settings/IniLang.h"
#include "settings/SignIn.h"

namespace {
const char kNotConfigured[] = "Error, Not able to retrieve your email. Please configure your email account correctly";

void ProcessMessages() { Application().ProcessMessages(); }

// Entry i of a list, or empty where a hand-edited file left the list shorter.
const std::string& At(const std::vector<std::string>& list, size_t i) {
    static const std::string empty;
    return i < list.size() ? list[i] : empty;
}
}  // namespace

std::string TMainForm::AccessTokenFor(TSignInKind kind, const std::string& account, const std::string& server,
                                      bool renew) {
    const TTokenAnswer answer = MailboxAccess(kind, account, server, renew);
    if (answer.Outcome == toRefused) throw ESignInNeeded("sign in again");
    if (answer.Outcome != toTokens) throw ETcpIpError(answer.Problem);
    return answer.AccessToken;
}

bool TMainForm::OfferSignIn(const std::string& account, const std::string& server, TSignInKind kind) {
    const int answer = platform::Ui().MsgBox(
        GetLangText("The mail service asks you to sign in again for the mailbox", "const_SignInAsk") + " " + account +
            ".\r\n\r\n" + GetLangText("Sign in now in your web browser?", "const_SignInNow"),
        Application().Title(), MB_YESNO_ | MB_ICONQUESTION_, helpctx::SignIn);
    if (answer != IDYES_) return false;
    Progress().Stage(GetLangText("Waiting for the sign-in in your web browser...", "const_SignInWaiting"));
    const TSignInOutcome out = SignInMailbox(kind, account, server, [this] {
        ProcessMessages();
        return !mailCancelled_;
    });
    if (!out.Ok && !out.Cancelled) HListBox2.Add(account + ": " + out.Problem);
    return out.Ok;
}

// A check the user watches: the progress window with its animation, the hourglass.
void TMainForm::CheckEmailWithIcon(bool userAsked) {
    if (MailList.empty()) {
        platform::Ui().MsgBox(kNotConfigured, Application().Title(), MB_OK_ | MB_ICONERROR_, helpctx::MailNotConfigured);
        ShowSettingsDialog(GetLangText("Mail", "const_tab3"));
        return;
    }
    platform::Ui().SetBusyCursor(true);
    // Cancel stops the check: a slow or hostile server must not hold the user.
    Progress().Begin({.animation = "CHECKEMAIL_ANI",
                      .heading = GetLangText("Checking for new emails", "const_checkemail"),
                      .onCancel = [this] { ProgressCancelled(); }});
    struct Restore {  // also when the check fails
        ~Restore() {
            platform::Ui().SetBusyCursor(false);
            Progress().End();
        }
    } restore;
    CheckAllEmailAccount(userAsked);
}

void TMainForm::TimerCheckEmailTimer(TObject*) { CheckAllEmailAccount(); }

void TMainForm::ProgressCancelled() {
    if (checkingMail_)
        mailCancelled_ = true;  // the client gives up at its next wait
    else
        CancelDial();
}

void TMainForm::CheckAllEmailAccount(bool userAsked) {
    if (MailList.empty()) return;
    // The window handles messages between mailboxes, so a timer tick or a click may ask for
    // a check while one runs; both would share the one POP3 client. The running one goes on.
    if (checkingMail_) return;
    checkingMail_ = true;
    userCheck_ = userAsked;
    mailCancelled_ = false;
    struct Done {
        bool& flag;
        bool& user;
        bool& cancelled;
        ~Done() { flag = user = cancelled = false; }
    } done{checkingMail_, userCheck_, mailCancelled_};

    nbr_emails.SetCaption("0");
    HListBox2.Clear();
    BeginNewMailTally();
    for (size_t i = 0; i < MailList.size(); ++i) {
        Progress().Stage(GetLangText("Checking for account : ", "const_checkingAccount") + " " + MailList[i]);
        ProcessMessages();
        CheckEmailForThisAccount(MailList[i], At(PasswordList, i), At(PopServerList, i), MailboxSignInKind(i));
        ProcessMessages();
        if (mailCancelled_) break;
    }
    EndNewMailTally();
    // Lines of failed mailboxes are no mail.
    if (StrToIntDef(nbr_emails.Caption(), 0) > 0) {
        // Mail that was announced before stays listed and counted, and quiet.
        if (NewMailCount() > 0) {
            if (!platform::Sound().PlayWaveAsync(IniInfo.SoundFile)) ShowNewMailIcon();
            ShowNewMailBalloon();
            if (IniOptions.AutoExecEmailApp && nbr_emails.Caption() != "0") RunProgram(IniInfo.EmailApp, "");
        }
    } else {
        SystemTrayIcon1.SetVisible(false);
    }
}

void TMainForm::ShowNewMailIcon() {
    // Loaded once: the icon stays the same for the program's life.
    if (!MailIcon.Handle()) MailIcon.SetHandle(platform::Tray().LoadIconResource("BMAIL_ICON"));
    SystemTrayIcon1.SetIcon(MailIcon);
}

void TMainForm::CheckEmailForThisAccount(const std::string& account, const std::string& password,
                                         const std::string& server, TSignInKind kind) {
    // A mailbox that signs in with a provider has no password.
    if (server.empty() || account.empty() || (kind == skPassword && password.empty())) {
        platform::Ui().MsgBox(kNotConfigured, Application().Title(), MB_OK_ | MB_ICONERROR_, helpctx::MailNotConfigured);
        return;
    }
    std::string host = server.substr(0, server.find('\r'));
    // A sign-in the user just made, after the provider refused the kept one, is used at once.
    bool signedInNow = false;
    for (int attempt = 0; attempt < 2; ++attempt) try {
        // The same steps for every protocol; the server text says which client reads it.
        T_MailClient& client = mailClients.For(host);
        client.SetHostname(host);
        client.SetUserName(account);
        client.SetPassword(password);
        // Clients are shared between mailboxes: a password mailbox must not inherit a token.
        client.OnAccessToken = nullptr;
        if (kind != skPassword) {
            client.PreferredMechanism = SignInProvider(kind).Mechanism;
            client.OnAccessToken = [kind, account, server](bool renew) { return AccessTokenFor(kind, account, server, renew); };
        }
        client.OnCertificate = [this, account](TObject*, const platform::TTlsPeer& peer) {
            return TrustMailServer(account, peer);
        };
        // The window handles its messages while the client waits for the server and
        // while a long mailbox comes in.
        client.OnWait = [this, &client](TObject*) {
            ProcessMessages();
            if (mailCancelled_) client.Abort();
        };
        client.Login();
        client.GetHeaders();
        std::vector<TListedMail> listed = ListedMail(client);
        if (!client.MailLines.empty()) {
            // The mailbox's lines go into the list in one go.
            std::vector<std::string> lines;
            lines.reserve(client.MailLines.size() + 1);
            lines.push_back(GetLangText("Mail for : ", "const_MailFor") + account);
            lines.insert(lines.end(), client.MailLines.begin(), client.MailLines.end());
            HListBox2.AddStrings(lines);
            HListBox2.Repaint();
        }
        client.Logout();
        nbr_emails.SetCaption(
            IntToStr(static_cast<long long>(client.MailLines.size()) + StrToIntDef(nbr_emails.Caption(), 0)));
        NoteNewMail(account, host, listed);
        return;
    } catch (const ESignInNeeded&) {
        if (mailCancelled_) return;
        // The server is not kept waiting while the user is in the browser.
        try {
            mailClients.For(host).Logout();
        } catch (const ETcpIpError&) {
        }
        // Only a check the user started asks: nobody may be there for the timer's.
        if (userCheck_ && !signedInNow && OfferSignIn(account, server, kind)) {
            signedInNow = true;
            continue;
        }
        HListBox2.Add(account + ": " + GetLangText("sign in again (Settings, Mail)", "const_SignInAgain"));
        HListBox2.Repaint();
        return;
    } catch (const ECertificateError&) {
        // The user was asked or warned about the certificate already, or it waits for the
        // user's next check (listed then); nothing was sent.
        return;
    } catch (const ETcpIpError& e) {
        if (mailCancelled_) {
            HListBox2.Add(account + ": " + GetLangText("mail check cancelled", "const_MailCheckCancelled"));
            return;
        }
        // The box says the same for every failure; the server's own reason, under the
        // mailbox's name, tells a wrong password from a server that is down, and why TLS
        // failed tells a wrong port.
        // (The password masked is this mailbox's, whichever client read it.)
        std::string reason = MailFailureReason(e, password);
        if (dynamic_cast<const ETlsError*>(&e))
            reason = GetLangText("no secure connection to the mail server: ", "const_TlsFailed") + reason;
        HListBox2.AddStrings({account, reason});
        HListBox2.Repaint();
        // The timer's next check may fail the same way while this box is still open.
        ShowBoxOnce(GetLangText("The Email server is not responding or the address entered in the Settings is wrong.",
                                "const_EmailDown"),
                    MB_OK_ | MB_ICONWARNING_, helpctx::MailServerDown);
        return;
    }
}
