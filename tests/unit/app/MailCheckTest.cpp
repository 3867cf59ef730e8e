// The mail check over in-memory POP3 and IMAP services: what is listed, counted and announced.
#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <tuple>

#include "app/Main_F.h"
#include "app/Unit4.h"
#include "core/Base64.h"
#include "platform/headless/ScriptedHttps.h"
#include "settings/CertificatePins.h"
#include "settings/Config.h"
#include "settings/Ini.h"
#include "settings/SignIn.h"
#include "tests/unit/HeadlessFixture.h"

namespace {
// A mailbox on a server: its messages as (from, subject); a refused one answers -ERR to PASS.
// A broken one ("list": a LIST line that is not two numbers, "top": -ERR to TOP 1, "drop":
// the connection ends inside a TOP answer) shows that fault.
struct Box {
    std::string password;
    std::vector<std::pair<std::string, std::string>> messages;
    std::string fault;
    bool uidl = true;  // answers UIDL with "From-Subject" as each message's id
};

// Run when a TOP command comes in: what the user does while the server is busy.
std::function<void()> g_duringTop;

// A server in memory: each line the client sends goes to Answer, what the server says waits
// in out_; once it is all taken, the server has closed the connection.
class FakeLineSocket : public platform::IBlockingSocket {
public:
    int Send(const char* data, int len) override {
        in_.append(data, len);
        for (size_t eol; (eol = in_.find("\r\n")) != std::string::npos; in_.erase(0, eol + 2)) Answer(in_.substr(0, eol));
        return len;
    }
    int Receive(char* buf, int len, int) override {
        int n = std::min<int>(len, static_cast<int>(out_.size()));
        out_.copy(buf, n);
        out_.erase(0, n);
        return n;
    }
    bool PeerConnected() override { return true; }
    int LastError() const override { return 0; }

protected:
    virtual void Answer(const std::string& line) = 0;
    std::string out_;

private:
    std::string in_;
};

// Talks POP3 from memory: each host name maps to a server with mailboxes by user name.
class FakePopSocket : public FakeLineSocket {
public:
    // token: the access token AUTH XOAUTH2 takes, offered in CAPA; none: no CAPA.
    FakePopSocket(std::map<std::string, Box>& boxes, std::vector<std::string>& heard, const std::string& token)
        : boxes_(boxes), heard_(heard), token_(token) {
        Say("+OK ready");
    }
    int Id() const override { return 7; }

private:
    void Say(const std::string& line) { out_ += line + "\r\n"; }
    void Answer(const std::string& cmd) override {
        heard_.push_back(cmd);
        if (cmd == "CAPA") {
            Say(token_.empty() ? "-ERR" : "+OK\r\nSASL XOAUTH2\r\n.");
        } else if (cmd.rfind("AUTH XOAUTH2 ", 0) == 0) {
            std::string r;
            Base64Decode(cmd.substr(13), r);
            user_ = r.substr(5, r.find('\x01') - 5);
            Say(r.find("Bearer " + token_ + "\x01") != std::string::npos ? "+OK" : "-ERR [AUTH] refused");
        } else if (cmd.rfind("USER ", 0) == 0) {
            user_ = cmd.substr(5);
            Say("+OK");
        } else if (cmd.rfind("PASS ", 0) == 0) {
            auto b = boxes_.find(user_);
            Say(b != boxes_.end() && b->second.password == cmd.substr(5) ? "+OK" : "-ERR refused");
        } else if (cmd == "LIST") {
            Say("+OK");
            auto& m = boxes_[user_].messages;
            for (size_t i = 0; i < m.size(); ++i) Say(std::to_string(i + 1) + " 100");
            if (boxes_[user_].fault == "list") Say("3 many");
            Say(".");
        } else if (cmd == "UIDL") {
            auto& b = boxes_[user_];
            if (!b.uidl) return Say("-ERR unknown command");
            Say("+OK");
            for (size_t i = 0; i < b.messages.size(); ++i)
                Say(std::to_string(i + 1) + " " + b.messages[i].first + "-" + b.messages[i].second);
            Say(".");
        } else if (cmd.rfind("TOP ", 0) == 0) {
            if (g_duringTop) g_duringTop();
            size_t n = std::stoul(cmd.substr(4));
            auto& m = boxes_[user_].messages[n - 1];
            const std::string& fault = boxes_[user_].fault;
            if (fault == "top" && n == 1) return Say("-ERR no such message");
            if (fault == "drop") return Say("+OK\r\nFrom: " + m.first);  // and nothing more
            Say("+OK");
            Say("From: " + m.first);
            Say("Subject: " + m.second);
            Say("");
            Say(".");
        } else {
            Say("+OK");
        }
    }
    std::map<std::string, Box>& boxes_;
    std::vector<std::string>& heard_;
    const std::string& token_;
    std::string user_;
};

class FakePopService : public platform::IBlockingSockets {
public:
    int Startup() override { return 0; }
    void Cleanup() override {}
    bool ResolveHost(const std::string& name, uint32_t& address) override {
        auto it = hosts.find(name);
        if (it == hosts.end()) return false;
        address = it->second;
        return true;
    }
    std::unique_ptr<platform::IBlockingSocket> Connect(uint32_t address, uint16_t port, int, int& error) override {
        ++connects;
        if ((port != 110 && port != 995) || !servers.count(address)) {
            error = platform::sockErrRefused;
            return nullptr;
        }
        return std::make_unique<FakePopSocket>(servers[address], heard, token);
    }
    // TLS that keeps the connection and shows the certificate the test chose.
    std::unique_ptr<platform::IBlockingSocket> StartTls(std::unique_ptr<platform::IBlockingSocket> plain,
                                                        const std::string& host, int, platform::TTlsPeer& peer) override {
        peer = {host, trusted, trusted ? "" : "not issued by a trusted authority", fingerprint};
        return plain;
    }
    bool trusted = false;
    std::string fingerprint = "AA:01";
    std::string token;
    std::vector<std::string> heard;  // every command of every connection
    std::map<std::string, uint32_t> hosts;
    std::map<uint32_t, std::map<std::string, Box>> servers;
    int connects = 0;
};

// One inbox of unseen messages (uid, sender, subject) under a UIDVALIDITY.
struct Inbox {
    std::string uidValidity = "7";
    std::vector<std::tuple<int, std::string, std::string>> unseen;
    std::vector<std::string> heard;
};

class FakeImapSocket : public FakeLineSocket {
public:
    explicit FakeImapSocket(Inbox& inbox) : inbox_(inbox) { out_ = "* OK [CAPABILITY IMAP4rev1] ready\r\n"; }
    int Id() const override { return 9; }

private:
    void Answer(const std::string& line) override {
        std::string tag = line.substr(0, line.find(' ')), cmd = line.substr(tag.size() + 1);
        inbox_.heard.push_back(cmd);
        if (cmd == "EXAMINE INBOX") out_ += "* OK [UIDVALIDITY " + inbox_.uidValidity + "] ok\r\n";
        if (cmd == "UID SEARCH UNSEEN") {
            out_ += "* SEARCH";
            for (auto& m : inbox_.unseen) out_ += " " + std::to_string(std::get<0>(m));
            out_ += "\r\n";
        }
        if (cmd.rfind("UID FETCH", 0) == 0) {
            for (auto& [uid, from, subject] : inbox_.unseen) {
                std::string h = "From: " + from + "\r\nSubject: " + subject + "\r\n\r\n";
                out_ += "* 1 FETCH (UID " + std::to_string(uid) + " BODY[HEADER.FIELDS (FROM SUBJECT)] {" +
                        std::to_string(h.size()) + "}\r\n" + h + ")\r\n";
            }
        }
        out_ += tag + " OK done\r\n";
    }

    Inbox& inbox_;
};

class FakeImapService : public platform::IBlockingSockets {
public:
    int Startup() override { return 0; }
    void Cleanup() override {}
    bool ResolveHost(const std::string&, uint32_t& a) override { return a = 5, true; }
    std::unique_ptr<platform::IBlockingSocket> Connect(uint32_t, uint16_t port, int, int& error) override {
        if (port != 143) return error = platform::sockErrRefused, nullptr;
        return std::make_unique<FakeImapSocket>(inbox);
    }
    Inbox inbox;
};
}  // namespace

class MailCheckTest : public HeadlessTest {
protected:
    MailCheckTest() : form(&Application()), progress(&Application()) {
        Application().MainForm = &form;
        form.FormCreate();
        form.pop.SetSockets(&service);
        form.mailClients.For("imap://any").SetSockets(&imapService);
        service.hosts = {{"pop.a", 1}, {"pop.b", 2}, {"pop.down", 3}};
        service.servers[1]["alice"] = {"pw1", {{"Bob", "Hello"}, {"Carol", "Lunch"}}, ""};
        service.servers[2]["dave"] = {"pw2", {}, ""};
        MailList = {"alice", "dave"};
        PasswordList = {"pw1", "pw2"};
        PopServerList = {"pop.a", "pop.b"};
        IniInfo.SoundFile = "C:\\velmora\\man.wav";
    }
    ~MailCheckTest() override {
        g_duringTop = nullptr;
    }
    FakePopService service;
    FakeImapService imapService;  // IMAP server texts: any host, port 143
    TMainForm form;
    TForm4 progress;
    TForm2 settings{nullptr};
};

TEST_F(MailCheckTest, ListsCountsAndPlaysTheSound) {
    form.CheckEmailWithIcon();
    EXPECT_EQ(form.HListBox2.Items(), (std::vector<std::string>{"Mail for : alice", "Bob\aHello", "Carol\aLunch"}));
    EXPECT_EQ(form.nbr_emails.Caption(), "2");
    EXPECT_EQ(sound.waves, (std::vector<std::string>{"C:\\velmora\\man.wav"}));
    EXPECT_FALSE(form.SystemTrayIcon1.Visible());
    EXPECT_FALSE(progress.Visible());
    EXPECT_EQ(progress.Animate1.ResName(), "CHECKEMAIL_ANI");
    EXPECT_FALSE(ui.busyCursor);
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(MailCheckTest, AnUnplayableSoundShowsTheNewMailIconUntilACheckFindsNothing) {
    sound.waveResult = false;
    int loads = tray.iconLoads;
    form.CheckEmailWithIcon();
    EXPECT_TRUE(form.SystemTrayIcon1.Visible());
    EXPECT_NE(form.SystemTrayIcon1.Icon().Handle(), 0u);
    form.CheckEmailWithIcon();
    EXPECT_EQ(tray.iconLoads - loads, 1);  // loaded once, not once per check
    service.servers[1]["alice"].messages.clear();
    form.CheckEmailWithIcon();
    EXPECT_TRUE(form.HListBox2.Items().empty());
    EXPECT_EQ(form.nbr_emails.Caption(), "0");
    EXPECT_FALSE(form.SystemTrayIcon1.Visible());
}

TEST_F(MailCheckTest, AFailingMailboxWarnsAndTheOthersStillCount) {
    MailList = {"alice", "erin", "alice"};
    PasswordList = {"pw1", "x", "pw1"};
    PopServerList = {"pop.a", "pop.down", "pop.a\r\nextra"};  // a line break after the host is cut
    form.CheckEmailWithIcon();
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "The Email server is not responding or the address entered in the Settings is wrong.");
    EXPECT_EQ(ui.boxes[0].flags, MB_OK_ | MB_ICONWARNING_);
    EXPECT_EQ(form.nbr_emails.Caption(), "4");
}

// A refused login keeps its box and lists the server's reason under the mailbox's name;
// those lines are no mail: no sound, and the new-mail icon goes.
TEST_F(MailCheckTest, ARefusedLoginListsTheServersReasonUnderTheMailbox) {
    PasswordList = {"wrong", "pw2"};
    form.CheckEmailWithIcon();
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "The Email server is not responding or the address entered in the Settings is wrong.");
    EXPECT_EQ(form.HListBox2.Items(), (std::vector<std::string>{"alice", "refused"}));
    EXPECT_EQ(form.nbr_emails.Caption(), "0");
    EXPECT_TRUE(sound.waves.empty());
    EXPECT_FALSE(form.SystemTrayIcon1.Visible());
}

TEST_F(MailCheckTest, MissingAccountDetailsAndNoMailboxAtAll) {
    PasswordList = {"pw1"};  // the second mailbox has no password
    form.CheckEmailWithIcon();
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "Error, Not able to retrieve your email. Please configure your email account correctly");
    EXPECT_EQ(form.nbr_emails.Caption(), "2");

    MailList.clear();
    form.TimerCheckEmailTimer(nullptr);  // a timer check says nothing
    EXPECT_EQ(ui.boxes.size(), 1u);
    form.CheckEmailWithIcon();  // a visible one explains and opens the mail page of the settings
    EXPECT_EQ(ui.boxes.size(), 2u);
    EXPECT_TRUE(settings.Visible());
    EXPECT_EQ(settings.TabbedNotebook1.Page(settings.TabbedNotebook1.ActivePageIndex())->Caption(), "Mail");
}

TEST_F(MailCheckTest, TheEmailProgramStartsOnlyWhenMailWasFound) {
    IniOptions.AutoExecEmailApp = true;
    IniInfo.EmailApp = "C:\\mail\\mail.exe /check";
    form.CheckEmailWithIcon();
    ASSERT_EQ(programs.executed.size(), 1u);
    EXPECT_EQ(programs.executed[0].file, "C:\\mail\\mail.exe");
    service.servers[1]["alice"].messages.clear();
    form.CheckEmailWithIcon();
    EXPECT_EQ(programs.executed.size(), 1u);
    IniOptions.AutoExecEmailApp = false;
}

TEST_F(MailCheckTest, ConnectingChecksAtOnceAndThenAtTheInterval) {
    IniOptions.TimerEnabled = true;
    IniOptions.TimerDelay = 15;
    IniOptions.AutoAdjustClock = false;
    form.ReactToIniOptions();
    Connected = true;
    form.ConnectedActions();
    EXPECT_EQ(service.connects, 2);  // the visible check, both mailboxes
    clock.Advance(15 * 60000);
    EXPECT_EQ(service.connects, 4);
    form.Disconnect();
    clock.Advance(30 * 60000);
    EXPECT_EQ(service.connects, 4);
    IniOptions.TimerEnabled = false;
}

TEST_F(MailCheckTest, OnlyMailNotSeenBeforeIsAnnouncedButAllIsListedAndCounted) {
    IniOptions.AutoExecEmailApp = true;
    IniInfo.EmailApp = "C:\\mail\\mail.exe";
    auto& alice = service.servers[1]["alice"];
    alice.messages[0].first = "\"Bob B\" <bob@x>";
    form.CheckEmailWithIcon();  // the first check: everything is new
    EXPECT_EQ(sound.waves.size(), 1u);
    EXPECT_EQ(tray.balloons, (std::vector<std::string>{"New mail|2 new messages from Bob B, Carol"}));
    EXPECT_EQ(programs.executed.size(), 1u);

    form.CheckEmailWithIcon();  // nothing new: listed and counted, quietly
    EXPECT_EQ(form.HListBox2.Items().size(), 3u);
    EXPECT_EQ(form.nbr_emails.Caption(), "2");
    EXPECT_EQ(sound.waves.size(), 1u);
    EXPECT_EQ(tray.balloons.size(), 1u);
    EXPECT_EQ(programs.executed.size(), 1u);

    alice.messages.push_back({"Dan <dan@x>", "News"});
    form.TimerCheckEmailTimer(nullptr);  // one new message
    EXPECT_EQ(form.nbr_emails.Caption(), "3");
    EXPECT_EQ(sound.waves.size(), 2u);
    EXPECT_EQ(tray.balloons.back(), "New mail|1 new message from Dan");
    EXPECT_EQ(programs.executed.size(), 2u);

    alice.uidl = false;  // a server without unique ids: every check announces, as it always did
    form.TimerCheckEmailTimer(nullptr);
    form.TimerCheckEmailTimer(nullptr);
    EXPECT_EQ(sound.waves.size(), 4u);
    EXPECT_EQ(form.nbr_emails.Caption(), "3");
    IniOptions.AutoExecEmailApp = false;
}

TEST_F(MailCheckTest, AnUntrustedCertificateIsAskedAboutPinnedAndAChangedOneRefused) {
    PopServerList = {"pops://pop.a", "pop.b"};
    auto passwords = [this] { return std::count(service.heard.begin(), service.heard.end(), "PASS pw1"); };
    ui.answers = {IDNO_};
    form.CheckEmailWithIcon();
    ASSERT_EQ(ui.boxes.size(), 1u);  // the question only: no "not responding" box after it
    // "No" is the default, and the question does not come in front of the user's typing.
    EXPECT_EQ(ui.boxes[0].flags, MB_YESNO_ | MB_ICONQUESTION_ | MB_DEFBUTTON2_ | MB_STAYBEHIND_);
    EXPECT_NE(ui.boxes[0].text.find("alice (pop.a)"), std::string::npos);
    EXPECT_NE(ui.boxes[0].text.find("AA:01"), std::string::npos);
    EXPECT_EQ(passwords(), 0);
    EXPECT_EQ(form.nbr_emails.Caption(), "0");

    ui.answers = {IDYES_};
    form.CheckEmailWithIcon();
    EXPECT_EQ(ui.boxes.size(), 2u);
    EXPECT_EQ(form.nbr_emails.Caption(), "2");
    EXPECT_EQ(PinnedCertificate("pop.a"), "AA:01");
    form.CheckEmailWithIcon();  // pinned: not asked again
    EXPECT_EQ(ui.boxes.size(), 2u);
    EXPECT_EQ(passwords(), 2);

    service.fingerprint = "AA:02";
    form.CheckEmailWithIcon();
    ASSERT_EQ(ui.boxes.size(), 3u);
    EXPECT_EQ(ui.boxes[2].flags, MB_OK_ | MB_ICONWARNING_);
    EXPECT_NE(ui.boxes[2].text.find("has changed for the mailbox alice"), std::string::npos);
    EXPECT_EQ(passwords(), 2);
    EXPECT_EQ(PinnedCertificate("pop.a"), "AA:01");

    service.trusted = true;  // a certificate the system trusts needs no pin
    form.CheckEmailWithIcon();
    EXPECT_EQ(ui.boxes.size(), 3u);
    EXPECT_EQ(passwords(), 3);
}

// A "Yes" after a long question: the server has likely dropped the connection that waited,
// so the account goes over a fresh one, which asks nothing (the certificate is pinned).
TEST_F(MailCheckTest, ACertificateAcceptedLateIsUsedOnAFreshConnection) {
    PopServerList = {"pops://pop.a", "pop.b"};
    ui.answers = {IDYES_};
    ui.onBox = [this](const headless::AskedBox&) { clock.Advance(11000); };
    form.CheckEmailWithIcon();
    EXPECT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(std::count(service.heard.begin(), service.heard.end(), "PASS pw1"), 1);
    EXPECT_EQ(form.nbr_emails.Caption(), "2");
}

TEST_F(MailCheckTest, OnlyACheckTheUserStartedAsksAboutACertificate) {
    PopServerList = {"pops://pop.a", "pop.b"};
    auto listed = [this](const std::string& part) {
        for (const std::string& line : form.HListBox2.Items())
            if (line.find(part) != std::string::npos) return true;
        return false;
    };
    form.TimerCheckEmailTimer(nullptr);
    form.CheckEmailWithIcon(false);  // the check after a dial nobody started (schedule)
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_TRUE(listed("alice (pop.a): the certificate of the mail server waits for your confirmation"));
    EXPECT_EQ(std::count(service.heard.begin(), service.heard.end(), "PASS pw1"), 0);
    EXPECT_EQ(form.nbr_emails.Caption(), "0");  // the other mailbox was still checked (empty)
    ui.answers = {IDYES_};
    form.CheckEmailWithIcon();
    EXPECT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(form.nbr_emails.Caption(), "2");
}

TEST_F(MailCheckTest, CancelInTheProgressWindowStopsTheCheckAtTheNextWait) {
    g_duringTop = [this] {
        EXPECT_TRUE(progress.Button1.Visible());
        progress.Button1.Click();
        clock.Sleep(200);  // the server takes its time
    };
    form.CheckEmailWithIcon();
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(form.HListBox2.Items(), (std::vector<std::string>{"alice: mail check cancelled"}));
    EXPECT_EQ(std::count(service.heard.begin(), service.heard.end(), "USER dave"), 0);  // nor the next mailbox
    EXPECT_FALSE(DialCancelled);                                                // the line is not touched
}

TEST_F(MailCheckTest, BrokenAnswersWarnForTheirMailboxAndTheOthersStillCount) {
    service.servers[1]["list"] = {"p", {{"A", "a"}}, "list"};
    service.servers[1]["top"] = {"p", {{"A", "a"}, {"B", "b"}}, "top"};
    service.servers[1]["drop"] = {"p", {{"A", "a"}}, "drop"};
    MailList = {"list", "alice", "top", "drop"};
    PasswordList = {"p", "pw1", "p", "p"};
    PopServerList = {"pop.a", "pop.a", "pop.a", "pop.a"};
    form.CheckEmailWithIcon();
    EXPECT_EQ(ui.boxes.size(), 2u);  // the malformed listing and the dropped connection
    EXPECT_EQ(form.HListBox2.Items(),
              (std::vector<std::string>{"list", "3 many", "Mail for : alice", "Bob\aHello", "Carol\aLunch",
                                        "Mail for : top", "1", "B\ab", "drop",
                                        "Connection ended before the end of the answer"}));
    EXPECT_EQ(form.nbr_emails.Caption(), "4");
}

TEST_F(MailCheckTest, ABigMailboxIsAnnouncedOnceNotAtEveryCheck) {
    std::vector<TListedMail> listed;
    for (int i = 0; i < 6000; ++i) listed.push_back({"id" + std::to_string(i), "s" + std::to_string(i)});
    for (int check : {1, 2}) {
        form.BeginNewMailTally();  // each check reads the record from the file afresh
        form.NoteNewMail("alice", "pop.a", listed);
        form.EndNewMailTally();
        EXPECT_EQ(form.NewMailCount(), check == 1 ? 6000 : 0) << "check " << check;
    }
}

TEST(CertificateQuestion, TheFingerprintIsBrokenIntoGroupsThatFitTheBox) {
    std::string full;
    for (int i = 0; i < 32; ++i) full += (i ? ":" : "") + std::string(i % 2 ? "AB" : "0F");
    EXPECT_EQ(FingerprintLines(full),
              "0F:AB:0F:AB 0F:AB:0F:AB 0F:AB:0F:AB 0F:AB:0F:AB\r\n0F:AB:0F:AB 0F:AB:0F:AB 0F:AB:0F:AB 0F:AB:0F:AB");
    EXPECT_EQ(FingerprintLines("AA:01"), "AA:01");
}

TEST_F(MailCheckTest, ImapUnseenMailIsListedReadOnlyAndAnnouncedAgainOnlyUnderANewUidValidity) {
    MailList = {"ann"};
    PasswordList = {"pw"};
    PopServerList = {"imap://mail.a"};
    imapService.inbox.unseen = {{3, "Bob", "Hello"}, {5, "Carol", "Lunch"}};
    form.CheckEmailWithIcon();
    EXPECT_EQ(form.HListBox2.Items(), (std::vector<std::string>{"Mail for : ann", "Bob\aHello", "Carol\aLunch"}));
    EXPECT_EQ(form.nbr_emails.Caption(), "2");
    EXPECT_EQ(tray.balloons, (std::vector<std::string>{"New mail|2 new messages from Bob, Carol"}));
    EXPECT_TRUE(ui.boxes.empty());
    for (const std::string& cmd : imapService.inbox.heard)
        EXPECT_TRUE(cmd.find("STORE") == std::string::npos && cmd.find("SELECT") == std::string::npos &&
                    cmd.find("EXPUNGE") == std::string::npos && (cmd.find("FETCH") == std::string::npos ||
                                                                 cmd.find("BODY.PEEK[") != std::string::npos))
            << cmd;

    form.CheckEmailWithIcon();  // the same messages: listed and counted, quietly
    EXPECT_EQ(form.nbr_emails.Caption(), "2");
    EXPECT_EQ(tray.balloons.size(), 1u);

    imapService.inbox.uidValidity = "8";  // the server renumbered its inbox
    form.CheckEmailWithIcon();
    EXPECT_EQ(tray.balloons.size(), 2u);
    EXPECT_EQ(tray.balloons.back(), "New mail|2 new messages from Bob, Carol");
}

// A mailbox that signs in with a provider: the token renewed with the kept sign-in (a
// rotated one kept) and used while fresh; a refused sign-in is a line, and a question only
// in a check the user started.
TEST_F(MailCheckTest, AProviderMailboxUsesItsTokenAndAsksToSignInOnlyInTheUsersCheck) {
    headless::ScriptedHttps https;
    headless::TestCrypto crypto;
    platform::TSwapServices swap([&](platform::Services& s) { s.https = &https, s.crypto = &crypto; });
    for (const char* key : {"OtherAuthorizationEndpoint", "OtherTokenEndpoint", "OtherClientId"})
        TIniFile(IniFileName()).WriteString("OAuth", key, "https://no..such..host/");
    MailList = {"alice"}, PasswordList = {""}, PopServerList = {"pops://pop.a"}, SignInList = {"other"};
    service.trusted = true, service.token = "A1";
    ASSERT_TRUE(StoreRefreshToken("alice", "pops://pop.a", "R1"));
    https.answers = {{200, R"({"access_token":"A1","expires_in":3600,"refresh_token":"R2"})"}};
    form.TimerCheckEmailTimer(nullptr);
    form.TimerCheckEmailTimer(nullptr);  // the token in memory is fresh: not renewed
    EXPECT_EQ(form.nbr_emails.Caption(), "2");
    EXPECT_EQ(https.posted.size(), 1u);
    EXPECT_EQ(StoredRefreshToken("alice", "pops://pop.a"), "R2");
    clock.Advance(3600 * 1000);
    https.answers = {{400, R"({"error":"invalid_grant"})"}, {400, R"({"error":"invalid_grant"})"}};
    form.TimerCheckEmailTimer(nullptr);
    EXPECT_EQ(form.HListBox2.Items(), (std::vector<std::string>{"alice: sign in again (Settings, Mail)"}));
    EXPECT_TRUE(ui.boxes.empty());
    ui.answers = {IDNO_};
    form.CheckEmailWithIcon();
    EXPECT_EQ(ui.boxes.at(0).helpContext, helpctx::SignIn);
    EXPECT_EQ(form.HListBox2.Items(), (std::vector<std::string>{"alice: sign in again (Settings, Mail)"}));
}
