// The settings dialog over the recording backend, with the main window and the simulated
// dial-up service behind it: what it shows, what OK stores and applies, what Cancel keeps.
#include <algorithm>
#include <fstream>
#include <map>

#include "app/Main_F.h"
#include "core/HelpContexts.h"
#include "dialup/SimulatedRas.h"
#include "settings/Config.h"
#include "settings/Ini.h"
#include "settings/SignIn.h"
#include "platform/headless/ScriptedHttps.h"
#include "tests/unit/HeadlessFixture.h"
#include "tests/unit/dialup/DialUpTestKit.h"

class ConfigTest : public HeadlessTest {
protected:
    ConfigTest() {
        book = dir + "/phonebook.ini";
        std::ofstream(book) << "[Work]\nPhoneNumber=1\nSavedUser=wu\nSavedPassword=wp\n[home]\nPhoneNumber=2\n";
        sim = std::make_unique<ras::SimulatedRas>(book, std::make_unique<dialup_test::VirtualScheduler>(clock),
                                                  [this](uintptr_t, bool creating, ras::SimEntryFields& f) {
                                                      entryDialogs.push_back(creating ? "new" : "edit " + f.name);
                                                      f.name = "Added";
                                                      return creating;
                                                  });
        form = std::make_unique<TMainForm>(&Application());
        Application().MainForm = form.get();
        form->DialUp.SetRasApi(sim.get());
        form->FormCreate();
        dialog = std::make_unique<TForm2>(&Application(), form.get());
    }
    ~ConfigTest() override {
        dialog.reset();
        form.reset();
    }
    // Brings the dialog up as the user does: another window was active before.
    void Open() {
        form->Show();
        form->SpeedButton3.Click();
    }
    std::string Stored(const char* section, const char* key) {
        return profile.ReadString(IniFileName(), section, key, "<none>");
    }
    void Type(TControl& box, const std::string& text) { box.TextChangedByUser(text); }

    std::string book;
    std::vector<std::string> entryDialogs;
    std::unique_ptr<ras::SimulatedRas> sim;
    std::unique_ptr<TMainForm> form;
    std::unique_ptr<TForm2> dialog;
};

TEST_F(ConfigTest, HangUpTimeShowsTheNearestChoiceAndStoresWhatIsShown) {
    IniOptions.AutoHangUp = true;
    IniOptions.HangUpHour = 30;
    IniOptions.HangUpMinutes = 7;
    Open();
    EXPECT_TRUE(dialog->Visible());
    EXPECT_EQ(dialog->Caption(), "Configure Velmora");
    EXPECT_EQ(dialog->ComboBox1.Caption(), "");
    EXPECT_EQ(dialog->ComboBox2.Caption(), "05");
    EXPECT_TRUE(dialog->ComboBox1.Enabled());
    dialog->Button1OK.Click();
    EXPECT_FALSE(dialog->Visible());
    EXPECT_EQ(IniOptions.HangUpHour, 0);
    EXPECT_EQ(IniOptions.HangUpMinutes, 5);
    EXPECT_EQ(Stored("Other", "HangUpMinutes"), "5");
    // The main window applies the options at once.
    EXPECT_EQ(form->MSOfficeCaption1.Hint(), "/ Scheduled to hang-up at (0:05)");
}

TEST_F(ConfigTest, AMailCheckIntervalOutsideOneToNinetyNineIsRefusedLikeNoNumber) {
    IniOptions.TimerEnabled = true;
    for (const char* typed : {"", "-5", "0", "1x"}) {
        SCOPED_TRACE(typed);
        ui.boxes.clear();
        Open();
        Type(dialog->Edit1, typed);
        dialog->Button1OK.Click();
        ASSERT_EQ(ui.boxes.size(), 1u);
        std::string expected = std::string("Error in the delay for checking email: ") + (typed == std::string("1x") ? "2" : "1");
        EXPECT_EQ(ui.boxes[0].text, expected);
        EXPECT_EQ(ui.boxes[0].helpContext, helpctx::CheckDelay);
        EXPECT_EQ(IniOptions.TimerDelay, 15);
        EXPECT_EQ(Stored("Other", "TimerDelay"), "15");
        EXPECT_FALSE(dialog->Visible());  // the rest of OK goes on
    }
    ui.boxes.clear();
    Open();
    Type(dialog->Edit1, "7");
    dialog->Button1OK.Click();
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(IniOptions.TimerDelay, 7);
    EXPECT_EQ(form->TimerCheckEmail.Interval(), 420000u);

}

TEST_F(ConfigTest, MailboxRowsAndPasswordsStayAligned) {
    MailList = {"a", "b", "c"};
    PopServerList = {"pop.a", "pop.b", "pop.c"};
    PasswordList = {"pa", "pb"};  // one short, as a hand-edited file may be
    Open();
    ASSERT_EQ(dialog->ListView1.RowCount(), 3);
    EXPECT_EQ(dialog->MailboxPasswords, (std::vector<std::string>{"pa", "pb", ""}));
    // No control of the dialog holds a password until the user picks its mailbox.
    for (TControl* c : dialog->AllControls()) {
        EXPECT_NE(c->Caption(), "pa") << c->Name();
        if (auto* list = dynamic_cast<TListBox*>(c)) {
            EXPECT_EQ(std::count(list->Items().begin(), list->Items().end(), "pa"), 0) << c->Name();
        }
    }
    dialog->ListView1.SelectedByUser(1);
    dialog->ListView1.Click();
    EXPECT_EQ(dialog->edt_hostname.Caption(), "pop.b");
    EXPECT_EQ(dialog->edt_username.Caption(), "b");
    EXPECT_EQ(dialog->edt_password.Caption(), "pb");
    dialog->Button7.Click();
    EXPECT_EQ(dialog->MailboxPasswords, (std::vector<std::string>{"pa", ""}));
    dialog->Button7.Click();  // nothing selected now
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "Select a Mailbox to delete in the list at right, and then click on the remove button");

    Type(dialog->edt_password, "");
    Type(dialog->edt_hostname, "pop.d");
    Type(dialog->edt_username, "d");
    EXPECT_FALSE(dialog->Button6.Enabled());
    Type(dialog->edt_password, "pd");
    EXPECT_TRUE(dialog->Button6.Enabled());
    dialog->Button6.Click();
    dialog->Button6.Click();  // the same mailbox twice: two rows, two passwords
    dialog->Button1OK.Click();
    EXPECT_EQ(MailList, (std::vector<std::string>{"a", "c", "d", "d"}));
    EXPECT_EQ(PasswordList, (std::vector<std::string>{"pa", "", "pd", "pd"}));
    for (int r = 0; r < dialog->ListView1.RowCount(); ++r) EXPECT_EQ(PopServerList[r], dialog->ListView1.Row(r)[1]);
    EXPECT_EQ(Stored("POPS", "m3"), "pop.d");
}

TEST_F(ConfigTest, ThePhonebookBoxListsTheEntriesAndFillsTheSavedCredentials) {
    IniInfo.DialUpConnection = "Work";
    Open();
    dialog->ComboBox3.SetFocus();
    EXPECT_EQ(dialog->ComboBox3.Items(), (std::vector<std::string>{"home", "Work"}));
    EXPECT_EQ(dialog->ComboBox3.Caption(), "Work");
    dialog->ComboBox3.SelectedByUser(1);
    EXPECT_EQ(dialog->edt_usernameDUN.Caption(), "wu");
    EXPECT_EQ(dialog->edt_passwordDUN.Caption(), "wp");
    Type(dialog->ComboBox3, "Nowhere");  // the service knows no such entry
    EXPECT_EQ(dialog->edt_usernameDUN.Caption(), "");
    dialog->edt_usernameDUN.SetFocus();
    dialog->ComboBox3.SetFocus();
    EXPECT_EQ(dialog->ComboBox3.Caption(), "Work");

    dialog->Button11.Click();
    dialog->Button12.Click();
    EXPECT_EQ(entryDialogs, (std::vector<std::string>{"new", "edit Work"}));
    dialog->edt_usernameDUN.SetFocus();
    dialog->ComboBox3.SetFocus();
    EXPECT_EQ(dialog->ComboBox3.Items(), (std::vector<std::string>{"Added", "home", "Work"}));
}

TEST_F(ConfigTest, CancelKeepsTheSavedSettingsAndOkCutsValuesAtALineBreak) {
    IniInfo.WebBrowser = "browser.exe";
    PhoneNumberList = {"555"};
    Open();
    Type(dialog->WebBrowser, "other.exe");
    dialog->ListBox3.SetItemIndex(0);
    dialog->ButtonRemovePhone.Click();
    dialog->Button2Cancel.Click();
    EXPECT_EQ(Stored("Browser", "Web browser"), "<none>");
    Open();
    EXPECT_EQ(dialog->WebBrowser.Caption(), "browser.exe");
    EXPECT_EQ(dialog->ListBox3.Items(), PhoneNumberList);

    Type(dialog->WebBrowser, "C:\\web.exe\r\n[DUN]");
    Type(dialog->EdtPhoneNumber, "556\n2");
    dialog->ButtonPhoneAdd.Click();
    // A network-time server is a time-server text like any other, kept as typed.
    Type(dialog->edt_timeServer, "ntp://127.0.0.8:12300");
    EXPECT_EQ(dialog->edt_timeServer.Items().size(), 34u);  // the 32 TIME servers stay
    dialog->Button1OK.Click();
    EXPECT_EQ(Stored("Other", "TimeServer"), "ntp://127.0.0.8:12300");
    EXPECT_EQ(IniInfo.WebBrowser, "C:\\web.exe");
    EXPECT_EQ(Stored("Browser", "Web browser"), "C:\\web.exe");
    EXPECT_EQ(Stored("PhoneNumber", "m1"), "556");
}

TEST_F(ConfigTest, BrowseFillsTheBoxWithTheChosenFileAndPlayPlaysIt) {
    Open();
    factory.openDialogAnswer = [](TOpenDialog& d) {
        d.FileName = "C:\\sounds\\ding.wav";
        return true;
    };
    dialog->Button4.Click();
    ASSERT_EQ(factory.openDialogs.size(), 1u);
    EXPECT_EQ(factory.openDialogs[0].Filter, "Wav sound file (*.wav)|*.wav");
    EXPECT_EQ(dialog->edt_WaveSound.Caption(), "C:\\sounds\\ding.wav");
    dialog->SpeedButton1.Click();
    EXPECT_EQ(sound.sounds.back(), "C:\\sounds\\ding.wav");
    factory.openDialogAnswer = nullptr;
    dialog->Button9.Click();
    EXPECT_EQ(factory.openDialogs[1].Filter, "Application (*.exe)|*.exe");
    EXPECT_EQ(dialog->edt_application.Caption(), "");
    dialog->Button8.Click();
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "Enter an Application with the browse button above and then click on the add buttton");
}

// F1 asks for what is in front: the notebook answers with the page on top, a box with its
// own page, the rest of the dialog with the dialog's topic.
TEST_F(ConfigTest, HelpAsksForThePageInFront) {
    Open();
    dialog->ShowSettings("Mail");
    EXPECT_EQ(dialog->TabbedNotebook1.HelpContextInFront(), helpctx::SettingsMail);
    EXPECT_EQ(dialog->edt_usernameDUN.HelpContextInFront(), helpctx::SettingsDialUp);
    EXPECT_EQ(dialog->Button1OK.HelpContextInFront(), helpctx::Settings);
    EXPECT_EQ(form->SpeedButton1.HelpContextInFront(), helpctx::MainWindow);
}

TEST_F(ConfigTest, AnEmptyMailboxRowCannotBeAdded) {
    MailList = {"ann"};
    PopServerList = {"pop.a"};
    PasswordList = {"pw"};
    IniInfo.Pop3Server = "pop.a";
    Open();
    EXPECT_FALSE(dialog->Button6.Enabled());  // only the server box holds text
    dialog->ListView1.SelectedByUser(0);
    dialog->ListView1.Click();
    EXPECT_TRUE(dialog->Button6.Enabled());
    dialog->ListView1.SelectedByUser(-1);
    dialog->ListView1.Click();  // the three boxes are emptied
    EXPECT_FALSE(dialog->Button6.Enabled());
    dialog->Button6.Click();  // a click that reaches it anyway adds nothing
    dialog->Button1OK.Click();
    EXPECT_EQ(MailList, (std::vector<std::string>{"ann"}));
    EXPECT_EQ(Stored("Mail", "m1"), "<none>");
}

// A mailbox that signs in with a provider needs no password; its kind goes with its row, and
// a mailbox removed leaves no sign-in behind.
TEST_F(ConfigTest, AProviderMailboxNeedsNoPasswordAndItsKindGoesWithItsRow) {
    headless::TestCrypto crypto;
    platform::TSwapServices swap([&](platform::Services& s) { s.crypto = &crypto; });
    MailList = {"a", "b"}, PopServerList = {"pop.a", "imaps://b"}, PasswordList = {"pa", ""}, SignInList = {"", "google"};
    ASSERT_TRUE(StoreRefreshToken("a", "pop.a", "R"));
    Open();
    dialog->ListView1.SelectedByUser(1);
    dialog->ListView1.Click();
    EXPECT_EQ(dialog->ComboSignIn.ItemIndex(), skGoogle);
    EXPECT_FALSE(dialog->edt_password.Enabled());
    dialog->ComboSignIn.SelectedByUser(skMicrosoft);  // the selected mailbox's
    Type(dialog->edt_username, "c");
    dialog->ComboSignIn.SelectedByUser(skOther);  // the new mailbox's, not b's
    dialog->Button6.Click();
    dialog->ListView1.SelectedByUser(0);
    dialog->Button7.Click();
    dialog->Button1OK.Click();
    EXPECT_EQ(SignInList, (std::vector<std::string>{"microsoft", "other"}));
    EXPECT_EQ(StoredRefreshToken("a", "pop.a"), "");
}

// The Sign-in page shows the section "OAuth" as the file has it and writes back what changed.
TEST_F(ConfigTest, TheSignInPageShowsAndStoresTheProvidersSettings) {
    TIniFile(IniFileName()).WriteString("OAuth", "GoogleClientId", "g-id");
    Open();
    EXPECT_EQ(dialog->SignInPage.GoogleClientId.Caption(), "g-id");
    Type(dialog->SignInPage.OtherTokenEndpoint, "https://auth.example/token\r\nx");
    dialog->Button1OK.Click();
    EXPECT_EQ(Stored("OAuth", "GoogleClientId"), "g-id");
    EXPECT_EQ(Stored("OAuth", "OtherTokenEndpoint"), "https://auth.example/token");
    EXPECT_EQ(Stored("OAuth", "OtherScope"), "<none>");  // nothing written for an unchanged key
}

namespace {
// A box whose text another program set with WM_SETTEXT: its window shows that text, and no
// change notification told the control.
class SetFromOutside : public headless::ControlPeer {
public:
    SetFromOutside(TControl& c, uintptr_t h, std::map<std::string, std::string>& texts)
        : ControlPeer(c, h), control_(c), texts_(texts) {}
    bool ShownText(std::string& text) override {
        auto it = texts_.find(control_.Name());
        if (it == texts_.end()) return false;
        text = it->second;
        return true;
    }

private:
    TControl& control_;
    std::map<std::string, std::string>& texts_;
};
struct SetFromOutsideFactory : headless::WidgetFactory {
    std::unique_ptr<IControlPeer> CreatePeer(TControl& c) override {
        return std::make_unique<SetFromOutside>(c, next++, texts);
    }
    std::map<std::string, std::string> texts;
    uintptr_t next = 0x90000;
};
}  // namespace

TEST_F(ConfigTest, OkSavesTheTextABoxShowsEvenWhenNoChangeWasNotified) {
    SetFromOutsideFactory outside;
    {
        platform::TSwapServices services([&](platform::Services& s) { s.widgets = &outside; });
        dialog = std::make_unique<TForm2>(&Application());
        IniOptions.TimeServer = "old.example";
        Open();
        EXPECT_EQ(dialog->edt_timeServer.Caption(), "old.example");
        outside.texts["edt_timeServer"] = "new.example";
        outside.texts["edt_passwordDUN"] = "";
        dialog->Button1OK.Click();
        dialog.reset();
    }
    EXPECT_EQ(IniOptions.TimeServer, "new.example");
    EXPECT_EQ(Stored("Other", "TimeServer"), "new.example");
    EXPECT_EQ(IniInfo.PasswordDUN, "");
}
