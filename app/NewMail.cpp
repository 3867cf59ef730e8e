// Only new mail is announced: the unique ids of each mailbox's messages are compared with
// those it held at its last check, and the check announces (sound, icon, e-mail program,
// balloon) only when one of them is new. A server without unique ids has every message
// taken as new, as before. Also here: the decision on a mail server's certificate.
#include "app/NewMail.h"

#include "app/Main_F.h"
#include "core/HelpContexts.h"
#include "core/SysUtils.h"
#include "platform/Platform.h"
#include "settings/CertificatePins.h"
#include "settings/Ini.h"
#include "settings/IniLang.h"

static_assert(TSeenMail::MaxIds == T_Pop3::MaxListedMessages, "the record holds every message a listing gives");

std::string SeenMailFileName() { return ExtractFilePath(IniFileName()) + "velmora.uid"; }

std::string ShortSender(const std::string& from) {
    std::string s = Trim(from);
    size_t open = s.find('<');
    if (open == std::string::npos) return s;
    std::string name = Trim(s.substr(0, open));
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"') name = Trim(name.substr(1, name.size() - 2));
    if (!name.empty()) return name;
    size_t close = s.find('>', open);
    return s.substr(open + 1, close == std::string::npos ? std::string::npos : close - open - 1);
}

void TMainForm::BeginNewMailTally() {
    newMail_.Seen = TSeenMail(SeenMailFileName());
    newMail_.Seen.Load();
    newMail_.Count = 0;
    newMail_.Senders.clear();
}

void TMainForm::EndNewMailTally() {
    std::vector<std::string> keys;
    for (size_t i = 0; i < MailList.size(); ++i) {
        const std::string server = i < PopServerList.size() ? PopServerList[i] : "";
        keys.push_back(SeenMailKey(MailList[i], server.substr(0, server.find('\r'))));
    }
    newMail_.Seen.KeepOnly(keys);
    newMail_.Seen.Save();  // a record that cannot be written only means announcing again
}

std::vector<TListedMail> TMainForm::ListedMail(T_MailClient& client) {
    bool ids = false;
    try {
        // (IMAP names its messages by UIDVALIDITY and UID already, without asking.)
        ids = client.GetUniqueIds();
    } catch (const ETcpIpError&) {
        // A garbled answer to UIDL costs only the record: the mail is announced as before.
    }
    std::vector<TListedMail> listed;
    for (const auto& r : client.MessageList())
        listed.push_back({ids ? r->UniqueId : "", r->From});
    return listed;
}

void TMainForm::NoteNewMail(const std::string& account, const std::string& server,
                            const std::vector<TListedMail>& listed) {
    bool allIds = true;
    std::vector<std::string> ids;
    for (const TListedMail& m : listed) {
        allIds = allIds && !m.UniqueId.empty();
        ids.push_back(m.UniqueId);
    }
    std::vector<bool> fresh(listed.size(), true);
    if (allIds) fresh = newMail_.Seen.Update(SeenMailKey(account, server), ids);
    for (size_t i = 0; i < listed.size(); ++i) {
        if (!fresh[i]) continue;
        ++newMail_.Count;
        std::string who = ShortSender(listed[i].From);
        bool named = false;
        for (const std::string& s : newMail_.Senders) named = named || s == who;
        if (!who.empty() && !named) newMail_.Senders.push_back(who);
    }
}

void TMainForm::ShowNewMailBalloon() {
    if (newMail_.Count <= 0 || !MainTrayIcon.Visible()) return;
    std::string text = IntToStr(newMail_.Count) + " " +
                       (newMail_.Count == 1 ? GetLangText("new message", "const_NewMailOne")
                                            : GetLangText("new messages", "const_NewMailMany"));
    // The balloon holds 255 characters: name senders while they fit.
    std::string from;
    for (const std::string& s : newMail_.Senders) {
        std::string next = from.empty() ? s : from + ", " + s;
        if (next.size() > 180) {
            from += ", ...";
            break;
        }
        from = next;
    }
    if (!from.empty()) text += " " + GetLangText("from", "const_NewMailFrom") + " " + from;
    MainTrayIcon.ShowBalloon(GetLangText("New mail", "const_NewMailTitle"), text);
}

bool TMainForm::TrustMailServer(const std::string& account, const platform::TTlsPeer& peer) {
    if (peer.Trusted) return true;
    std::string pinned = PinnedCertificate(peer.Host);
    if (!pinned.empty() && pinned == UpperCase(peer.Fingerprint)) return true;
    const std::string fingerprint =
        "\r\n\r\n" + GetLangText("SHA-256 fingerprint:", "const_CertFingerprint") + "\r\n" + FingerprintLines(peer.Fingerprint);
    if (!pinned.empty()) {
        platform::Ui().MsgBox(GetLangText("The certificate of the mail server has changed for the mailbox",
                                          "const_CertChanged") +
                                  " " + account + " (" + peer.Host + "). " +
                                  GetLangText("The mailbox was not checked and no password was sent.",
                                              "const_CertRefused") +
                                  fingerprint,
                              Application().Title(), MB_OK_ | MB_ICONWARNING_, helpctx::Certificate);
        return false;
    }
    if (!userCheck_) {
        // Nobody asked for this check, so nobody may be there to answer (or the Enter meant
        // for another program would answer): the mailbox waits for the user's next check.
        HListBox2.Add(account + " (" + peer.Host + "): " +
                      GetLangText("the certificate of the mail server waits for your confirmation at the next check you start",
                                  "const_CertWaits"));
        return false;
    }
    // "No" is the default and the question stays behind the program the user types in.
    int answer = platform::Ui().MsgBox(
        GetLangText("This computer does not trust the certificate of the mail server for the mailbox",
                    "const_CertUntrusted") +
            " " + account + " (" + peer.Host + "): " + peer.Problem + fingerprint + "\r\n\r\n" +
            GetLangText("Trust this certificate for this server from now on?", "const_CertTrust"),
        Application().Title(), MB_YESNO_ | MB_ICONQUESTION_ | MB_DEFBUTTON2_ | MB_STAYBEHIND_, helpctx::Certificate);
    if (answer != IDYES_) return false;
    try {
        PinCertificate(peer.Host, peer.Fingerprint);
    } catch (const EIniFileException&) {
        // Trusted for this check only; the next one asks again.
    }
    return true;
}
