// The record of seen messages: what counts as new, what the file keeps, and its bounds.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "mail/SeenMail.h"
#include "platform/Platform.h"
#include "platform/headless/DiskFileSystem.h"

namespace {

using Flags = std::vector<bool>;

class SeenMailTest : public ::testing::Test {
protected:
    SeenMailTest() {
        char tmpl[] = "/tmp/velmora-seen-XXXXXX";
        dir = mkdtemp(tmpl);
        file = dir + "/velmora.uid";
    }
    ~SeenMailTest() override { std::filesystem::remove_all(dir); }
    std::string dir, file;
    headless::DiskFileSystem files;
    platform::TSwapServices services{[this](platform::Services& s) { s.files = &files; }};
};

TEST_F(SeenMailTest, NewIsWhatTheLastCheckDidNotListAndTheRecordSurvivesTheFile) {
    TSeenMail seen(file);
    seen.Load();  // no file yet: nothing seen
    EXPECT_EQ(seen.Update("ann@pop.a", {"a", "b"}), (Flags{true, true}));
    EXPECT_EQ(seen.Update("bob@pop.a", {"a"}), (Flags{true}));  // per mailbox
    ASSERT_TRUE(seen.Save());

    TSeenMail again(file);
    again.Load();
    EXPECT_EQ(again.Update("ann@pop.a", {"b", "c"}), (Flags{false, true}));
    // "a" was deleted from the server and is forgotten: should it come back, it is new.
    EXPECT_EQ(again.Update("ann@pop.a", {"a", "b", "c"}), (Flags{true, false, false}));
    again.KeepOnly({"ann@pop.a"});
    EXPECT_EQ(again.Update("bob@pop.a", {"a"}), (Flags{true}));
}

TEST_F(SeenMailTest, TheFileStaysBounded) {
    {
        std::ofstream out(file);
        out << "> ann@pop.a\n" << std::string(TSeenMail::MaxIdLength + 1, 'x') << "\nwith blank\nok\n";
        for (size_t i = 0; i < TSeenMail::MaxMailboxes + 3; ++i) out << "> box" << i << "\nid\n";
    }
    TSeenMail seen(file);
    seen.Load();
    EXPECT_EQ(seen.Mailboxes(), TSeenMail::MaxMailboxes);
    EXPECT_EQ(seen.Update("ann@pop.a", {"ok"}), (Flags{false}));  // the oversized lines were left out

    std::vector<std::string> many;
    for (size_t i = 0; i < TSeenMail::MaxIds + 10; ++i) many.push_back("m" + std::to_string(i));
    seen.Update("ann@pop.a", many);
    Flags flags = seen.Update("ann@pop.a", many);
    EXPECT_TRUE(flags[9]);    // beyond the bound, the oldest are forgotten
    EXPECT_FALSE(flags[10]);
    EXPECT_EQ(seen.Mailboxes(), TSeenMail::MaxMailboxes);
    EXPECT_TRUE(seen.Save());
    EXPECT_LT(std::filesystem::file_size(file), TSeenMail::MaxMailboxes * 16 + (TSeenMail::MaxIds + 1) * 8);
}

}  // namespace
