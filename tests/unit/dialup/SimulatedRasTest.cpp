// The simulated dial-up service on its own: records, the entry dialogs, saved passwords,
// error texts, and the demonstration phonebook read from a real file.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/headless/IniProfile.h"
#include "tests/unit/dialup/DialUpTestKit.h"

namespace dialup_test {
namespace {

ras::RasDialParams ParamsFor(const std::string& entry) {
    ras::RasDialParams p;
    std::memset(&p, 0, sizeof p);
    p.dwSize = sizeof p;
    ras::CopyText(p.szEntryName, entry);
    return p;
}

class SimulatedRasTest : public DialUpFixture {};

TEST_F(SimulatedRasTest, RecordsOfTheWrongSizeAreRefused) {
    profile.Load(book, "[Net]\n");
    ras::RasEntryName names[2] = {};
    uint32_t bytes = sizeof names, count = 9;
    names[0].dwSize = 260;
    EXPECT_EQ(sim->EnumEntries(names, bytes, count), ras::ERROR_INVALID_SIZE);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(sim->EnumEntries(nullptr, bytes, count), ras::ERROR_INVALID_PARAMETER_);

    // Too small an array: the size needed comes back and nothing is written.
    names[0].dwSize = sizeof(ras::RasEntryName);
    profile.Load(book, "[A]\n[B]\n[C]\n");
    bytes = sizeof names;
    EXPECT_EQ(sim->EnumEntries(names, bytes, count), ras::ERROR_BUFFER_TOO_SMALL);
    EXPECT_EQ(bytes, 3 * sizeof(ras::RasEntryName));
    EXPECT_EQ(names[0].szEntryName[0], '\0');

    ras::RasDialParams p = ParamsFor("A");
    p.dwSize = 1040;
    ras::RasHandle h = 0;
    EXPECT_EQ(sim->Dial(p, nullptr, h), ras::ERROR_INVALID_SIZE);
    ras::RasConnStatus st{};
    st.dwSize = 288;  // the later, larger record
    EXPECT_EQ(sim->GetConnectStatus(1, st), ras::ERROR_INVALID_SIZE);
    st.dwSize = sizeof st;
    EXPECT_EQ(sim->GetConnectStatus(1, st), ras::ERROR_INVALID_HANDLE_);
}

TEST_F(SimulatedRasTest, EntryNamesMatchWithoutRegardToCase) {
    profile.Load(book, "[My ISP]\nPhoneNumber=42\n");
    DialAsync("  my isp ");
    clock.Advance(10000);
    EXPECT_EQ(events.back().state, 8192);
    EXPECT_EQ(ConnectionEntries(), std::vector<std::string>{"My ISP"});
    EXPECT_EQ(sim->DialledNumbers(), std::vector<std::string>{"42"});
}

TEST_F(SimulatedRasTest, RemovingTheSavedPasswordKeepsTheRest) {
    profile.Load(book, "[Net]\nPhoneNumber=1\nSavedUser=joe\nSavedPassword=pw\nBusy=9\n");
    bool saved = false;
    ras::RasDialParams p = ParamsFor("Net");
    ASSERT_EQ(sim->GetEntryDialParams(p, saved), 0u);
    EXPECT_TRUE(saved);
    EXPECT_EQ(ras::TextOf(p.szPassword), "pw");
    ASSERT_EQ(sim->SetEntryDialParams(ParamsFor("Net"), true), 0u);
    p = ParamsFor("Net");
    ASSERT_EQ(sim->GetEntryDialParams(p, saved), 0u);
    EXPECT_FALSE(saved);
    EXPECT_EQ(ras::TextOf(p.szUserName), "joe");
    EXPECT_EQ(profile.ReadString(book, "Net", "Busy", ""), "9");
    EXPECT_EQ(profile.ReadString(book, "Net", "PhoneNumber", ""), "1");

    profile.refuseWrites = true;
    ras::RasDialParams user = ParamsFor("Net");
    ras::CopyText(user.szUserName, "ann");
    EXPECT_EQ(sim->SetEntryDialParams(user, false), ras::ERROR_CANNOT_WRITE_PHONEBOOK);
}

TEST_F(SimulatedRasTest, EntryDialogs) {
    profile.Load(book, "[Net]\nPhoneNumber=1\nSavedUser=joe\n[Other]\n");
    struct Case {
        bool creating;
        std::string entry;       // edited entry
        bool ok;                 // the user's button
        ras::SimEntryFields typed;
        uint32_t result;
    } cases[] = {
        {true, "", false, {"Ignored", "9"}, 0},
        {true, "", true, {"", "9"}, ras::ERROR_INVALID_PARAMETER_},
        {true, "", true, {"Bad]Name", "9"}, ras::ERROR_INVALID_PARAMETER_},
        {true, "", true, {std::string(257, 'n'), "9"}, ras::ERROR_INVALID_PARAMETER_},
        {true, "", true, {"other", "9"}, 183},
        {true, "", true, {" New ", " 555 "}, 0},
        {false, "Missing", true, {"X", "1"}, ras::ERROR_CANNOT_FIND_PHONEBOOK_ENTRY},
        {false, "Net", true, {"Other", "1"}, 183},
        {false, "Net", true, {"NET", "2"}, 0},
        {false, "Net", true, {"Home", "3"}, 0},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.typed.name);
        dialogScript = [&](uintptr_t, bool creating, ras::SimEntryFields& f) {
            EXPECT_EQ(creating, c.creating);
            f = c.typed;
            return c.ok;
        };
        uint32_t r = c.creating ? sim->CreatePhonebookEntry(0) : sim->EditPhonebookEntry(0, c.entry);
        EXPECT_EQ(r, c.result);
    }
    EXPECT_FALSE(profile.Find(book, "Ignored"));
    EXPECT_EQ(profile.ReadString(book, "New", "PhoneNumber", ""), "555");
    // The edit renamed Net to Home, its saved user going with it.
    EXPECT_FALSE(profile.Find(book, "Net"));
    EXPECT_EQ(profile.ReadString(book, "Home", "PhoneNumber", ""), "3");
    EXPECT_EQ(profile.ReadString(book, "Home", "SavedUser", ""), "joe");

    ras::SimulatedRas noDialog(book, std::make_unique<VirtualScheduler>(clock));
    EXPECT_EQ(noDialog.CreatePhonebookEntry(0), ras::ERROR_INVALID_PARAMETER_);
}

TEST_F(SimulatedRasTest, ErrorTexts) {
    for (uint32_t code : {6u, 87u, 122u, 183u, 603u, 622u, 623u, 632u, 676u, 678u, 680u, 691u}) {
        std::string text = ras::SimulatedRas::ErrorText(code);
        EXPECT_FALSE(text.empty()) << code;
        EXPECT_LE(text.size(), 99u) << code;
    }
    char small[8];
    EXPECT_EQ(sim->GetErrorString(680, small, sizeof small), ras::ERROR_INSUFFICIENT_BUFFER_);
    EXPECT_EQ(sim->GetErrorString(680, nullptr, 100), ras::ERROR_INVALID_PARAMETER_);
    char buf[ras::ErrorTextBuffer];
    EXPECT_EQ(sim->GetErrorString(4294967295u, buf, sizeof buf), 0u);
    EXPECT_STREQ(buf, "Dial-up error 4294967295.");
}

TEST_F(SimulatedRasTest, HangUpDuringADialStopsItsNotifications) {
    profile.Load(book, "[Net]\nStepDelay=100\n");
    DialAsync("Net");
    clock.Advance(350);
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(dialUp->HangUp(), 0u);
    EXPECT_EQ(dialUp->HangUp(), ras::ERROR_INVALID_HANDLE_);  // already gone
    clock.Advance(10000);
    EXPECT_EQ(events.size(), 4u);
    EXPECT_TRUE(ConnectionEntries().empty());
}

// Saved credentials go into the user's own phonebook file: an update changes only its key,
// and a credential that would split into lines (adding keys or entries) is refused.
TEST(PhonebookFile, UpdatesKeepOrderAndCommentsAndRefuseLineBreaks) {
    const std::string book = testing::TempDir() + "velmora-phonebook-update.ini";
    const std::string text =
        "; my phonebook\r\n[First]\r\n; the provider's main number\r\nPhoneNumber=1\r\nSavedUser=joe\r\n"
        "SavedPassword=pw\r\nBusy=9\r\n\r\n[Second]\r\nPhoneNumber=2\r\n";
    std::ofstream(book, std::ios::binary | std::ios::trunc) << text;
    auto slurp = [&] {
        std::ifstream f(book, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    };
    headless::VirtualClock clock;
    headless::IniFileProfile profile;
    {
        platform::TSwapServices services([&](platform::Services& s) { s.profile = &profile; });
        ras::SimulatedRas sim(book, std::make_unique<VirtualScheduler>(clock));
        for (const char* bad : {"joe\r\n[Evil]\r\nPhoneNumber=666", "a\nb", "a\rb"}) {
            ras::RasDialParams user = ParamsFor("First"), password = ParamsFor("First");
            ras::CopyText(user.szUserName, bad);
            ras::CopyText(password.szPassword, bad);
            EXPECT_EQ(sim.SetEntryDialParams(user, false), ras::ERROR_INVALID_PARAMETER_);
            EXPECT_EQ(sim.SetEntryDialParams(password, false), ras::ERROR_INVALID_PARAMETER_);
        }
        EXPECT_EQ(slurp(), text);

        ASSERT_EQ(sim.SetEntryDialParams(ParamsFor("First"), true), 0u);
        std::string expected = text;
        expected.erase(expected.find("SavedPassword=pw\r\n"), 18);
        EXPECT_EQ(slurp(), expected);
    }
    std::remove(book.c_str());
}

// The demonstration phonebook, read from its file through the file-based profile service.
TEST(DemoPhonebook, EntriesAndBehaviour) {
    std::string src = __FILE__;
    std::string root = src.substr(0, src.rfind("/tests/unit/dialup/"));
    std::string original = root + "/resources/demo-phonebook.ini";
    std::string copy = testing::TempDir() + "velmora-demo-phonebook.ini";
    {
        std::ifstream in(original, std::ios::binary);
        ASSERT_TRUE(in) << original;
        std::ofstream out(copy, std::ios::binary | std::ios::trunc);
        out << in.rdbuf();
    }
    headless::VirtualClock clock;
    headless::HeadlessUi ui(clock);
    headless::IniFileProfile profile;
    {
        platform::TSwapServices services([&](platform::Services& s) {
            s.clock = &clock;
            s.ui = &ui;
            s.profile = &profile;
        });
        ras::SimulatedRas sim(copy, std::make_unique<VirtualScheduler>(clock));
        TDialUp dialUp(nullptr, &sim);
        ASSERT_EQ(dialUp.GetEntries(), 0u);
        EXPECT_EQ(dialUp.Entries(), (std::vector<std::string>{"Velmora Demo ISP", "Busy Town Online", "Strict Provider",
                                                               "Unplugged Line"}));
        std::map<std::string, uint32_t> outcome;
        dialUp.OnAsyncEvent = [&](TObject*, int state, int error, const std::string&) {
            if (state >= 8192) outcome[dialUp.Entry() + "/" + dialUp.PhoneNumber()] = error;
        };
        dialUp.SetUsername("demo");
        dialUp.SetPassword("whatever");
        for (auto& [entry, number] : std::vector<std::pair<std::string, std::string>>{
                 {"Velmora Demo ISP", ""}, {"Busy Town Online", ""}, {"Busy Town Online", "555-0144"},
                 {"Busy Town Online", "555-0145"}, {"Strict Provider", ""}, {"Unplugged Line", ""}}) {
            dialUp.SetEntry(entry);
            dialUp.SetPhoneNumber(number);
            dialUp.Dial();
            clock.Advance(10000);
        }
        EXPECT_EQ(outcome, (std::map<std::string, uint32_t>{{"Velmora Demo ISP/", 0},
                                                             {"Busy Town Online/", 676},
                                                             {"Busy Town Online/555-0144", 678},
                                                             {"Busy Town Online/555-0145", 0},
                                                             {"Strict Provider/", 691},
                                                             {"Unplugged Line/", 680}}));
        // Saved credentials land in the file.
        dialUp.SetEntry("Strict Provider");
        EXPECT_EQ(dialUp.SetEntryUsername("demo"), 0u);
        EXPECT_EQ(dialUp.SetEntryPassword("secret"), 0u);
        std::string pw;
        EXPECT_EQ(dialUp.GetEntryPassword(pw), 0u);
        EXPECT_EQ(pw, "secret");
        EXPECT_EQ(profile.ReadString(copy, "Strict Provider", "SavedUser", ""), "demo");
    }
    std::remove(copy.c_str());
}

}  // namespace
}  // namespace dialup_test
