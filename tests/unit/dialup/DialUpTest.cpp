// TDialUp over the simulated service on virtual time.
#include <gtest/gtest.h>

#include <thread>

#include "tests/unit/dialup/DialUpTestKit.h"

namespace dialup_test {
namespace {

using ras::ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;

std::vector<int> Seq(int from, int to) {
    std::vector<int> v;
    for (int i = from; i <= to; ++i) v.push_back(i);
    return v;
}

class DialUpTest : public DialUpFixture {};

TEST_F(DialUpTest, StateTexts) {
    struct Case {
        uint32_t state, error;
        std::string text;
    } cases[] = {
        {0, 0, "Opening Port"},
        {14, 0, "Authenticated"},
        {21, 0, "Logon Network"},
        {22, 0, ""},
        {23, 0, ""},
        {24, 0, "Connection state #24"},
        {4099, 0, "Password Expired"},
        {5000, 0, "Connection state #5000"},
        {8192, 0, "Connected"},
        {8193, 0, "Disconnected"},
        // The error's text wins over the state's.
        {8193, 680, "There is no dial tone."},
        {3, 676, "The line is busy."},
        {22, 691, "The provider did not accept the user name or password."},
        {8193, 4321, "Dial-up error 4321."},
    };
    for (auto& c : cases) EXPECT_EQ(dialUp->StateText(c.state, c.error), c.text) << c.state << "/" << c.error;
}

TEST_F(DialUpTest, AsyncDialReportsEveryStateThenConnected) {
    profile.Load(book, "[Net]\nPhoneNumber=555-0100\nStepDelay=100\n");
    DialAsync("Net");
    clock.Advance(1499);  // states 0..14 at 0, 100, ..., 1400
    EXPECT_EQ(States(), Seq(0, 14));
    clock.Advance(1);
    ASSERT_EQ(events.size(), 16u);
    EXPECT_EQ(events.back().state, 8192);
    EXPECT_EQ(events.back().text, "Connected");
    EXPECT_EQ(events[0].text, "Opening Port");
    EXPECT_EQ(events[2].text, "Connecting Device");
    for (auto& e : events) EXPECT_EQ(e.error, 0);
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(CurrentDialUp(), dialUp.get());
    EXPECT_NE(dialUp->ConnHandle(), 0u);

    std::vector<std::string> seen;
    dialUp->OnActiveConnection = [&](TObject*, int h, const ras::RasConnStatus* st, const std::string& text,
                                     const char* name, const char* type, const char* device) {
        EXPECT_EQ(static_cast<ras::RasHandle>(h), dialUp->ConnHandle());
        EXPECT_EQ(st->rasconnstate, 8192u);
        seen.push_back(text + "|" + name + "|" + type + "|" + device);
    };
    EXPECT_EQ(dialUp->GetConnections(), 0u);
    EXPECT_EQ(seen, std::vector<std::string>{"Connected|Net|modem|Simulated Modem"});
}

TEST_F(DialUpTest, DialBeginsWithHangUpOfThePreviousHandle) {
    profile.Load(book, "[Net]\nStepDelay=10\n");
    DialAsync("Net");
    ASSERT_GE(rec->calls.size(), 2u);
    EXPECT_EQ(rec->calls[0], "HangUp 0");
    EXPECT_EQ(rec->calls[1], "Dial async");
    ras::RasHandle first = dialUp->ConnHandle();
    clock.Advance(1000);
    rec->calls.clear();
    DialAsync("Net");
    EXPECT_EQ(rec->calls[0], "HangUp " + std::to_string(first));
    EXPECT_NE(dialUp->ConnHandle(), first);
    // The hung-up dial is gone; only the new one is listed.
    clock.Advance(1000);
    EXPECT_EQ(ConnectionEntries().size(), 1u);
}

TEST_F(DialUpTest, DialParametersAndPhoneNumberOverride) {
    profile.Load(book, "[Net]\nPhoneNumber=555-0100\n");
    dialUp->SetUsername("joe");
    dialUp->SetPassword("secret");
    DialAsync("Net");
    const ras::RasDialParams& p = rec->dials.back();
    EXPECT_EQ(p.dwSize, 1052u);
    EXPECT_EQ(ras::TextOf(p.szEntryName), "Net");
    EXPECT_EQ(ras::TextOf(p.szPhoneNumber), "");  // the service dials the entry's own number
    EXPECT_EQ(ras::TextOf(p.szCallbackNumber), "*");
    EXPECT_EQ(ras::TextOf(p.szUserName), "joe");
    EXPECT_EQ(ras::TextOf(p.szPassword), "secret");
    EXPECT_EQ(ras::TextOf(p.szDomain), "*");

    dialUp->SetPhoneNumber("555-0199");
    DialAsync("Net");
    EXPECT_EQ(ras::TextOf(rec->dials.back().szPhoneNumber), "555-0199");
    EXPECT_EQ(sim->DialledNumbers(), (std::vector<std::string>{"555-0100", "555-0199"}));
}

TEST_F(DialUpTest, OverlongValuesAreCutToTheRecordWidths) {
    dialUp->SetEntry(std::string(300, 'e'));
    dialUp->SetPhoneNumber(std::string(200, '5'));
    dialUp->SetUsername(std::string(300, 'u'));
    dialUp->SetPassword(std::string(300, 'p'));
    EXPECT_EQ(dialUp->Dial(), ERROR_CANNOT_FIND_PHONEBOOK_ENTRY);
    const ras::RasDialParams& p = rec->dials.back();
    EXPECT_EQ(ras::TextOf(p.szEntryName), std::string(256, 'e'));
    EXPECT_EQ(ras::TextOf(p.szPhoneNumber), std::string(128, '5'));
    EXPECT_EQ(ras::TextOf(p.szUserName), std::string(256, 'u'));
    EXPECT_EQ(ras::TextOf(p.szPassword), std::string(256, 'p'));
    EXPECT_EQ(dialUp->Entry().size(), 300u);  // the property keeps what it was given
}

TEST_F(DialUpTest, FailuresReportStatesUpToTheFailingStepThenDisconnected) {
    struct Case {
        std::string book, phoneNumber;
        int lastState, error;
        std::string text;
    } cases[] = {
        {"[Net]\nPhoneNumber=1\nDialTone=0\n", "", 2, 680, "There is no dial tone."},
        {"[Net]\nPhoneNumber=1\nBusy= 2 , 1\n", "", 2, 676, "The line is busy."},
        {"[Net]\nPhoneNumber=1\nBusy=2\n", "2", 2, 676, "The line is busy."},
        {"[Net]\nPhoneNumber=1\nNoAnswer=3,1\n", "", 2, 678, "The number you dialled does not answer."},
        {"[Net]\nPhoneNumber=1\nUser=joe\nPassword=right\n", "", 5, 691,
         "The provider did not accept the user name or password."},
        {"[Net]\nPhoneNumber=1\nUser=jim\n", "", 5, 691, "The provider did not accept the user name or password."},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.book);
        events.clear();
        profile.Load(book, c.book);
        dialUp->SetUsername("joe");
        dialUp->SetPassword("wrong");
        dialUp->SetPhoneNumber(c.phoneNumber);
        DialAsync("Net");
        clock.Advance(10000);
        std::vector<int> want = Seq(0, c.lastState);
        want.push_back(8193);
        EXPECT_EQ(States(), want);
        for (size_t i = 0; i + 1 < events.size(); ++i) EXPECT_EQ(events[i].error, 0);
        EXPECT_EQ(events.back().error, c.error);
        EXPECT_EQ(events.back().lastError, static_cast<uint32_t>(c.error));  // set before the event
        EXPECT_EQ(events.back().text, c.text);
        EXPECT_EQ(dialUp->LastError(), static_cast<uint32_t>(c.error));
        EXPECT_TRUE(ConnectionEntries().empty());  // a failed line is not listed
    }
    EXPECT_TRUE(errors.empty());
}

TEST_F(DialUpTest, RightCredentialsConnect) {
    profile.Load(book, "[Net]\nUser=joe\nPassword=right\n");
    dialUp->SetUsername("joe");
    dialUp->SetPassword("right");
    DialAsync("Net");
    clock.Advance(10000);
    EXPECT_EQ(events.back().state, 8192);
}

TEST_F(DialUpTest, UnknownEntryFailsAtOnceWith623) {
    profile.Load(book, "[Net]\n");
    DialAsync("Elsewhere");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].first, 623);
    EXPECT_EQ(errors[0].second, "The phonebook entry does not exist.");
    clock.Advance(10000);
    EXPECT_TRUE(events.empty());
}

TEST_F(DialUpTest, SavedCredentials) {
    profile.Load(book, "[Net]\nPhoneNumber=1\n");
    dialUp->SetEntry("Net");
    std::string value = "junk";
    EXPECT_EQ(dialUp->GetEntryPassword(value), 0u);
    EXPECT_EQ(value, "");  // no password saved
    EXPECT_EQ(dialUp->SetEntryUsername("joe"), 0u);
    EXPECT_EQ(dialUp->SetEntryPassword("pw"), 0u);  // must not forget the user name
    EXPECT_EQ(dialUp->GetEntryUsername(value), 0u);
    EXPECT_EQ(value, "joe");
    EXPECT_EQ(dialUp->GetEntryPassword(value), 0u);
    EXPECT_EQ(value, "pw");
    EXPECT_EQ(profile.ReadString(book, "Net", "SavedUser", ""), "joe");

    dialUp->SetEntry("Missing");
    value = "kept";
    EXPECT_EQ(dialUp->GetEntryUsername(value), ERROR_CANNOT_FIND_PHONEBOOK_ENTRY);
    EXPECT_EQ(dialUp->GetEntryPassword(value), ERROR_CANNOT_FIND_PHONEBOOK_ENTRY);
    EXPECT_EQ(value, "kept");
    EXPECT_EQ(dialUp->SetEntryUsername("x"), ERROR_CANNOT_FIND_PHONEBOOK_ENTRY);
}

TEST_F(DialUpTest, HangUpAfterGetConnectionsHangsUpTheDialledConnection) {
    profile.Load(book, "[Mine]\nStepDelay=10\n[Other]\nStepDelay=10\n");
    ras::RasHandle other = 0;
    ASSERT_EQ(sim->Dial([] {
        ras::RasDialParams p{};
        p.dwSize = sizeof p;
        ras::CopyText(p.szEntryName, "Other");
        return p;
    }(), nullptr, other), 0u);
    DialAsync("Mine");
    clock.Advance(1000);
    std::vector<int> handles;
    dialUp->OnActiveConnection = [&](TObject*, int h, const ras::RasConnStatus*, const std::string&, const char*,
                                     const char*, const char*) { handles.push_back(h); };
    ASSERT_EQ(dialUp->GetConnections(), 0u);
    ASSERT_EQ(handles.size(), 2u);
    EXPECT_EQ(static_cast<ras::RasHandle>(handles.back()), dialUp->ConnHandle());  // listed last
    dialUp->HangUp();
    EXPECT_EQ(rec->hangUps.back(), dialUp->ConnHandle());
    EXPECT_EQ(ConnectionEntries(), std::vector<std::string>{"Other"});
    EXPECT_NE(dialUp->ConnHandle(), 0u);  // HangUp keeps the handle
}

TEST_F(DialUpTest, GetEntries) {
    std::vector<std::string> got;
    dialUp->OnEntryGet = [&](TObject*, const char* name) { got.push_back(name); };
    auto phonebook = [](int n) {
        std::string text;
        for (int i = 0; i < n; ++i) text += "[Entry " + std::to_string(i) + "]\nPhoneNumber=" + std::to_string(i) + "\n";
        return text;
    };
    profile.Load(book, phonebook(100));
    EXPECT_EQ(dialUp->GetEntries(), 0u);
    EXPECT_EQ(dialUp->Entries().size(), 100u);
    EXPECT_EQ(got, dialUp->Entries());
    EXPECT_EQ(got.front(), "Entry 0");

    got.clear();
    profile.Load(book, phonebook(101));
    EXPECT_EQ(dialUp->GetEntries(), ras::ERROR_BUFFER_TOO_SMALL);
    EXPECT_TRUE(dialUp->Entries().empty());
    EXPECT_TRUE(got.empty());
}

TEST_F(DialUpTest, DroppedLineDisappearsFromGetConnections) {
    profile.Load(book, "[Net]\nStepDelay=100\nDropAfter=5\n");
    DialAsync("Net");
    clock.Advance(1500);
    ASSERT_EQ(events.back().state, 8192);
    EXPECT_EQ(ConnectionEntries().size(), 1u);
    clock.Advance(4999);
    EXPECT_EQ(ConnectionEntries().size(), 1u);
    clock.Advance(1);
    EXPECT_TRUE(ConnectionEntries().empty());
    EXPECT_EQ(events.size(), 16u);  // the provider drops the line without a notification
}

TEST_F(DialUpTest, PhonebookIsReadAgainAtEachDial) {
    profile.Load(book, "[Net]\nPhoneNumber=1\nBusy=1\n");
    DialAsync("Net");
    clock.Advance(10000);
    EXPECT_EQ(events.back().error, 676);
    profile.WriteString(book, "Net", "Busy", "");
    events.clear();
    DialAsync("Net");
    clock.Advance(10000);
    EXPECT_EQ(events.back().state, 8192);
}

TEST_F(DialUpTest, NonsenseAndMissingPhonebooksGiveErrors) {
    // A missing file lists nothing and every dial fails.
    EXPECT_EQ(dialUp->GetEntries(), 0u);
    EXPECT_TRUE(dialUp->Entries().empty());
    DialAsync("Net");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].first, 623);

    profile.Load(book, std::string("\x01\x02garbage\n[[[\n[]\n[") + std::string(300, 'x') +
                           "]\n==\n[Net]\nStepDelay=abc\nDropAfter=-3\nDialTone=maybe\nBusy=,,,\n"
                           "PhoneNumber=\xff\xfe\n");
    EXPECT_EQ(dialUp->GetEntries(), 0u);
    EXPECT_EQ(dialUp->Entries(), std::vector<std::string>{"Net"});  // nameless and overlong sections skipped
    DialAsync("Net");
    clock.Advance(2999);  // StepDelay falls back to 200: connected at 15 * 200
    EXPECT_EQ(events.size(), 15u);
    clock.Advance(1);
    EXPECT_EQ(events.back().state, 8192);
    clock.Advance(3600 * 1000);
    EXPECT_EQ(ConnectionEntries().size(), 1u);  // a negative DropAfter never drops
}

TEST_F(DialUpTest, SyncDial) {
    profile.Load(book, "[Net]\nPhoneNumber=1\nStepDelay=100\n[Busy]\nPhoneNumber=1\nBusy=1\n");
    std::vector<std::string> seen;
    dialUp->OnDialing = [&](TObject*) { seen.push_back("dialing"); };
    dialUp->OnConnect = [&](TObject*) { seen.push_back("connect"); };
    dialUp->OnNotConnected = [&](TObject*, int code, const std::string& text) {
        seen.push_back(std::to_string(code) + " " + text);
    };
    dialUp->SetDialMode(dmSync);
    dialUp->SetEntry("Net");
    uint64_t before = clock.Elapsed();
    EXPECT_EQ(dialUp->Dial(), 0u);
    EXPECT_EQ(clock.Elapsed() - before, 1500u);  // the caller waited for the line
    EXPECT_EQ(rec->calls.back(), "Dial sync");
    EXPECT_EQ(ConnectionEntries(), std::vector<std::string>{"Net"});

    dialUp->SetEntry("Busy");
    EXPECT_EQ(dialUp->Dial(), ras::ERROR_LINE_BUSY);
    EXPECT_EQ(seen, (std::vector<std::string>{"dialing", "connect", "dialing", "676 The line is busy."}));
    EXPECT_EQ(rec->hangUps.back(), dialUp->ConnHandle());  // the failed handle was hung up
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(ConnectionEntries().empty());
}

TEST_F(DialUpTest, DestroyedComponentDropsQueuedNotifications) {
    profile.Load(book, "[Net]\nStepDelay=100\n");
    DialAsync("Net");
    clock.Advance(250);
    ASSERT_EQ(events.size(), 3u);
    dialUp.reset();
    EXPECT_EQ(CurrentDialUp(), nullptr);
    clock.Advance(10000);  // the service goes on notifying: nobody is there, nothing breaks
    EXPECT_EQ(events.size(), 3u);
}

TEST_F(DialUpTest, WithoutAServiceEveryOperationFails) {
    TDialUp lonely(nullptr);
    ASSERT_EQ(dialup::DefaultRasApi(), nullptr);
    std::vector<std::pair<int, std::string>> got;
    lonely.OnError = [&](TObject*, int code, const std::string& text) { got.emplace_back(code, text); };
    lonely.SetEntry("Net");
    EXPECT_EQ(lonely.Dial(), ras::ERROR_MOD_NOT_FOUND_);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].second, "The dial-up service is not installed.");
    EXPECT_EQ(lonely.GetEntries(), ras::ERROR_MOD_NOT_FOUND_);
    EXPECT_EQ(lonely.GetConnections(), ras::ERROR_MOD_NOT_FOUND_);

    platform::TSwapServices services([&](platform::Services& s) { s.ras = sim.get(); });  // the default takes over
    profile.Load(book, "[Net]\n");
    EXPECT_EQ(lonely.GetEntries(), 0u);
    EXPECT_EQ(lonely.Entries(), std::vector<std::string>{"Net"});
}

TEST_F(DialUpTest, EntryDialogsGetTheOwnersWindow) {
    profile.Load(book, "[Net]\nPhoneNumber=1\n");
    TComponent form;
    TDialUp owned(&form, rec.get());
    std::optional<platform::TSwapServices> services(std::in_place, [&](platform::Services& s) {
        s.ownerWindow = [&](TComponent* owner) -> uintptr_t { return owner == &form ? 0x1234 : 0; };
    });
    std::vector<std::string> asked;
    dialogScript = [&](uintptr_t w, bool creating, ras::SimEntryFields& f) {
        asked.push_back(std::to_string(w) + (creating ? " new " : " edit ") + f.name + "/" + f.phoneNumber);
        f = {"Work", "777"};
        return true;
    };
    owned.CreateEntry();
    owned.SetEntry("Net");
    owned.EditEntry();
    dialUp->SetEntry("Work");
    dialUp->EditEntry();  // no owner: no window
    services.reset();
    EXPECT_EQ(asked, (std::vector<std::string>{"4660 new /", "4660 edit Net/1", "0 edit Work/777"}));
    EXPECT_EQ(profile.ReadString(book, "Work", "PhoneNumber", ""), "777");
}

// A service that notifies from a real thread of its own, as the real service may.
class ThreadedRas : public RecordingRas {
public:
    explicit ThreadedRas(ras::IRasApi& inner) : RecordingRas(inner) {}
    ~ThreadedRas() override {
        if (thread.joinable()) thread.join();
    }
    uint32_t Dial(const ras::RasDialParams&, ras::RasNotifier n, ras::RasHandle& h) override {
        h = 77;
        thread = std::thread([n] {
            for (uint32_t i = 0; i < 200; ++i) n(ras::WM_RASDIALEVENT, i, i % 3 == 0 ? 600 + i : 0);
        });
        return 0;
    }
    std::thread thread;
};

TEST_F(DialUpTest, NotificationsFromAnotherThreadArriveInOrderOnTheUiThread) {
    ThreadedRas threaded(*sim);
    dialUp->SetRasApi(&threaded);
    auto uiThread = std::this_thread::get_id();
    dialUp->OnAsyncEvent = [&](TObject*, int state, int error, const std::string& text) {
        EXPECT_EQ(std::this_thread::get_id(), uiThread);
        events.push_back({state, error, text, dialUp->LastError()});
    };
    DialAsync("Net");
    threaded.thread.join();
    EXPECT_TRUE(events.empty());  // nothing ran on the service's thread
    ui.ProcessMessages();
    ASSERT_EQ(events.size(), 200u);
    for (int i = 0; i < 200; ++i) {
        uint32_t error = i % 3 == 0 ? 600 + i : 0;
        EXPECT_EQ(events[i].state, i);
        EXPECT_EQ(events[i].error, static_cast<int>(error));
        EXPECT_EQ(events[i].lastError, error);
        EXPECT_EQ(events[i].text, dialUp->StateText(i, error));
    }
}

TEST_F(DialUpTest, SimulatedServiceOnItsOwnThread) {
    // The real program's arrangement: a service thread (no waits: StepDelay 0).
    profile.Load(book, "[Net]\nStepDelay=0\n[Busy]\nPhoneNumber=1\nBusy=1\nStepDelay=0\n");
    ras::SimulatedRas threaded(book, std::make_unique<ras::ThreadScheduler>());
    dialUp->SetRasApi(&threaded);
    auto waitFor = [&](int finalState) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while ((events.empty() || events.back().state != finalState) && std::chrono::steady_clock::now() < deadline) {
            ui.ProcessMessages();
            std::this_thread::yield();
        }
    };
    DialAsync("Net");
    waitFor(8192);
    std::vector<int> want = Seq(0, 14);
    want.push_back(8192);
    EXPECT_EQ(States(), want);
    events.clear();
    DialAsync("Busy");
    waitFor(8193);
    want = Seq(0, 2);
    want.push_back(8193);
    EXPECT_EQ(States(), want);
    EXPECT_EQ(events.back().lastError, 676u);
    dialUp->SetRasApi(rec.get());
}

}  // namespace
}  // namespace dialup_test
