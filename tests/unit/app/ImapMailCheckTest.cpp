// The mail check of an IMAP mailbox over an in-memory IMAP service: listed, counted, and
// announced only when new by UIDVALIDITY and UID.
#include "app/Main_F.h"
#include "app/Unit4.h"
#include "settings/Ini.h"
#include "tests/unit/HeadlessFixture.h"

namespace {

// One inbox of unseen messages (uid, sender, subject) under a UIDVALIDITY.
struct Inbox {
    std::string uidValidity = "7";
    std::vector<std::tuple<int, std::string, std::string>> unseen;
    std::vector<std::string> heard;
};

class FakeImapSocket : public platform::IBlockingSocket {
public:
    explicit FakeImapSocket(Inbox& inbox) : inbox_(inbox) { out_ = "* OK [CAPABILITY IMAP4rev1] ready\r\n"; }
    int Id() const override { return 9; }
    int Send(const char* data, int len) override {
        in_.append(data, len);
        for (size_t eol; (eol = in_.find("\r\n")) != std::string::npos; in_.erase(0, eol + 2)) {
            std::string line = in_.substr(0, eol), tag = line.substr(0, line.find(' '));
            std::string cmd = line.substr(tag.size() + 1);
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
        return len;
    }
    int Receive(char* buf, int len, int) override {
        int n = std::min<int>(len, int(out_.size()));
        out_.copy(buf, n);
        out_.erase(0, n);
        return n;
    }
    bool PeerConnected() override { return true; }
    int LastError() const override { return 0; }

private:
    Inbox& inbox_;
    std::string in_, out_;
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

class ImapMailCheckTest : public HeadlessTest {
protected:
    ImapMailCheckTest() : form(&Application()), progress(&Application()) {
        Application().MainForm = &form;
        form.FormCreate();
        form.imap.SetSockets(&service);
        form.pop.SetSockets(&service);  // a POP3 reading would be refused: port 110
        MailList = {"ann"};
        PasswordList = {"pw"};
        PopServerList = {"imap://mail.a"};
        service.inbox.unseen = {{3, "Bob", "Hello"}, {5, "Carol", "Lunch"}};
    }
    ~ImapMailCheckTest() override { MailList.clear(), PasswordList.clear(), PopServerList.clear(); }
    FakeImapService service;
    TMainForm form;
    TForm4 progress;
};

TEST_F(ImapMailCheckTest, UnseenMailIsListedReadOnlyAndAnnouncedAgainOnlyUnderANewUidValidity) {
    form.CheckEmailWithIcon();
    EXPECT_EQ(form.HListBox2.Items(), (std::vector<std::string>{"Mail for : ann", "Bob\aHello", "Carol\aLunch"}));
    EXPECT_EQ(form.nbr_emails.Caption(), "2");
    EXPECT_EQ(tray.balloons, (std::vector<std::string>{"New mail|2 new messages from Bob, Carol"}));
    EXPECT_TRUE(ui.boxes.empty());
    for (const std::string& cmd : service.inbox.heard)
        EXPECT_TRUE(cmd.find("STORE") == std::string::npos && cmd.find("SELECT") == std::string::npos &&
                    cmd.find("EXPUNGE") == std::string::npos && (cmd.find("FETCH") == std::string::npos ||
                                                                 cmd.find("BODY.PEEK[") != std::string::npos))
            << cmd;

    form.CheckEmailWithIcon();  // the same messages: listed and counted, quietly
    EXPECT_EQ(form.nbr_emails.Caption(), "2");
    EXPECT_EQ(tray.balloons.size(), 1u);

    service.inbox.uidValidity = "8";  // the server renumbered its inbox
    form.CheckEmailWithIcon();
    EXPECT_EQ(tray.balloons.size(), 2u);
    EXPECT_EQ(tray.balloons.back(), "New mail|2 new messages from Bob, Carol");
}
